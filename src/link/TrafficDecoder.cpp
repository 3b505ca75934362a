#include "TrafficDecoder.h"

#include "Dialect.h"
#include "WallTime.h"

#include <algorithm>

namespace lettore {

namespace {

using Direction = TrafficRow::Direction;
using Kind = TrafficRow::Kind;
using Check = TrafficRow::Check;
using PartKind = FrameReader::Part::Kind;

}  // namespace

void TrafficDecoder::add(std::vector<TrafficRow>& rows, Direction direction, const std::string& time,
                         FrameReader::Part& part)
{
    TrafficRow row;
    row.time = time;
    row.direction = direction;
    row.bytes = std::move(part.bytes);
    switch (part.kind) {
    case PartKind::Lone:
        row.kind = row.bytes[0] == Frame::ACK ? Kind::Ack : Kind::Nak;
        m_answerDue = m_answerDue && direction == Direction::Sent;
        rows.push_back(std::move(row));
        return;
    case PartKind::Noise:
        row.kind = Kind::Noise;
        rows.push_back(std::move(row));
        return;
    case PartKind::Overlong:
    case PartKind::Unfinished:
        row.kind = Kind::Unfinished;
        rows.push_back(std::move(row));
        return;
    case PartKind::Frame: break;
    }
    const char first = row.bytes[0];
    if (first == Frame::TolvaneStart)
        row.check = part.accepted ? Check::None : Check::Rejected;
    else if (first == Frame::STX)
        row.check = part.cutShort ? Check::CutShort : part.accepted ? Check::Good : Check::Wrong;
    if (direction == Direction::Sent) {
        row.kind = Kind::Command;
        // A command's dialect tells how its answer is framed.
        m_answerRule = first == Frame::EOT ? Frame::Rule::Tolvane : Frame::Rule::Stx;
    } else {
        // A whole checked frame from a reader other than the one the
        // command went to is that reader's own, as the link takes it.
        const bool others = part.accepted && m_awaited && m_awaited->fromAnotherReader(row.bytes, m_awaitedTerm);
        row.kind = m_answerDue && direction == Direction::Received && !others ? Kind::Answer : Kind::Reading;
        if (row.kind == Kind::Answer)
            m_answerDue = false;
    }
    Dialect::Decoded decoded = Dialect::decode(row.bytes, part.cutShort);
    if (row.kind == Kind::Command) {
        m_awaited = decoded.address ? decoded.dialect : nullptr;
        m_awaitedTerm = static_cast<int16_t>(decoded.address.value_or(0));
    }
    row.dialect = decoded.dialect ? decoded.dialect->name : "";
    row.address = decoded.address;
    row.type = std::move(decoded.type);
    row.data = std::move(decoded.data);
    // A reading that follows a command its dialect leaves unanswered (a
    // broadcast, a reading's confirmation) is no answer.
    const bool answered = !row.address || !decoded.dialect || decoded.dialect->awaitsAnswer(*row.address, row.data);
    if (row.kind == Kind::Command && answered)
        m_answerDue = true;
    rows.push_back(std::move(row));
}

// Bytes taken whole: a write, or input discarded before one.
void TrafficDecoder::cut(std::vector<TrafficRow>& rows, Direction direction, const std::string& time,
                         std::string_view bytes)
{
    FrameReader reader(direction == Direction::Sent ? Frame::Rule::Request : m_answerRule);
    std::vector<FrameReader::Part> parts = reader.push(bytes);
    for (FrameReader::Part& part : reader.finish())
        parts.push_back(std::move(part));
    for (FrameReader::Part& part : parts)
        add(rows, direction, time, part);
}

// The time of the read that brought the byte at `offset`; the reads
// before it are no longer needed.
const std::string& TrafficDecoder::readTime(std::size_t offset)
{
    while (m_reads.size() > 1 && m_reads[1].first <= offset)
        m_reads.pop_front();
    return m_reads.front().second;
}

// The longest silence between two reads that brought the bytes from the
// first read held up to `end`; -1 when one read brought them all.
int TrafficDecoder::longestPause(std::size_t end) const
{
    int longest = -1;
    for (std::size_t i = 1; i < m_reads.size() && m_reads[i].first < end; ++i) {
        const auto before = isoMilliseconds(m_reads[i - 1].second);
        const auto after = isoMilliseconds(m_reads[i].second);
        if (before && after)
            longest = std::max(longest, static_cast<int>(std::min(*after - *before, 1LL << 30)));
    }
    return longest;
}

void TrafficDecoder::release(std::vector<TrafficRow>& rows)
{
    for (FrameReader::Part& part : m_received.finish(m_answerRule)) {
        const std::string time = readTime(part.begin);
        const int pause = longestPause(part.begin + part.bytes.size());
        add(rows, Direction::Received, time, part);
        rows.back().longestPauseMs = pause;
    }
    m_reads.clear();
}

std::vector<TrafficRow> TrafficDecoder::feed(Direction direction, const std::string& time, std::string_view bytes)
{
    std::vector<TrafficRow> rows;
    if (bytes.empty())
        return rows;
    if (direction != Direction::Received) {
        release(rows);
        cut(rows, direction, time, bytes);
        if (direction == Direction::Sent)
            m_received.finish(m_answerRule);  // nothing held: the rule only
        return rows;
    }
    m_reads.emplace_back(m_received.offset(), time);
    for (FrameReader::Part& part : m_received.push(bytes)) {
        const std::string time = readTime(part.begin);
        const int pause = longestPause(part.begin + part.bytes.size());
        add(rows, direction, time, part);
        rows.back().longestPauseMs = pause;
    }
    readTime(m_received.offset() - m_received.held());
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
