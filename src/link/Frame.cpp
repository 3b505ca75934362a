#include "Frame.h"

namespace lettore {

namespace {

// Whether `c` is one of the 16 characters from `base` on.
bool inNibbleRange(char c, int base) { return c >= base && c <= base + 0x0F; }

}  // namespace

Frame Frame::of(int16_t term, std::string_view tipoComando, std::string_view data)
{
    return {term, tipoComando == "S", std::string(data)};
}

std::string Frame::encode() const
{
    std::string bytes(1, STX);
    if (term == Broadcast) {
        bytes += {BroadcastChar, BroadcastChar};
    } else {
        const auto a = static_cast<uint8_t>(term);
        bytes += static_cast<char>(0x30 + (a >> 4));
        bytes += static_cast<char>((set ? 0x30 : 0x20) + (a & 0x0F));
    }
    bytes += data;
    bytes += ETX;
    bytes += check(bytes);
    return bytes;
}

std::optional<Frame> Frame::decode(std::string_view bytes)
{
    if (bytes.size() < 5 || bytes.front() != STX || bytes[bytes.size() - 2] != ETX)
        return std::nullopt;
    Frame frame;
    const char high = bytes[1];
    const char low = bytes[2];
    if (high == BroadcastChar && low == BroadcastChar) {
        frame.term = Broadcast;
        frame.set = true;
    } else if (inNibbleRange(high, 0x30) && (inNibbleRange(low, 0x30) || inNibbleRange(low, 0x20))) {
        frame.set = inNibbleRange(low, 0x30);
        frame.term = *address(high, low, frame.set);
    } else {
        return std::nullopt;
    }
    frame.data = bytes.substr(3, bytes.size() - 5);
    return frame;
}

std::optional<uint8_t> Frame::address(char high, char low, bool set)
{
    const int highNibble = static_cast<unsigned char>(high) - 0x30;
    const int lowPart = static_cast<unsigned char>(low) - (set ? 0x30 : 0x20);
    const int value = highNibble * 16 + lowPart;
    if (highNibble < 0 || highNibble > 15 || value < 0 || value > 255)
        return std::nullopt;
    return static_cast<uint8_t>(value);
}

char Frame::check(std::string_view bytes)
{
    unsigned char sum = 0;
    for (const char c : bytes)
        sum ^= static_cast<unsigned char>(c);
    return static_cast<char>(sum);
}

bool Frame::checkHolds(std::string_view frame)
{
    return !frame.empty() && check(frame.substr(0, frame.size() - 1)) == frame.back();
}

bool Frame::accepted(std::string_view answer, Rule rule)
{
    const bool lone = answer.size() == 1 && (answer[0] == ACK || answer[0] == NAK);
    if (rule == Rule::Tolvane)
        return lone || answer.size() >= 6 || answer == "<I49>";
    return lone || (answer.size() >= 3 && checkHolds(answer));
}

}  // namespace lettore
