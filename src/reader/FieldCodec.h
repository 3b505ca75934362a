#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lettore {

// Encodings used inside the data fields of the reader's commands. Pure
// functions, no I/O.
class FieldCodec {
public:
    // Two characters for an address inside a data field: '0' + high nibble
    // and '0' + low nibble of the value's low byte (two's complement), so
    // 31 gives "1?", -1 gives "??" and 300 gives "2<".
    static std::string addressCharacters(int value);

    // The last three characters of "000" + text: "5" gives "005", "" gives
    // "000", "1234" gives "234". Characters are not checked to be digits.
    static std::string threeDigitField(const std::string& text);

    // One-character code of a baud-rate text ("1200" -> '0' ... "38400" ->
    // '5'), compared exactly; nothing for any other text.
    static std::optional<char> baudCode(const std::string& baudRate);
    // The baud-rate texts that have a code, slowest first.
    static std::vector<std::string> baudRates();

    // The characters of `text` from the 1-based `position` on, at most
    // `length` of them; what exists of them when the text is shorter.
    static std::string field(const std::string& text, size_t position, size_t length);
};

}  // namespace lettore
