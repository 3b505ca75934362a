#include "Reception.h"

#include "Esito.h"
#include "FrameReader.h"

#include <algorithm>
#include <optional>

namespace lettore {

// The turns of the event loop during one reception: one each time the
// time since its start reaches the next multiple of YieldStepMs, 0
// included, whichever of its waits is under way. The wait for the check
// character goes on with the schedule of the wait for the answer instead
// of starting one of its own: its turn would otherwise fall right between
// the end character and the check character, which follows it at once.
class Reception::Turns {
public:
    Turns(Clock& clock, const std::function<void()>& yield) : m_clock(clock), m_yield(yield), m_start(clock.nowMs()) { }

    // Hands the event loop a turn when the next boundary has been reached,
    // then moves the boundary to the next multiple of the step, so a wait
    // that steps over a multiple still yields.
    void yieldIfDue()
    {
        const uint32_t elapsed = elapsedMs(m_start, m_clock.nowMs());
        if (elapsed < m_next)
            return;
        m_next = (elapsed / YieldStepMs + 1) * YieldStepMs;
        if (m_yield)
            m_yield();
    }

    // Milliseconds until the next turn is due; 0 when it is.
    uint32_t untilNext()
    {
        const uint32_t elapsed = elapsedMs(m_start, m_clock.nowMs());
        return elapsed < m_next ? m_next - elapsed : 0;
    }

private:
    Clock& m_clock;
    const std::function<void()>& m_yield;
    const uint32_t m_start;
    uint32_t m_next = 0;
};

// One time limit of a reception, counted across the counter's wrap, and
// the blocking between reads.
class Reception::Wait {
public:
    Wait(ByteChannel& port, Clock& clock, Turns& turns, uint32_t limitMs)
        : m_port(port), m_clock(clock), m_turns(turns), m_limit(limitMs), m_start(clock.nowMs())
    { }

    uint32_t elapsed() { return elapsedMs(m_start, m_clock.nowMs()); }

    // The wait ends once more than the limit has passed.
    bool expired(uint32_t elapsed) const { return elapsed > m_limit; }

    // Sleeps in the port until input may be waiting, the next turn, the
    // moment the limit is passed or elapsed time `deadline`, whichever
    // comes first.
    void block(uint32_t deadline = UINT32_MAX)
    {
        const uint32_t until = std::min(m_limit + 1, deadline);
        const uint32_t now = elapsed();
        if (now >= until)
            return;
        const uint32_t span = std::min(until - now, m_turns.untilNext());
        if (span > 0)
            m_port.waitForInput(static_cast<int>(span));
    }

private:
    ByteChannel& m_port;
    Clock& m_clock;
    Turns& m_turns;
    const uint32_t m_limit;
    const uint32_t m_start;
};

Reception::Reception(ByteChannel& port, Clock& clock, std::function<void()> yieldToEventLoop,
                     FramesHook holdReadersFrames)
    : m_port(port), m_clock(clock), m_yield(std::move(yieldToEventLoop)),
      m_holdReadersFrames(std::move(holdReadersFrames))
{ }

// One wait from the send: test the time limit, yield when due, end if
// that turn abandoned the wait, then read and hand what was read to the
// frame reader. After ETX the check character has a time limit of its
// own, counted from the ETX; a frame held as another reader's sends the
// reader back to the first limit.
int16_t Reception::receive(Frame::Rule rule, std::string& Risposta, const OthersFrame& othersFrame,
                           const std::function<void()>& acknowledge)
{
    using Kind = FrameReader::Part::Kind;
    Risposta.clear();
    FrameReader reader(rule);
    Turns turns(m_clock, m_yield);
    Wait answerWait(m_port, m_clock, turns, m_answerTimeLimitMs);
    std::optional<Wait> checkWait;
    for (;;) {
        Wait& wait = checkWait ? *checkWait : answerWait;
        // The limit and the turn come before the read, so a wait that ends
        // leaves the next byte on the line: the start of a reader's frame
        // is held with the rest of it before the next send.
        const uint32_t elapsed = wait.elapsed();
        if (wait.expired(elapsed))
            return Esito::TimedOut;
        turns.yieldIfDue();
        if (m_abandoned)
            return Esito::TimedOut;
        const std::string c = m_port.read(1);
        if (c.empty()) {
            wait.block();
            continue;
        }
        for (FrameReader::Part& part : reader.push(c)) {
            if (part.kind == Kind::Lone) {
                Risposta = std::move(part.bytes);
                return Esito::Accepted;
            }
            if (part.kind != Kind::Frame)
                continue;  // noise
            if (!part.accepted)
                return Esito::Rejected;
            if (othersFrame && othersFrame(part.bytes)) {
                m_holdReadersFrames({std::move(part.bytes)});
                continue;
            }
            if (acknowledge)
                acknowledge();
            Risposta = std::move(part.bytes);
            return Esito::Accepted;
        }
        if (reader.state() != FrameReader::State::CheckChar)
            checkWait.reset();
        else if (!checkWait)
            checkWait.emplace(m_port, m_clock, turns, m_answerTimeLimitMs);
    }
}

int16_t Reception::answer(std::string& Risposta, const OthersFrame& othersFrame)
{
    return receive(Frame::Rule::Stx, Risposta, othersFrame, {});
}

int16_t Reception::tolvaneAnswer(std::string& Risposta, const std::function<void()>& acknowledge)
{
    return receive(Frame::Rule::Tolvane, Risposta, {}, acknowledge);
}

bool Reception::waitTurn()
{
    if (!m_abandoned && m_yield)
        m_yield();
    return !m_abandoned;
}

// The input that came before a failure is dropped with the wait.
int16_t Reception::quietLine(uint32_t quietMs, uint32_t limitMs)
{
    if (!m_port.isOpen())
        return Esito::Accepted;
    Turns turns(m_clock, m_yield);
    Wait wait(m_port, m_clock, turns, limitMs);
    std::string heard;
    uint32_t lastInput = 0;
    int16_t esito = Esito::TimedOut;
    for (;;) {
        const std::string input = m_port.read();
        const uint32_t elapsed = wait.elapsed();
        heard += input;
        if (!input.empty())
            lastInput = elapsed;
        else if (elapsed - lastInput >= quietMs) {
            esito = Esito::Accepted;
            break;
        }
        if (wait.expired(elapsed))
            break;
        turns.yieldIfDue();
        if (m_abandoned)
            break;
        if (input.empty())
            wait.block(lastInput + quietMs);
    }
    m_holdReadersFrames(FrameReader::checkedFrames(heard));
    return esito;
}

void Reception::discardWaitingInput() { m_holdReadersFrames(FrameReader::checkedFrames(m_port.discardInput())); }

}  // namespace lettore
