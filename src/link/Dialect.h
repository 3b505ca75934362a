#pragma once

#include "Frame.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lettore {

class clsComunicazioni;

// The six terminal dialects: how each lays a frame out in bytes, how its
// answers are framed (Frame::parse's rule for its traffic), and the link's
// routine that speaks it.
struct Dialect {
    // The frame's bytes; nothing when its address does not fit the
    // dialect's address byte, and nothing must then be sent.
    using Encoder = std::optional<std::string> (*)(const Frame& frame);
    using Routine = void (clsComunicazioni::*)(int16_t term, const std::string& TipoComando,
                                               const std::string& StrComando, int16_t& esito,
                                               std::string& Risposta);

    const char* name;
    Encoder encode;
    Frame::Rule answers;
    Routine routine;

    static const std::array<Dialect, 6>& all();
    // The dialect of this exact name, or nullptr.
    static const Dialect* find(std::string_view name);
    // The dialect the readers speak.
    static const Dialect& sibrant2() { return all().front(); }
};

}  // namespace lettore
