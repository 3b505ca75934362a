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
// holds the Sibrant2 layout the readers speak, the check character, and
// the cutting of bytes taken off a line into frames, lone bytes and noise.
struct Frame {
    static constexpr char STX = 0x02;
    static constexpr char ETX = 0x03;
    static constexpr char EOT = 0x04;
    static constexpr char ENQ = 0x05;
    static constexpr char ACK = 0x06;
    static constexpr char NAK = 0x15;
    static constexpr char TolvaneStart = '<';
    static constexpr char TolvaneEnd = '>';

    // The Sibrant2 address that reaches every terminal and gets no answer.
    static constexpr int16_t Broadcast = 256;

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

    // How frames are cut from a line. A dialect's answers: STX .. ETX and
    // check character, or Tolvane's '<' .. '>'; either may be a lone ACK or
    // NAK, and an ACK may end a frame in place of its end character. The
    // host's requests as a reader hears them: STX .. ETX and check
    // character, ACK being data there.
    enum class Rule { Stx, Tolvane, Request };

    // Whether an exchange takes `answer`, as collected, as a whole answer.
    // STX: a lone ACK or NAK, or 3 bytes or more whose check holds.
    // Tolvane: ACK, NAK or "<I49>" below 6 bytes; anything of 6 or more.
    static bool accepted(std::string_view answer, Rule rule);

    // A stretch of the input parse() was given.
    struct Part {
        enum class Kind {
            Whole,       // a frame whose check holds (STX) or an accepted answer (Tolvane)
            BadCheck,    // a frame up to its end character (and check) that fails
            CutShort,    // a frame an ACK ended; the ACK is its last byte
            Abandoned,   // a frame given up at an STX inside it, where the next one starts
            Lone,        // an ACK or NAK on its own
            Noise,       // bytes outside any frame
            Unfinished,  // a frame begun at the end of the input
        };
        Kind kind;
        std::size_t begin;
        std::size_t size;
    };

    // Cuts `input`, bytes taken off a line, into parts in order, every byte
    // in exactly one part; a run of noise is one part. Never throws; the
    // scan stays linear in the input whatever it holds.
    // STX: a frame runs from STX to the first ETX (and the check character
    // after it) or ACK. A frame that fails with an STX inside it is
    // abandoned at that STX, where the search goes on, so a stray STX (the
    // start of a frame cut off) does not hide a whole frame behind it.
    // Tolvane: a frame runs from '<' to the first '>' or ACK.
    // Request: a frame runs from STX to ETX and the byte after it; an STX
    // before that abandons it. A frame that fails its check is BadCheck,
    // for the reader to refuse. A Tolvane request runs from EOT EOT to the
    // first ETX or ENQ and is Whole: it has no check character.
    static std::vector<Part> parse(std::string_view input, Rule rule = Rule::Stx);
};

}  // namespace lettore
