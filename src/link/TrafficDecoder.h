#pragma once

#include "FrameReader.h"
#include "TrafficRow.h"

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lettore {

struct Dialect;

// Cuts the bytes crossing a line, as they come in reads and writes, into
// traffic rows: frames of any of the six dialects with their parts named
// (Dialect::decode), lone ACKs and NAKs, and runs of noise. Every byte fed
// ends up in exactly one row, in order; none is lost and none doubled,
// whatever the bytes. Received bytes go through one FrameReader, so a
// frame split across reads is held until it ends, as is a run of noise,
// within the reader's bound. Answers are cut by the rule of the last
// command's dialect (Tolvane's '<' .. '>' after a Tolvane command, STX ..
// ETX otherwise); a frame that comes while a command waits for its answer
// is its answer (unless it carries another reader's address,
// Dialect::fromAnotherReader), any other a reading.
class TrafficDecoder {
public:
    // The rows that `bytes`, seen at `time` in `direction` (Sent, Received
    // or Discarded), complete. Sent and Discarded bytes are taken whole;
    // a send or a discard first gives the received bytes still held.
    std::vector<TrafficRow> feed(TrafficRow::Direction direction, const std::string& time, std::string_view bytes);
    // An event of the line (TimedOut, PortFailed) as a row of its own,
    // after the received bytes still held; a time-out ends the wait for
    // an answer.
    std::vector<TrafficRow> event(TrafficRow::Kind kind, const std::string& time, const std::string& note = {});
    // The rows of the bytes still held.
    std::vector<TrafficRow> flush();

private:
    // Times of the reads whose bytes the received reader may still hold:
    // (offset of the read's first byte, its time).
    using Reads = std::deque<std::pair<std::size_t, std::string>>;

    void cut(std::vector<TrafficRow>& rows, TrafficRow::Direction direction, const std::string& time,
             std::string_view bytes);
    void add(std::vector<TrafficRow>& rows, TrafficRow::Direction direction, const std::string& time,
             FrameReader::Part& part);
    const std::string& readTime(std::size_t offset);
    int longestPause(std::size_t end) const;
    void release(std::vector<TrafficRow>& rows);

    FrameReader m_received;
    Reads m_reads;
    bool m_answerDue = false;
    const Dialect* m_awaited = nullptr;  // the last command's dialect, when it names a reader
    int16_t m_awaitedTerm = 0;
    Frame::Rule m_answerRule = Frame::Rule::Stx;
};

}  // namespace lettore
