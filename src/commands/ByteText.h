#pragma once

#include <optional>
#include <string>

namespace lettore {

// Bytes written as text for a terminal or a script, and back.
class ByteText {
public:
    // Printable ASCII as it is; every other byte, and the backslash
    // itself, as \xHH.
    static std::string escape(const std::string& bytes);

    // The inverse: \xHH (two hex digits) is one byte, \\ a backslash;
    // nothing for any other escape or a dangling backslash.
    static std::optional<std::string> unescape(const std::string& text);

    // Uppercase hex bytes, two digits each, separated by blanks: bytes
    // 02 30 21 give "02 30 21"; no bytes give "".
    static std::string hex(const std::string& bytes);

    // The monitor's form: each byte preceded by one blank, uppercase hex
    // without leading zeros: bytes 02 41 0D give " 2 41 D"; no bytes give "".
    static std::string monitorHex(const std::string& bytes);
};

}  // namespace lettore
