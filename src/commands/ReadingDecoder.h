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

// Decodes the readings readers send on their own.
class ReadingDecoder {
public:
    // A reading is exactly this long: STX, two address characters, one
    // unused character, the badge code, ETX and the check character.
    static constexpr size_t Length = 16;
    static constexpr size_t CodeLength = 10;

    // `text` as a reading: nothing when it is not 16 characters long (not a
    // reading); otherwise its code, and its address when its two address
    // characters decode in the poll form (Frame::address).
    static std::optional<Reading> decode(const std::string& text);
};

}  // namespace lettore
