#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lettore {

// One frame of the terminal dialects as a value: the terminal it is for,
// whether it sets (type "S") or polls (any other type), and its data. The
// dialects lay these out in bytes each their own way (Dialect); this type
// holds the Sibrant2 layout the readers speak, the check character and the
// answer checks; FrameReader cuts the bytes of a line into frames.
struct Frame {
    static constexpr char STX = 0x02;
    static constexpr char ETX = 0x03;
    static constexpr char EOT = 0x04;
    static constexpr char ENQ = 0x05;
    static constexpr char ACK = 0x06;
    static constexpr char NAK = 0x15;
    static constexpr char TolvaneStart = '<';
    static constexpr char TolvaneEnd = '>';

    // The Sibrant2 address that reaches every terminal and gets no answer,
    // and the character both its address characters are on the line.
    static constexpr int16_t Broadcast = 256;
    static constexpr char BroadcastChar = 0x60;

    int16_t term = 0;
    bool set = false;
    std::string data;

    // The frame of a dialect routine's arguments: type "S" sets.
    static Frame of(int16_t term, std::string_view tipoComando, std::string_view data);

    // The Sibrant2 layout: STX, two address characters, data, ETX, check
    // character. The address characters are 0x60 0x60 for Broadcast,
    // otherwise 0x30 + the high nibble of the address's low byte, then 0x30
    // (set) or 0x20 (poll) + its low nibble.
    std::string encode() const;

    // A whole Sibrant2 frame back as a value (its check character is not
    // looked at: see checkHolds). Nothing when it is not STX .. ETX and one
    // byte, 5 bytes at the least, or when its address field is none of the
    // three forms; the broadcast form reads as Broadcast, set.
    static std::optional<Frame> decode(std::string_view bytes);

    // An address from its two characters: (high - 0x30) * 16 + (low - 0x30
    // in the set form, - 0x20 in the poll form). Nothing when the high
    // character is outside '0'..'?' or the sum outside 0..255.
    static std::optional<uint8_t> address(char high, char low, bool set);

    // XOR of every byte: the check character that follows ETX.
    static char check(std::string_view bytes);
    // Whether the last byte of `frame` is the check of all the others.
    static bool checkHolds(std::string_view frame);

    // How frames are cut from a line (FrameReader): a dialect's answers,
    // STX .. ETX and check character or Tolvane's '<' .. '>', or the host's
    // requests as a reader hears them.
    enum class Rule { Stx, Tolvane, Request };

    // Whether an exchange takes `answer`, as collected, as a whole answer.
    // STX: a lone ACK or NAK, or 3 bytes or more whose check holds.
    // Tolvane: ACK, NAK or "<I49>" below 6 bytes; anything of 6 or more.
    static bool accepted(std::string_view answer, Rule rule);
};

}  // namespace lettore
