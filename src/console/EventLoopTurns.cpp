#include "EventLoopTurns.h"

namespace lettore {

EventLoopTurns::EventLoopTurns(Clock& clock, std::function<void()> turn) : m_clock(clock), m_turn(std::move(turn)) { }

void EventLoopTurns::operator()()
{
    const uint32_t now = m_clock.nowMs();
    if (m_lastTurn && elapsedMs(*m_lastTurn, now) < MinGapMs)
        return;
    m_lastTurn = now;
    m_turn();
}

}  // namespace lettore
