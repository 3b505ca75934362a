#pragma once

#include "Frame.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lettore {

// The six terminal dialects: how each lays a frame out in bytes, how its
// answers are framed (FrameReader's rule for its traffic), which frames go
// out without waiting for an answer, and what a frame on the line says.
struct Dialect {
    // Sibrant2: STX, two address characters, data, ETX, check character.
    // SingleByte: STX, the model letter (or the address byte again), the
    // address byte, data, ETX, check character. Tolvane: EOT EOT, then STX,
    // address, data and ETX to set, or the address and ENQ to poll.
    enum class Layout { Sibrant2, SingleByte, Tolvane };

    const char* name;
    Layout layout;
    // SingleByte: the letter after STX; 0 where the address byte is repeated.
    char model;
    Frame::Rule answers;
    // The address that reaches every terminal and is never answered.
    int16_t broadcast;
    // Whether a lone ACK as data (a reader's reading confirmed) is sent
    // without waiting for an answer.
    bool ackSendsAlone;

    // Whether a frame to `term` carrying `data` is answered: a broadcast
    // never is, nor a reading's confirmation where it is sent alone.
    bool awaitsAnswer(int term, std::string_view data) const;

    // The frame's bytes; nothing when its address does not fit the
    // dialect's address byte, and nothing must then be sent.
    std::optional<std::string> encode(const Frame& frame) const;

    // Whether `answer`, a whole frame whose check holds, was sent by a
    // reader other than the one at `term`. Only answers that carry their
    // sender's address (Sibrant2's) can tell; for the others, and for a
    // frame whose address field cannot be read, false.
    bool fromAnotherReader(std::string_view answer, int16_t term) const;

    // What a whole frame on the line says, by the first layout that fits:
    // a Tolvane answer ('<' .. '>') or request (EOT EOT ..), the Sibrant2
    // address field, a model letter, a repeated address byte. `cutShort`:
    // an ACK ended it in place of ETX and the check character.
    struct Decoded {
        const Dialect* dialect = nullptr;  // none when no layout fits
        std::optional<int> address;  // Frame::Broadcast: every terminal
        std::string type;  // "S", "P"; a Tolvane poll "poll"
        std::string data;
    };
    static Decoded decode(std::string_view frame, bool cutShort);

    static const std::array<Dialect, 6>& all();
    // The dialect of this exact name, or nullptr.
    static const Dialect* find(std::string_view name);
    // One of the six by its name, which must be one of them.
    static const Dialect& named(std::string_view name);
    // The dialect the readers speak.
    static const Dialect& sibrant2() { return all().front(); }
};

}  // namespace lettore
