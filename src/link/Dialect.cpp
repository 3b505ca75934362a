#include "Dialect.h"

#include "Framing.h"

#include <cassert>

namespace lettore {

namespace {

// The single-byte dialects' address: term + 0x40 in a set frame, term +
// 0x20 in a poll frame.
std::optional<char> singleByteAddress(const Frame& frame)
{
    const int value = frame.term + (frame.set ? 0x40 : 0x20);
    if (value < 0 || value > 255)
        return std::nullopt;
    return static_cast<char>(value);
}

// STX, the model's prefix, the address byte, data, ETX, check character.
// Zem repeats the address byte where the others put their model letter.
template <char Model>
std::optional<std::string> singleByte(const Frame& frame)
{
    const auto address = singleByteAddress(frame);
    if (!address)
        return std::nullopt;
    std::string bytes{Frame::STX, Model == 0 ? *address : Model, *address};
    bytes += frame.data;
    bytes += Frame::ETX;
    bytes += Frame::check(bytes);
    return bytes;
}

std::optional<std::string> sibrant2Layout(const Frame& frame) { return frame.encode(); }

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

}  // namespace

const std::array<Dialect, 6>& Dialect::all()
{
    using Rule = Frame::Rule;
    static const std::array<Dialect, 6> dialects{{
        {"Sibrant2", sibrant2Layout, Rule::Stx, Frame::Broadcast, true},
        {"Sibrant", singleByte<'h'>, Rule::Stx, Framing::SingleByteBroadcast, true},
        {"Parlow", singleByte<'a'>, Rule::Stx, Framing::SingleByteBroadcast, false},
        {"Quen", singleByte<'g'>, Rule::Stx, Framing::SingleByteBroadcast, false},
        {"Zem", singleByte<0>, Rule::Stx, Framing::SingleByteBroadcast, false},
        {"Tolvane", tolvane, Rule::Tolvane, Framing::SingleByteBroadcast, false},
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
