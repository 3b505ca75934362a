#pragma once

#include "Frame.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lettore {

// The six terminal dialects: how each lays a frame out in bytes, how its
// answers are framed (Frame::parse's rule for its traffic), and which
// frames go out without waiting for an answer.
struct Dialect {
    // The frame's bytes; nothing when its address does not fit the
    // dialect's address byte, and nothing must then be sent.
    using Encoder = std::optional<std::string> (*)(const Frame& frame);

    const char* name;
    Encoder encode;
    Frame::Rule answers;
    // The address that reaches every terminal and is never answered.
    int16_t broadcast;
    // Whether a lone ACK as data (a reader's reading confirmed) is sent
    // without waiting for an answer.
    bool ackSendsAlone;

    static const std::array<Dialect, 6>& all();
    // The dialect of this exact name, or nullptr.
    static const Dialect* find(std::string_view name);
    // One of the six by its name, which must be one of them.
    static const Dialect& named(std::string_view name);
    // The dialect the readers speak.
    static const Dialect& sibrant2() { return all().front(); }
};

}  // namespace lettore
