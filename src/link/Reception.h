#pragma once

#include "Clock.h"
#include "ByteChannel.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lettore {

// What the link reads off the port: a reader's answer within its time
// limits, a quiet line, and the readers' whole frames among input that is
// taken off the line, which go to the holdReadersFrames hook. Blocks in ByteChannel::waitForInput between reads; while it
// waits for an answer's start and end, or for a quiet line, it hands the
// event loop a turn (the yield hook) each time the elapsed time reaches the
// next multiple of YieldStepMs, 0 included. Port failures are thrown on as
// PortError; the caller holds the link busy throughout.
class Reception {
public:
    static constexpr uint32_t AnswerTimeLimitMs = 5000;
    static constexpr uint32_t YieldStepMs = 100;

    using FramesHook = std::function<void(std::vector<std::string>)>;

    // yieldToEventLoop runs the event loop once; empty means nothing to
    // run. holdReadersFrames takes the whole checked frames, oldest first,
    // found among input taken off the line.
    Reception(ByteChannel& port, Clock& clock, std::function<void()> yieldToEventLoop,
              FramesHook holdReadersFrames);

    // Time limit of an answer and of the check character after ETX
    // (AnswerTimeLimitMs by default); a scan of the line polls with less.
    void setAnswerTimeLimit(uint32_t ms) { m_answerTimeLimitMs = ms; }
    uint32_t answerTimeLimit() const { return m_answerTimeLimitMs; }

    // Ends the wait under way at its next turn, as if its time limit had
    // passed, and every later one until resetAbandon().
    void abandon() { m_abandoned = true; }
    void resetAbandon() { m_abandoned = false; }

    // A turn of the event loop for a wait of the port's own (a write):
    // false once the wait is abandoned, and then no turn is handed.
    bool waitTurn();

    // One STX-family answer: a lone ACK or NAK, or a frame up to ETX and
    // its check character (or cut short by an ACK), checked. Returns
    // Accepted with the answer, Rejected or TimedOut with "" in Risposta.
    int16_t answer(std::string& Risposta);

    // One Tolvane-family answer, as answer() does; a frame that passes its
    // check is acknowledged (acknowledge()) before it is returned.
    int16_t tolvaneAnswer(std::string& Risposta, const std::function<void()>& acknowledge);

    // Reads input until none has come for quietMs, for at most limitMs,
    // and holds the readers' frames among it. Accepted once the line was
    // quiet (at once on a closed port), TimedOut otherwise.
    int16_t quietLine(uint32_t quietMs, uint32_t limitMs);

    // Takes all waiting input off the line, holding the readers' frames
    // among it, so none of it is taken for the next answer.
    void discardWaitingInput();

private:
    class Wait;

    // How the first loop of a reception ended.
    enum class Collected { TimedOut, Lone, Frame };

    int16_t receive(char startChar, char endChar, std::string& Risposta,
                    const std::function<int16_t(std::string&)>& check);
    Collected collectFrame(char startChar, char endChar, std::string& buffer);
    bool collectCheckChar(std::string& buffer);

    ByteChannel& m_port;
    Clock& m_clock;
    std::function<void()> m_yield;
    FramesHook m_holdReadersFrames;
    uint32_t m_answerTimeLimitMs = AnswerTimeLimitMs;
    bool m_abandoned = false;
};

}  // namespace lettore
