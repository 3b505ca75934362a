#include "Reception.h"

#include "Esito.h"
#include "Framing.h"

#include <algorithm>
#include <optional>

namespace lettore {

namespace {

bool isChar(const std::string& s, char c) { return s.size() == 1 && s[0] == c; }

}  // namespace

// The clock of one reception: elapsed time across the counter's wrap, the
// time limit, the turns of the event loop and the blocking between reads.
class Reception::Wait {
public:
    Wait(ByteChannel& port, Clock& clock, const std::function<void()>& yield, uint32_t limitMs,
         bool yields)
        : m_port(port), m_clock(clock), m_yield(yield), m_limit(limitMs), m_yields(yields),
          m_start(clock.nowMs())
    {
    }

    uint32_t elapsed() { return elapsedMs(m_start, m_clock.nowMs()); }

    // The wait ends once more than the limit has passed.
    bool expired(uint32_t elapsed) const { return elapsed > m_limit; }

    // Hands the event loop a turn when the measured time has reached the
    // next boundary, then moves the boundary to the next multiple of the
    // yield step, so a wait that steps over a multiple still yields.
    void yieldIfDue(uint32_t elapsed)
    {
        if (!m_yields || elapsed < m_nextYield)
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
        uint32_t until = std::min(m_limit + 1, deadline);
        if (m_yields)
            until = std::min(until, m_nextYield);
        const uint32_t now = elapsed();
        if (now < until)
            m_port.waitForInput(static_cast<int>(until - now));
    }

private:
    ByteChannel& m_port;
    Clock& m_clock;
    const std::function<void()>& m_yield;
    const uint32_t m_limit;
    const bool m_yields;
    const uint32_t m_start;
    uint32_t m_nextYield = 0;
};

Reception::Reception(ByteChannel& port, Clock& clock, std::function<void()> yieldToEventLoop,
                     FramesHook holdReadersFrames)
    : m_port(port), m_clock(clock), m_yield(std::move(yieldToEventLoop)),
      m_holdReadersFrames(std::move(holdReadersFrames))
{
}

// Both loops of a reception, against one start time: first wait for the
// start character (a lone ACK or NAK is a whole answer; anything else is
// dropped), then collect until the end character or an ACK standing in
// for it. The order inside each turn is fixed: read, test the time limit,
// yield when due, then look at what was read.
Reception::Collected Reception::collectFrame(char startChar, char endChar, std::string& buffer)
{
    Wait wait(m_port, m_clock, m_yield, m_answerTimeLimitMs, true);
    // One turn: what was read, or nothing once the wait is over.
    const auto turn = [&]() -> std::optional<std::string> {
        std::string c = m_port.read(1);
        const uint32_t elapsed = wait.elapsed();
        if (wait.expired(elapsed) || m_abandoned)
            return std::nullopt;
        wait.yieldIfDue(elapsed);
        return c;
    };

    for (;;) {
        const std::optional<std::string> c = turn();
        if (!c)
            return Collected::TimedOut;
        if (isChar(*c, Framing::NAK) || isChar(*c, Framing::ACK)) {
            buffer = *c;
            return Collected::Lone;
        }
        if (isChar(*c, startChar))
            break;
        if (c->empty())
            wait.block();
    }

    buffer.assign(1, startChar);
    for (;;) {
        const std::optional<std::string> c = turn();
        if (!c)
            return Collected::TimedOut;
        if (c->empty()) {
            wait.block();
            continue;
        }
        buffer += *c;
        if (isChar(*c, Framing::ACK) || isChar(*c, endChar))
            return Collected::Frame;
    }
}

// The check character after ETX has its own time limit, counted from the
// ETX, and its wait does not hand the event loop a turn.
bool Reception::collectCheckChar(std::string& buffer)
{
    Wait wait(m_port, m_clock, m_yield, m_answerTimeLimitMs, false);
    for (;;) {
        const std::string c = m_port.read(1);
        if (wait.expired(wait.elapsed()))
            return false;
        if (!c.empty()) {
            buffer += c;
            return true;
        }
        wait.block();
    }
}

// Collects one answer; a whole frame is then finished and judged by
// `check`, and returned only when accepted.
int16_t Reception::receive(char startChar, char endChar, std::string& Risposta,
                           const std::function<int16_t(std::string&)>& check)
{
    Risposta.clear();
    std::string buffer;
    switch (collectFrame(startChar, endChar, buffer)) {
    case Collected::TimedOut:
        return Esito::TimedOut;
    case Collected::Lone:
        Risposta = buffer;
        return Esito::Accepted;
    case Collected::Frame:
        break;
    }
    const int16_t esito = check(buffer);
    if (esito == Esito::Accepted)
        Risposta = buffer;
    return esito;
}

int16_t Reception::answer(std::string& Risposta)
{
    return receive(Framing::STX, Framing::ETX, Risposta, [this](std::string& frame) {
        // A frame cut short by ACK has no check character and is checked as it is.
        if (frame.back() == Framing::ETX && !collectCheckChar(frame))
            return Esito::TimedOut;
        return Framing::VerificaRisposta(frame) ? Esito::Accepted : Esito::Rejected;
    });
}

int16_t Reception::tolvaneAnswer(std::string& Risposta, const std::function<void()>& acknowledge)
{
    return receive(Framing::TolvaneStart, Framing::TolvaneEnd, Risposta,
                   [&acknowledge](std::string& frame) {
                       if (!Framing::VerificaRisposta_TOLVANE(frame))
                           return Esito::Rejected;
                       acknowledge();
                       return Esito::Accepted;
                   });
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
    Wait wait(m_port, m_clock, m_yield, limitMs, true);
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
        if (wait.expired(elapsed) || m_abandoned)
            break;
        wait.yieldIfDue(elapsed);
        if (input.empty())
            wait.block(lastInput + quietMs);
    }
    m_holdReadersFrames(Framing::checkedFrames(heard));
    return esito;
}

void Reception::discardWaitingInput()
{
    m_holdReadersFrames(Framing::checkedFrames(m_port.discardInput()));
}

}  // namespace lettore
