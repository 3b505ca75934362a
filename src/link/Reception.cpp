#include "Reception.h"

#include "Esito.h"
#include "FrameReader.h"

#include <algorithm>
#include <optional>

namespace lettore {

// The clock of one reception: elapsed time across the counter's wrap, the
// time limit, the turns of the event loop and the blocking between reads.
class Reception::Wait {
public:
    Wait(ByteChannel& port, Clock& clock, const std::function<void()>& yield, uint32_t limitMs)
        : m_port(port), m_clock(clock), m_yield(yield), m_limit(limitMs), m_start(clock.nowMs())
    { }

    uint32_t elapsed() { return elapsedMs(m_start, m_clock.nowMs()); }

    // The wait ends once more than the limit has passed.
    bool expired(uint32_t elapsed) const { return elapsed > m_limit; }

    // Hands the event loop a turn when the measured time has reached the
    // next boundary, then moves the boundary to the next multiple of the
    // yield step, so a wait that steps over a multiple still yields.
    void yieldIfDue(uint32_t elapsed)
    {
        if (elapsed < m_nextYield)
            return;
        m_nextYield = (elapsed / YieldStepMs + 1) * YieldStepMs;
        if (m_yield)
            m_yield();
    }

    // Sleeps in the port until input may be waiting, the next yield
    // boundary, the moment the limit is passed or elapsed time `deadline`,
    // whichever comes first.
    void block(uint32_t deadline = UINT32_MAX)
    {
        const uint32_t until = std::min({m_limit + 1, deadline, m_nextYield});
        const uint32_t now = elapsed();
        if (now < until)
            m_port.waitForInput(static_cast<int>(until - now));
    }

private:
    ByteChannel& m_port;
    Clock& m_clock;
    const std::function<void()>& m_yield;
    const uint32_t m_limit;
    const uint32_t m_start;
    uint32_t m_nextYield = 0;
};

Reception::Reception(ByteChannel& port, Clock& clock, std::function<void()> yieldToEventLoop,
                     FramesHook holdReadersFrames)
    : m_port(port), m_clock(clock), m_yield(std::move(yieldToEventLoop)),
      m_holdReadersFrames(std::move(holdReadersFrames))
{ }

// One wait from the send: test the time limit, yield when due, end if
// that turn abandoned the wait, then read and hand what was read to the
// frame reader. After ETX the check character has a wait of its own,
// counted from the ETX, with its own turns; a frame held as another
// reader's sends the reader back to the first wait.
int16_t Reception::receive(Frame::Rule rule, std::string& Risposta, const OthersFrame& othersFrame,
                           const std::function<void()>& acknowledge)
{
    using Kind = FrameReader::Part::Kind;
    Risposta.clear();
    FrameReader reader(rule);
    Wait answerWait(m_port, m_clock, m_yield, m_answerTimeLimitMs);
    std::optional<Wait> checkWait;
    for (;;) {
        Wait& wait = checkWait ? *checkWait : answerWait;
        // The limit and the turn come before the read, so a wait that ends
        // leaves the next byte on the line: the start of a reader's frame
        // is held with the rest of it before the next send.
        const uint32_t elapsed = wait.elapsed();
        if (wait.expired(elapsed))
            return Esito::TimedOut;
        wait.yieldIfDue(elapsed);
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
            checkWait.emplace(m_port, m_clock, m_yield, m_answerTimeLimitMs);
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
    Wait wait(m_port, m_clock, m_yield, limitMs);
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
        wait.yieldIfDue(elapsed);
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
