#include "Fault.h"

#include "ArgumentChecks.h"

#include <array>
#include <stdexcept>
#include <utility>

namespace lettore::sim {

namespace {

constexpr std::array<std::pair<Fault, std::string_view>, 9> names{{
    {Fault::None, "none"},
    {Fault::Silent, "silent"},
    {Fault::BadBcc, "badbcc"},
    {Fault::Noise, "noise"},
    {Fault::Garble, "garble"},
    {Fault::Split, "split"},
    {Fault::Late, "late"},
    {Fault::Drop, "drop"},
    {Fault::Nak, "nak"},
}};

// Bytes that a host must drop while it waits for STX: none of them is STX,
// ACK or NAK.
const std::string NoiseBytes{'\xFF', '\x7E', '\x00', '\x55'};
constexpr std::size_t SplitPieces = 3;
// A lone ACK or NAK has no check character to spoil and no inside.
constexpr std::size_t ShortestFrame = 3;

}  // namespace

Fault parseFault(std::string_view name)
{
    for (const auto& [fault, text] : names)
        if (text == name)
            return fault;
    throw std::invalid_argument("unknown fault " + ArgumentChecks::quoted(name));
}

std::string faultName(Fault fault)
{
    for (const auto& [value, text] : names)
        if (value == fault)
            return std::string(text);
    return "?";
}

std::string FaultyAnswer::bytes() const
{
    std::string all;
    for (const auto& piece : pieces)
        all += piece.bytes;
    return all;
}

FaultyAnswer applyFault(Fault fault, const std::string& answer, const FaultTiming& timing)
{
    std::string out = answer;
    switch (fault) {
    case Fault::None:
    case Fault::Drop:
    case Fault::Nak: return {{{out}}, ""};
    case Fault::Silent: return {};
    case Fault::BadBcc:
        if (out.size() >= ShortestFrame)
            out.back() = static_cast<char>(out.back() ^ 0x5A);
        return {{{out}}, " (fault: wrong check character)"};
    case Fault::Noise: return {{{NoiseBytes + out}}, " (fault: noise first)"};
    case Fault::Garble:
        // After STX and the address, so the frame still starts and ends
        // as one.
        if (out.size() < ShortestFrame)
            return {{{out}}, ""};
        out.insert(3, NoiseBytes);
        return {{{out}}, " (fault: noise inside)"};
    case Fault::Split: {
        FaultyAnswer split{{}, " (fault: in pieces)"};
        const std::size_t piece = (out.size() + SplitPieces - 1) / SplitPieces;
        for (std::size_t i = 0; i * piece < out.size(); ++i)
            split.pieces.push_back({out.substr(i * piece, piece), timing.splitPause * static_cast<long>(i)});
        return split;
    }
    case Fault::Late:
        return {{{out, timing.lateBy}}, " (fault: late by " + std::to_string(timing.lateBy.count()) + " ms)"};
    }
    return {{{out}}, ""};
}

}  // namespace lettore::sim
