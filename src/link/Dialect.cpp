#include "Dialect.h"

#include <cassert>

namespace lettore {

namespace {

// The single-byte dialects' broadcast: 0x60 in the set form, 0x40 in the
// poll form (Tolvane: 0x50).
constexpr int16_t SingleByteBroadcast = 32;

bool within(char c, int low, int high)
{
    const int value = static_cast<unsigned char>(c);
    return value >= low && value <= high;
}

// The single-byte dialects' address byte: term + 0x40 in a set frame, term
// + 0x20 in a poll frame.
std::optional<char> singleByteAddress(const Frame& frame)
{
    const int value = frame.term + (frame.set ? 0x40 : 0x20);
    if (value < 0 || value > 255)
        return std::nullopt;
    return static_cast<char>(value);
}

void decodeSingleByteAddress(Dialect::Decoded& decoded, char address)
{
    const bool set = within(address, 0x40, 0xFF);
    decoded.address = static_cast<unsigned char>(address) - (set ? 0x40 : 0x20);
    decoded.type = set ? "S" : "P";
}

// EOT EOT, then STX, address (term + 0x30), data and ETX to set, or the
// address and ENQ to poll. No check character.
std::optional<std::string> tolvane(const Frame& frame)
{
    const int value = frame.term + 0x30;
    if (value < 0 || value > 255)
        return std::nullopt;
    const char address = static_cast<char>(value);
    std::string bytes{Frame::EOT, Frame::EOT};
    if (frame.set) {
        bytes += Frame::STX;
        bytes += address;
        bytes += frame.data;
        bytes += Frame::ETX;
    } else {
        bytes += address;
        bytes += Frame::ENQ;
    }
    return bytes;
}

// A Tolvane request, EOT EOT and STX .. ETX to set or the address and ENQ to poll.
void decodeTolvaneRequest(Dialect::Decoded& decoded, std::string_view frame)
{
    const bool set = frame.size() > 2 && frame[2] == Frame::STX;
    const std::size_t head = set ? 3 : 2;
    if (frame.size() <= head + 1)
        return;
    const std::string_view body = frame.substr(head, frame.size() - head - 1);
    decoded.address = static_cast<unsigned char>(body[0]) - 0x30;
    decoded.type = set ? "S" : "poll";
    decoded.data = body.substr(1);
}

}  // namespace

std::optional<std::string> Dialect::encode(const Frame& frame) const
{
    switch (layout) {
    case Layout::Sibrant2: return frame.encode();
    case Layout::Tolvane: return tolvane(frame);
    case Layout::SingleByte: break;
    }
    const auto address = singleByteAddress(frame);
    if (!address)
        return std::nullopt;
    std::string bytes{Frame::STX, model == 0 ? *address : model, *address};
    bytes += frame.data;
    bytes += Frame::ETX;
    bytes += Frame::check(bytes);
    return bytes;
}

bool Dialect::awaitsAnswer(int term, std::string_view data) const
{
    return term != broadcast && !(ackSendsAlone && data.size() == 1 && data[0] == Frame::ACK);
}

bool Dialect::fromAnotherReader(std::string_view answer, int16_t term) const
{
    if (layout != Layout::Sibrant2)
        return false;
    const std::optional<Frame> sender = Frame::decode(answer);
    return sender && sender->term != static_cast<uint8_t>(term);
}

Dialect::Decoded Dialect::decode(std::string_view frame, bool cutShort)
{
    Decoded decoded;
    if (frame.size() >= 2 && frame[0] == Frame::TolvaneStart) {
        decoded.dialect = &named("Tolvane");
        decoded.data = frame.substr(1, frame.size() - 2);
        return decoded;
    }
    if (frame.size() >= 2 && frame[0] == Frame::EOT && frame[1] == Frame::EOT) {
        decoded.dialect = &named("Tolvane");
        decodeTolvaneRequest(decoded, frame);
        return decoded;
    }
    // STX, two address bytes, data, then ETX and the check character, or
    // the ACK that cut the frame short.
    const std::size_t tail = cutShort ? 1 : 2;
    if (frame.size() < 3 + tail || frame[0] != Frame::STX)
        return decoded;
    const char high = frame[1];
    const char low = frame[2];
    if (high == Frame::BroadcastChar && low == Frame::BroadcastChar) {
        decoded.dialect = &sibrant2();
        decoded.address = Frame::Broadcast;
        decoded.type = "S";
    } else if (within(high, 0x30, 0x3F) && within(low, 0x20, 0x3F)) {
        const bool set = within(low, 0x30, 0x3F);
        decoded.dialect = &sibrant2();
        decoded.address = *Frame::address(high, low, set);
        decoded.type = set ? "S" : "P";
    } else {
        for (const Dialect& dialect : all()) {
            if (dialect.layout == Layout::SingleByte
                && (dialect.model != 0 ? high == dialect.model : high == low && within(high, 0x20, 0xFF))) {
                decoded.dialect = &dialect;
                break;
            }
        }
        if (!decoded.dialect) {
            decoded.data = frame.substr(1, frame.size() - 1 - tail);
            return decoded;
        }
        decodeSingleByteAddress(decoded, low);
    }
    decoded.data = frame.substr(3, frame.size() - 3 - tail);
    return decoded;
}

const std::array<Dialect, 6>& Dialect::all()
{
    using Rule = Frame::Rule;
    using enum Layout;
    static const std::array<Dialect, 6> dialects{{
        {"Sibrant2", Sibrant2, 0, Rule::Stx, Frame::Broadcast, true},
        {"Sibrant", SingleByte, 'h', Rule::Stx, SingleByteBroadcast, true},
        {"Parlow", SingleByte, 'a', Rule::Stx, SingleByteBroadcast, false},
        {"Quen", SingleByte, 'g', Rule::Stx, SingleByteBroadcast, false},
        {"Zem", SingleByte, 0, Rule::Stx, SingleByteBroadcast, false},
        {"Tolvane", Tolvane, 0, Rule::Tolvane, SingleByteBroadcast, false},
    }};
    return dialects;
}

const Dialect* Dialect::find(std::string_view name)
{
    for (const Dialect& dialect : all())
        if (name == dialect.name)
            return &dialect;
    return nullptr;
}

const Dialect& Dialect::named(std::string_view name)
{
    const Dialect* dialect = find(name);
    assert(dialect);
    return *dialect;
}

}  // namespace lettore
