#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace lettore {

// A badge reading as a reader sends it on its own.
struct Reading {
    // The sender's address; nothing when the address characters do not
    // make one from 0 to 255, so the reading cannot be acknowledged.
    std::optional<uint8_t> address;
    // Characters 5 to 14: the 10-character badge code.
    std::string code;
};

// Decodes readings and the two address characters of a Sibrant2 frame.
class ReadingDecoder {
public:
    // A reading is exactly this long: STX, two address characters, one
    // unused character, the badge code, ETX and the check character.
    static constexpr size_t Length = 16;
    static constexpr size_t CodeLength = 10;

    // How the second address character carries the low four bits: + 32 in
    // the poll form (readings, and frames of type "P"), + 48 in the set form
    // (frames of type "S", and addresses inside data fields).
    enum class Form { Poll, Set };

    // `text` as a reading: nothing when it is not 16 characters long (not a
    // reading); otherwise its code, and its address when that decodes.
    static std::optional<Reading> decode(const std::string& text);

    // (code of `high` - 48) * 16 + (code of `low` - 32, or - 48 in the set
    // form); nothing when `high` is outside '0'..'?' or the sum is outside
    // 0..255.
    static std::optional<uint8_t> address(char high, char low, Form form = Form::Poll);
};

}  // namespace lettore
