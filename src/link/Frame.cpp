#include "Frame.h"

#include <algorithm>

namespace lettore {

namespace {

using Kind = Frame::Part::Kind;

constexpr char BroadcastChar = 0x60;

// Whether `c` is one of the 16 characters from `base` on.
bool inNibbleRange(char c, int base) { return c >= base && c <= base + 0x0F; }

// Collects parts, one run of noise as one part.
class Parts {
public:
    void add(Kind kind, std::size_t begin, std::size_t end)
    {
        if (kind == Kind::Noise && !m_parts.empty() && m_parts.back().kind == Kind::Noise) {
            m_parts.back().size = end - m_parts.back().begin;
            return;
        }
        m_parts.push_back({kind, begin, end - begin});
    }
    // Every byte from `begin` up to `end`, none of which starts a frame.
    void addLoose(std::string_view input, std::size_t begin, std::size_t end)
    {
        for (std::size_t i = begin; i < end; ++i)
            add(input[i] == Frame::ACK || input[i] == Frame::NAK ? Kind::Lone : Kind::Noise, i, i + 1);
    }
    std::vector<Frame::Part> take() { return std::move(m_parts); }

private:
    std::vector<Frame::Part> m_parts;
};

std::vector<Frame::Part> parseStx(std::string_view input)
{
    constexpr auto npos = std::string_view::npos;
    constexpr std::string_view EndChars("\x03\x06", 2);  // ETX, or an ACK cutting the frame short
    const std::size_t n = input.size();
    Parts parts;
    // Every STX before one end character shares that end, so its check is
    // kept as a running XOR rather than recomputed.
    bool ended = false;
    std::size_t end = 0;  // the end character of the frame begun at `start`
    char sum = 0;         // check of that frame up to its end character
    for (std::size_t pos = 0; pos < n;) {
        const std::size_t start = input.find(Frame::STX, pos);
        parts.addLoose(input, pos, start == npos ? n : start);
        if (start == npos)
            break;
        if (!ended || end < start) {
            end = input.find_first_of(EndChars, start + 1);
            if (end == npos) {
                parts.add(Kind::Unfinished, start, n);
                break;
            }
            sum = Frame::check(input.substr(start, end + 1 - start));
            ended = true;
        }
        const bool etx = input[end] == Frame::ETX;
        if (etx && end + 1 == n) {
            parts.add(Kind::Unfinished, start, n);  // its check character has not come yet
            break;
        }
        const std::size_t partEnd = etx ? end + 2 : end + 1;
        if (etx && input[end + 1] == sum) {
            parts.add(Kind::Whole, start, partEnd);
            pos = partEnd;
            continue;
        }
        const std::size_t next = input.find(Frame::STX, start + 1);
        if (next < partEnd) {
            if (next < end)
                sum = static_cast<char>(sum ^ Frame::check(input.substr(start, next - start)));
            parts.add(Kind::Abandoned, start, next);
            pos = next;
            continue;
        }
        parts.add(etx ? Kind::BadCheck : Kind::CutShort, start, partEnd);
        pos = partEnd;
    }
    return parts.take();
}

// Frames from `start` to the first of `ends` and `after` bytes more, taken
// whole when `rule` accepts them. Where `start` is among the ends, it
// abandons the frame begun before it.
std::vector<Frame::Part> parseFrom(std::string_view input, char start, std::string_view ends,
                                   std::size_t after, Frame::Rule rule)
{
    constexpr auto npos = std::string_view::npos;
    Parts parts;
    for (std::size_t pos = 0; pos < input.size();) {
        const std::size_t begin = input.find(start, pos);
        parts.addLoose(input, pos, std::min(begin, input.size()));
        if (begin == npos)
            break;
        const std::size_t stop = input.find_first_of(ends, begin + 1);
        if (stop != npos && input[stop] == start) {
            parts.add(Kind::Abandoned, begin, stop);
            pos = stop;
            continue;
        }
        if (stop == npos || stop + after >= input.size()) {
            parts.add(Kind::Unfinished, begin, input.size());
            break;
        }
        const std::size_t end = stop + 1 + after;
        const bool whole = Frame::accepted(input.substr(begin, end - begin), rule);
        parts.add(whole ? Kind::Whole : Kind::BadCheck, begin, end);
        pos = end;
    }
    return parts.take();
}

// Requests as a reader hears them: STX .. ETX and the check character, or
// a Tolvane request, EOT EOT up to its ETX (set) or ENQ (poll), which has
// no check character.
std::vector<Frame::Part> parseRequests(std::string_view input)
{
    constexpr auto npos = std::string_view::npos;
    constexpr std::string_view TolvaneOpen("\x04\x04", 2);
    Parts parts;
    const auto stxParts = [](std::string_view bytes) {
        return parseFrom(bytes, Frame::STX, std::string_view("\x02\x03", 2), 1, Frame::Rule::Stx);
    };
    for (std::size_t pos = 0; pos < input.size();) {
        std::size_t open = input.find(TolvaneOpen, pos);
        std::string_view before = input.substr(pos, open == npos ? npos : open - pos);
        std::vector<Frame::Part> stx = stxParts(before);
        // A frame that has its ETX takes the next byte as its check, even
        // an EOT that another follows: it was whole when that byte came.
        while (open != npos && !stx.empty() && stx.back().kind == Kind::Unfinished && before.back() == Frame::ETX) {
            open = input.find(TolvaneOpen, open + 1);
            before = input.substr(pos, open == npos ? npos : open - pos);
            stx = stxParts(before);
        }
        // A request is at least STX, ETX and the check, so its answer rule
        // is its check. One still open where a Tolvane request starts is
        // given up there.
        for (const Frame::Part& part : stx) {
            const bool givenUp = part.kind == Kind::Unfinished && open != npos;
            parts.add(givenUp ? Kind::Abandoned : part.kind, pos + part.begin, pos + part.begin + part.size);
        }
        if (open == npos)
            break;
        const std::size_t end = input.find_first_of(std::string_view("\x03\x05", 2), open + 2);
        if (end == npos) {
            parts.add(Kind::Unfinished, open, input.size());
            break;
        }
        parts.add(Kind::Whole, open, end + 1);
        pos = end + 1;
    }
    return parts.take();
}

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

std::vector<Frame::Part> Frame::parse(std::string_view input, Rule rule)
{
    switch (rule) {
    case Rule::Stx: return parseStx(input);
    case Rule::Tolvane: return parseFrom(input, TolvaneStart, std::string_view("\x06>", 2), 0, rule);
    case Rule::Request: return parseRequests(input);
    }
    return {};
}

}  // namespace lettore
