#pragma once

#include "Frame.h"
#include "TrafficRow.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lettore {

// Cuts the bytes crossing a line, as they come in reads and writes, into
// traffic rows: frames of any of the six dialects with their parts named,
// lone ACKs and NAKs, and runs of noise. Every byte fed ends up in exactly
// one row, in order; none is lost and none doubled, whatever the bytes.
// A frame split across reads is held until it ends, as is noise at the end
// of a read (the next read may carry more of it), up to HeldLimit bytes.
// Answers are cut by the rule of the last command's dialect (Tolvane's
// '<' .. '>' after a Tolvane command, STX .. ETX otherwise); a frame that
// comes while a command waits for its answer is its answer, any other a
// reading.
class TrafficDecoder {
public:
    static constexpr std::size_t HeldLimit = 1024;

    // The rows that `bytes`, seen at `time` in `direction` (Sent, Received
    // or Discarded), complete. Sent and Discarded bytes are taken whole;
    // a send or a discard first gives the received bytes still held.
    std::vector<TrafficRow> feed(TrafficRow::Direction direction, const std::string& time,
                                 std::string_view bytes);
    // An event of the line (TimedOut, PortFailed) as a row of its own,
    // after the received bytes still held; a time-out ends the wait for
    // an answer.
    std::vector<TrafficRow> event(TrafficRow::Kind kind, const std::string& time,
                                  const std::string& note = {});
    // The rows of the bytes still held.
    std::vector<TrafficRow> flush();
    std::size_t held() const { return m_held.size(); }

private:
    // The dialect, address, type and data of a whole frame `bytes` (its
    // check character, if its layout has one, last); nothing set when no
    // dialect's layout fits.
    static void describe(TrafficRow& row, std::string_view bytes);

    struct Chunk {
        std::size_t begin;
        std::string time;
    };
    void cut(std::vector<TrafficRow>& rows, TrafficRow::Direction direction,
             const std::vector<Chunk>& chunks, std::string_view bytes, bool keepTail);
    void cutCommands(std::vector<TrafficRow>& rows, const std::string& time, std::string_view bytes);
    TrafficRow row(TrafficRow::Direction direction, const std::vector<Chunk>& chunks,
                   std::string_view bytes, const Frame::Part& part);
    void release(std::vector<TrafficRow>& rows);

    std::string m_held;            // received bytes not yet in a row
    std::vector<Chunk> m_heldTimes;
    bool m_answerDue = false;
    Frame::Rule m_answerRule = Frame::Rule::Stx;
};

}  // namespace lettore
