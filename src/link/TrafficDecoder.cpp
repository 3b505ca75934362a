#include "TrafficDecoder.h"

#include "Dialect.h"
#include "WallTime.h"

#include <algorithm>

namespace lettore {

namespace {

using Direction = TrafficRow::Direction;
using Kind = TrafficRow::Kind;
using Check = TrafficRow::Check;
using PartKind = Frame::Part::Kind;

constexpr char BroadcastChar = 0x60;

bool within(char c, int low, int high)
{
    const int value = static_cast<unsigned char>(c);
    return value >= low && value <= high;
}

// The single-byte dialects' address byte: term + 0x40 sets, term + 0x20 polls.
void singleByteAddress(TrafficRow& row, char address)
{
    const bool set = within(address, 0x40, 0xFF);
    row.address = static_cast<unsigned char>(address) - (set ? 0x40 : 0x20);
    row.type = set ? "S" : "P";
}

// The model letter of the single-byte dialects that carry one.
const char* modelDialect(char c)
{
    switch (c) {
    case 'h': return "Sibrant";
    case 'a': return "Parlow";
    case 'g': return "Quen";
    }
    return nullptr;
}

}  // namespace

void TrafficDecoder::describe(TrafficRow& row, std::string_view bytes)
{
    if (bytes.size() >= 2 && bytes[0] == Frame::TolvaneStart) {
        row.dialect = "Tolvane";
        row.data = bytes.substr(1, bytes.size() - 2);
        return;
    }
    if (bytes.size() >= 4 && bytes[0] == Frame::EOT && bytes[1] == Frame::EOT) {
        row.dialect = "Tolvane";
        const bool set = bytes[2] == Frame::STX;
        const std::string_view body = bytes.substr(set ? 3 : 2, bytes.size() - (set ? 4 : 3));
        if (body.empty())
            return;
        row.address = static_cast<unsigned char>(body[0]) - 0x30;
        row.type = set ? "S" : "poll";
        row.data = body.substr(1);
        return;
    }
    // STX, two address bytes, data, then ETX and the check character, or an
    // ACK that cut the frame short.
    if (bytes.size() < 4 || bytes[0] != Frame::STX)
        return;
    // A whole frame whose check character happens to be ACK ends in ACK too:
    // only a frame the ACK cut short has no ETX and check character.
    const std::size_t tail = row.check == Check::CutShort ? 1 : 2;
    if (bytes.size() < 3 + tail)
        return;
    const char high = bytes[1];
    const char low = bytes[2];
    const std::string_view data = bytes.substr(3, bytes.size() - 3 - tail);
    if (high == BroadcastChar && low == BroadcastChar) {
        row.dialect = Dialect::sibrant2().name;
        row.address = Frame::Broadcast;
        row.type = "S";
    } else if (within(high, 0x30, 0x3F) && within(low, 0x20, 0x3F)) {
        const bool set = within(low, 0x30, 0x3F);
        row.dialect = Dialect::sibrant2().name;
        row.address = *Frame::address(high, low, set);
        row.type = set ? "S" : "P";
    } else if (const char* model = modelDialect(high)) {
        row.dialect = model;
        singleByteAddress(row, low);
    } else if (high == low && within(high, 0x20, 0xFF)) {
        row.dialect = "Zem";
        singleByteAddress(row, low);
    } else {
        row.data = bytes.substr(1, bytes.size() - 1 - tail);
        return;
    }
    row.data = data;
}

TrafficRow TrafficDecoder::row(Direction direction, const std::vector<Chunk>& chunks,
                               std::string_view bytes, const Frame::Part& part)
{
    TrafficRow row;
    // The time of the read that brought the part's first byte.
    const auto chunk = std::upper_bound(chunks.begin(), chunks.end(), part.begin,
                                        [](std::size_t at, const Chunk& c) { return at < c.begin; });
    row.time = std::prev(chunk)->time;
    // Reads that began inside the part: the silences before them.
    for (auto next = chunk; next != chunks.end() && next->begin < part.begin + part.size; ++next) {
        const auto before = isoMilliseconds(std::prev(next)->time);
        const auto after = isoMilliseconds(next->time);
        if (before && after)
            row.longestPauseMs = std::max(row.longestPauseMs, static_cast<int>(std::min(*after - *before, 1LL << 30)));
    }
    row.direction = direction;
    row.bytes = bytes.substr(part.begin, part.size);
    switch (part.kind) {
    case PartKind::Lone:
        row.kind = row.bytes[0] == Frame::ACK ? Kind::Ack : Kind::Nak;
        m_answerDue = m_answerDue && direction == Direction::Sent;
        return row;
    case PartKind::Noise:
    case PartKind::Abandoned: row.kind = Kind::Noise; return row;
    case PartKind::Unfinished: row.kind = Kind::Unfinished; return row;
    case PartKind::Whole: row.check = Check::Good; break;
    case PartKind::BadCheck: row.check = Check::Wrong; break;
    case PartKind::CutShort: row.check = Check::CutShort; break;
    }
    if (direction == Direction::Sent) {
        row.kind = Kind::Command;
    } else {
        row.kind = m_answerDue && direction == Direction::Received ? Kind::Answer : Kind::Reading;
        if (row.kind == Kind::Answer)
            m_answerDue = false;
    }
    if (row.bytes[0] == Frame::TolvaneStart)
        row.check = part.kind == PartKind::Whole ? Check::None : Check::Rejected;
    describe(row, row.bytes);
    return row;
}

void TrafficDecoder::cut(std::vector<TrafficRow>& rows, Direction direction,
                         const std::vector<Chunk>& chunks, std::string_view bytes, bool keepTail)
{
    const Frame::Rule rule = direction == Direction::Sent ? Frame::Rule::Request : m_answerRule;
    std::vector<Frame::Part> parts = Frame::parse(bytes, rule);
    std::size_t keep = bytes.size();
    if (keepTail && !parts.empty() && bytes.size() <= HeldLimit
        && (parts.back().kind == PartKind::Unfinished || parts.back().kind == PartKind::Noise)) {
        keep = parts.back().begin;
        parts.pop_back();
    }
    for (const Frame::Part& part : parts)
        rows.push_back(row(direction, chunks, bytes, part));
    if (!keepTail)
        return;
    // What is kept starts a new held run, its chunks' offsets moved with it.
    std::vector<Chunk> times;
    for (std::size_t i = 0; i < chunks.size(); ++i)
        if (i + 1 == chunks.size() || chunks[i + 1].begin > keep)
            times.push_back({chunks[i].begin > keep ? chunks[i].begin - keep : 0, chunks[i].time});
    m_held = std::string(bytes.substr(keep));
    m_heldTimes = m_held.empty() ? std::vector<Chunk>{} : std::move(times);
}

// A Tolvane command, EOT EOT and STX .. ETX to set or the address and ENQ
// to poll, has no check character: it is cut at its end byte.
void TrafficDecoder::cutCommands(std::vector<TrafficRow>& rows, const std::string& time,
                                 std::string_view bytes)
{
    const std::vector<Chunk> chunks{{0, time}};
    const bool tolvane = bytes.size() >= 2 && bytes[0] == Frame::EOT && bytes[1] == Frame::EOT;
    if (!tolvane) {
        m_answerRule = Frame::Rule::Stx;
        cut(rows, Direction::Sent, chunks, bytes, false);
    } else {
        m_answerRule = Frame::Rule::Tolvane;
        const std::size_t end = bytes.find_first_of(std::string_view("\x03\x05", 2), 2);
        const std::size_t size = end == std::string_view::npos ? bytes.size() : end + 1;
        TrafficRow command;
        command.time = time;
        command.direction = Direction::Sent;
        command.kind = end == std::string_view::npos ? Kind::Unfinished : Kind::Command;
        command.bytes = bytes.substr(0, size);
        if (command.kind == Kind::Command)
            describe(command, command.bytes);
        rows.push_back(std::move(command));
        if (size < bytes.size())
            cut(rows, Direction::Sent, {{0, time}}, bytes.substr(size), false);
    }
    for (const TrafficRow& row : rows)
        if (row.kind == Kind::Command && row.address != Frame::Broadcast)
            m_answerDue = true;
}

void TrafficDecoder::release(std::vector<TrafficRow>& rows)
{
    if (m_held.empty())
        return;
    const std::string held = std::move(m_held);
    const std::vector<Chunk> times = std::move(m_heldTimes);
    m_held.clear();
    m_heldTimes.clear();
    cut(rows, Direction::Received, times, held, false);
}

std::vector<TrafficRow> TrafficDecoder::feed(Direction direction, const std::string& time,
                                             std::string_view bytes)
{
    std::vector<TrafficRow> rows;
    if (bytes.empty())
        return rows;
    if (direction == Direction::Received) {
        std::vector<Chunk> chunks = std::move(m_heldTimes);
        chunks.push_back({m_held.size(), time});
        const std::string all = m_held + std::string(bytes);
        cut(rows, direction, chunks, all, true);
        return rows;
    }
    release(rows);
    if (direction == Direction::Sent) {
        std::vector<TrafficRow> commands;
        cutCommands(commands, time, bytes);
        rows.insert(rows.end(), std::make_move_iterator(commands.begin()),
                    std::make_move_iterator(commands.end()));
    } else {
        cut(rows, Direction::Discarded, {{0, time}}, bytes, false);
    }
    return rows;
}

std::vector<TrafficRow> TrafficDecoder::event(Kind kind, const std::string& time, const std::string& note)
{
    std::vector<TrafficRow> rows;
    release(rows);
    TrafficRow row;
    row.time = time;
    row.kind = kind;
    row.note = note;
    rows.push_back(std::move(row));
    if (kind == Kind::TimedOut)
        m_answerDue = false;
    return rows;
}

std::vector<TrafficRow> TrafficDecoder::flush()
{
    std::vector<TrafficRow> rows;
    release(rows);
    return rows;
}

}  // namespace lettore
