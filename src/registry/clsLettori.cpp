#include "clsLettori.h"

namespace lettore {

clsLettori::clsLettori(PortOpener openPort, Clock& clock, std::function<void()> yieldToEventLoop)
    : m_clock(clock), m_yield(std::move(yieldToEventLoop))
{
    std::function<void()> linkYield;
    if (m_yield)
        linkYield = [this] { yieldNow(); };
    m_comunicazione = std::make_unique<clsComunicazioni>(std::move(openPort), clock, std::move(linkYield));
}

clsSibrant& clsLettori::Sibrant()
{
    if (!m_sibrant)
        m_sibrant = std::make_unique<clsSibrant>(Comunicazione());
    return *m_sibrant;
}

void clsLettori::yieldIfStarved()
{
    if (!m_yield || (m_lastTurn && elapsedMs(*m_lastTurn, m_clock.nowMs()) < clsComunicazioni::YieldStepMs))
        return;
    yieldNow();
}

void clsLettori::yieldNow()
{
    m_lastTurn = m_clock.nowMs();
    m_yield();
}

}  // namespace lettore
