#pragma once

#include "Frame.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lettore {

// The link's frame building and answer checks, by the names the link
// uses; the frames themselves are Frame and Dialect.
class Framing {
public:
    static constexpr char STX = Frame::STX;
    static constexpr char ETX = Frame::ETX;
    static constexpr char ACK = Frame::ACK;
    static constexpr char NAK = Frame::NAK;
    static constexpr char TolvaneStart = Frame::TolvaneStart;
    static constexpr char TolvaneEnd = Frame::TolvaneEnd;

    // The address that reaches every terminal and gets no answer.
    static constexpr int16_t Sibrant2Broadcast = Frame::Broadcast;
    static constexpr int16_t SingleByteBroadcast = 32;

    // XOR of every byte of a frame running from STX to ETX, as one byte.
    static char CalcolaBCC(std::string_view frame) { return Frame::check(frame); }

    // STX-family answer check: a lone ACK or NAK, or a frame of 3 bytes or
    // more whose last byte is the XOR of all the others.
    static bool VerificaRisposta(std::string_view answer)
    {
        return Frame::accepted(answer, Frame::Rule::Stx);
    }

    // The whole frames of the STX family in `input`, bytes taken off the
    // line in one go, oldest first: the parts Frame::parse finds whole.
    // Noise, a lone ACK or NAK, a frame cut short by ACK or failing its
    // check, and an unfinished one at the end are left out.
    static std::vector<std::string> checkedFrames(std::string_view input);

    // Tolvane answer check: ACK, NAK or "<I49>" below 6 bytes; anything of
    // 6 bytes or more.
    static bool VerificaRisposta_TOLVANE(std::string_view answer)
    {
        return Frame::accepted(answer, Frame::Rule::Tolvane);
    }

    // The readers' frame (the other dialects' are in Dialect).
    static std::string sibrant2Frame(int16_t term, std::string_view tipoComando,
                                     std::string_view strComando)
    {
        return Frame::of(term, tipoComando, strComando).encode();
    }
};

}  // namespace lettore
