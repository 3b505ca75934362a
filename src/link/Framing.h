#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lettore {

// Frame building and answer checks of the six terminal dialects. Pure
// functions: no I/O, so they are shared by the link and the virtual reader.
class Framing {
public:
    static constexpr char STX = 0x02;
    static constexpr char ETX = 0x03;
    static constexpr char EOT = 0x04;
    static constexpr char ENQ = 0x05;
    static constexpr char ACK = 0x06;
    static constexpr char NAK = 0x15;
    static constexpr char TolvaneStart = '<';
    static constexpr char TolvaneEnd = '>';

    // The address that reaches every terminal and gets no answer.
    static constexpr int16_t Sibrant2Broadcast = 256;
    static constexpr int16_t SingleByteBroadcast = 32;

    // XOR of every byte of a frame running from STX to ETX, as one byte.
    static char CalcolaBCC(std::string_view frame);

    // STX-family answer check: a lone ACK or NAK, or a frame of 3 bytes or
    // more whose last byte is the XOR of all the others.
    static bool VerificaRisposta(std::string_view answer);

    // The whole frames of the STX family in `input`, bytes taken off the
    // line in one go, oldest first: each runs from STX to its ETX and the
    // check character after it, and VerificaRisposta accepts it. Noise, a
    // lone ACK or NAK, a frame cut short by ACK or failing its check, and an
    // unfinished one at the end are left out. After a frame that fails, the
    // search goes on from the byte after its STX, so a stray STX (the start
    // of a frame cut off) does not hide a whole frame behind it.
    static std::vector<std::string> checkedFrames(std::string_view input);

    // Tolvane answer check: ACK, NAK or "<I49>" below 6 bytes; anything of
    // 6 bytes or more.
    static bool VerificaRisposta_TOLVANE(std::string_view answer);

    // Two address bytes of a Sibrant2 frame: 0x60 0x60 for 256, otherwise
    // 0x30 + high nibble of the low byte, then 0x30 (type "S") or 0x20
    // (any other type) + low nibble.
    static std::string sibrant2Address(int16_t term, std::string_view tipoComando);

    // STX, address field, data, ETX, BCC.
    static std::string sibrant2Frame(int16_t term, std::string_view tipoComando,
                                     std::string_view strComando);

    // The single-byte dialects. Each returns nothing when the address byte
    // falls outside 0..255; nothing must then be sent.
    static std::optional<std::string> sibrantFrame(int16_t term, std::string_view tipoComando,
                                                   std::string_view strComando);
    static std::optional<std::string> parlowFrame(int16_t term, std::string_view tipoComando,
                                                  std::string_view strComando);
    static std::optional<std::string> quenFrame(int16_t term, std::string_view tipoComando,
                                                std::string_view strComando);
    static std::optional<std::string> zemFrame(int16_t term, std::string_view tipoComando,
                                               std::string_view strComando);
    static std::optional<std::string> tolvaneFrame(int16_t term, std::string_view tipoComando,
                                                   std::string_view strComando);

private:
    static std::optional<char> singleByteAddress(int16_t term, std::string_view tipoComando);
    static std::optional<std::string> prefixedFrame(std::string_view prefix, int16_t term,
                                                    std::string_view tipoComando,
                                                    std::string_view strComando);
    static std::string withBcc(std::string frame);
};

}  // namespace lettore
