#pragma once

#include "ByteChannel.h"
#include "Clock.h"
#include "Frame.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lettore {

// What the link reads off the port: a reader's answer within its time
// limits, a quiet line, and the readers' whole frames among input that is
// taken off the line, which go to the holdReadersFrames hook. The line is
// cut into frames by a FrameReader. Blocks in ByteChannel::waitForInput between
// reads; every reception (an answer up to its check character, a quiet
// line) hands the event loop a turn (the yield hook) each time the time
// since it began reaches the next multiple of YieldStepMs, 0 included,
// and ends as soon as a turn calls abandon(). Port failures are thrown on
// as PortError; the caller holds the link busy throughout.
class Reception {
public:
    static constexpr uint32_t AnswerTimeLimitMs = 5000;
    static constexpr uint32_t YieldStepMs = 100;

    using FramesHook = std::function<void(std::vector<std::string>)>;
    // Whether a whole checked frame came from a reader other than the one
    // an exchange waits on.
    using OthersFrame = std::function<bool(std::string_view frame)>;

    // yieldToEventLoop runs the event loop once; empty means nothing to
    // run. holdReadersFrames takes the whole checked frames, oldest first,
    // found among input taken off the line.
    Reception(ByteChannel& port, Clock& clock, std::function<void()> yieldToEventLoop, FramesHook holdReadersFrames);

    // Time limit of an answer and of the check character after ETX
    // (AnswerTimeLimitMs by default); a scan of the line polls with less.
    void setAnswerTimeLimit(uint32_t ms) { m_answerTimeLimitMs = ms; }
    uint32_t answerTimeLimit() const { return m_answerTimeLimitMs; }

    // Ends the wait under way as soon as the turn of the event loop that
    // called this returns, as if its time limit had passed, and every later
    // one until resetAbandon().
    void abandon() { m_abandoned = true; }
    void resetAbandon() { m_abandoned = false; }

    // A turn of the event loop for a wait of the port's own (a write):
    // false once the wait is abandoned, and then no turn is handed.
    bool waitTurn();

    // One answer: a lone ACK or NAK, or a whole frame (STX family: up to
    // ETX and its check character, or cut short by an ACK; Tolvane: '<' ..
    // '>'), checked. A frame that passes its check and that othersFrame
    // says is another reader's is held, and the wait goes on within its
    // time limit. Returns Accepted with the answer, Rejected or TimedOut
    // with "" in Risposta. A Tolvane answer that passes is acknowledged
    // (acknowledge()) before it is returned.
    int16_t answer(std::string& Risposta, const OthersFrame& othersFrame = {});
    int16_t tolvaneAnswer(std::string& Risposta, const std::function<void()>& acknowledge);

    // Reads input until none has come for quietMs, for at most limitMs,
    // and holds the readers' frames among it. Accepted once the line was
    // quiet (at once on a closed port), TimedOut otherwise.
    int16_t quietLine(uint32_t quietMs, uint32_t limitMs);

    // Takes all waiting input off the line, holding the readers' frames
    // among it, so none of it is taken for the next answer.
    void discardWaitingInput();

private:
    class Turns;
    class Wait;

    int16_t receive(Frame::Rule rule, std::string& Risposta, const OthersFrame& othersFrame,
                    const std::function<void()>& acknowledge);

    ByteChannel& m_port;
    Clock& m_clock;
    std::function<void()> m_yield;
    FramesHook m_holdReadersFrames;
    uint32_t m_answerTimeLimitMs = AnswerTimeLimitMs;
    bool m_abandoned = false;
};

}  // namespace lettore
