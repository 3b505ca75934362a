#include "Framing.h"

namespace lettore {

namespace {

bool isSetType(std::string_view tipoComando) { return tipoComando == "S"; }

}  // namespace

char Framing::CalcolaBCC(std::string_view frame)
{
    unsigned char bcc = 0;
    for (char c : frame)
        bcc ^= static_cast<unsigned char>(c);
    return static_cast<char>(bcc);
}

bool Framing::VerificaRisposta(std::string_view answer)
{
    if (answer.size() == 1)
        return answer[0] == ACK || answer[0] == NAK;
    if (answer.size() < 3)
        return false;
    return CalcolaBCC(answer.substr(0, answer.size() - 1)) == answer.back();
}

std::vector<std::string> Framing::checkedFrames(std::string_view input)
{
    constexpr auto npos = std::string_view::npos;
    constexpr std::string_view EndChars("\x03\x06", 2);  // ETX, or an ACK cutting the frame short
    std::vector<std::string> frames;
    // Every STX before one end character shares that end, so its check is
    // kept as a running XOR rather than recomputed: the scan stays linear
    // in the input whatever noise it holds.
    bool ended = false;
    size_t end = 0;  // the end character of the frame begun at `start`
    char sum = 0;    // CalcolaBCC of that frame up to its end character
    for (size_t start = input.find(STX); start != npos;) {
        if (!ended || end < start) {
            end = input.find_first_of(EndChars, start + 1);
            if (end == npos)
                break;
            sum = CalcolaBCC(input.substr(start, end + 1 - start));
            ended = true;
        }
        if (input[end] == ETX && end + 1 == input.size())
            break;  // its check character has not come yet
        if (input[end] == ETX && input[end + 1] == sum) {
            frames.emplace_back(input.substr(start, end + 2 - start));
            start = input.find(STX, end + 2);
            continue;
        }
        const size_t next = input.find(STX, start + 1);
        if (next != npos && next < end)
            sum = static_cast<char>(sum ^ CalcolaBCC(input.substr(start, next - start)));
        start = next;
    }
    return frames;
}

bool Framing::VerificaRisposta_TOLVANE(std::string_view answer)
{
    if (answer.size() >= 6)
        return true;
    return answer == std::string_view(&ACK, 1) || answer == std::string_view(&NAK, 1)
        || answer == "<I49>";
}

std::string Framing::sibrant2Address(int16_t term, std::string_view tipoComando)
{
    if (term == Sibrant2Broadcast)
        return "``";
    const auto a = static_cast<uint8_t>(term);
    const char low = static_cast<char>((isSetType(tipoComando) ? 0x30 : 0x20) + (a & 0x0F));
    return {static_cast<char>(0x30 + (a >> 4)), low};
}

std::string Framing::sibrant2Frame(int16_t term, std::string_view tipoComando,
                                   std::string_view strComando)
{
    std::string frame(1, STX);
    frame += sibrant2Address(term, tipoComando);
    frame += strComando;
    frame += ETX;
    return withBcc(std::move(frame));
}

std::optional<char> Framing::singleByteAddress(int16_t term, std::string_view tipoComando)
{
    const int value = term + (isSetType(tipoComando) ? 0x40 : 0x20);
    if (value < 0 || value > 255)
        return std::nullopt;
    return static_cast<char>(value);
}

std::optional<std::string> Framing::prefixedFrame(std::string_view prefix, int16_t term,
                                                  std::string_view tipoComando,
                                                  std::string_view strComando)
{
    const auto address = singleByteAddress(term, tipoComando);
    if (!address)
        return std::nullopt;
    std::string frame(1, STX);
    frame += prefix;
    frame += *address;
    frame += strComando;
    frame += ETX;
    return withBcc(std::move(frame));
}

std::optional<std::string> Framing::sibrantFrame(int16_t term, std::string_view tipoComando,
                                                 std::string_view strComando)
{
    return prefixedFrame("h", term, tipoComando, strComando);
}

std::optional<std::string> Framing::parlowFrame(int16_t term, std::string_view tipoComando,
                                                std::string_view strComando)
{
    return prefixedFrame("a", term, tipoComando, strComando);
}

std::optional<std::string> Framing::quenFrame(int16_t term, std::string_view tipoComando,
                                              std::string_view strComando)
{
    return prefixedFrame("g", term, tipoComando, strComando);
}

std::optional<std::string> Framing::zemFrame(int16_t term, std::string_view tipoComando,
                                             std::string_view strComando)
{
    // Zem repeats the address byte where the others put their model letter.
    const auto address = singleByteAddress(term, tipoComando);
    if (!address)
        return std::nullopt;
    return prefixedFrame(std::string(1, *address), term, tipoComando, strComando);
}

std::optional<std::string> Framing::tolvaneFrame(int16_t term, std::string_view tipoComando,
                                                 std::string_view strComando)
{
    const int value = term + 0x30;
    if (value < 0 || value > 255)
        return std::nullopt;
    const char address = static_cast<char>(value);
    std::string frame{EOT, EOT};
    if (isSetType(tipoComando)) {
        frame += STX;
        frame += address;
        frame += strComando;
        frame += ETX;
    } else {
        frame += address;
        frame += ENQ;
    }
    return frame;
}

std::string Framing::withBcc(std::string frame)
{
    frame += CalcolaBCC(frame);
    return frame;
}

}  // namespace lettore
