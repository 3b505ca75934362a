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

    // Uppercase hex bytes separated by blanks, "02 30 21".
    static std::string hex(const std::string& bytes);
};

}  // namespace lettore
