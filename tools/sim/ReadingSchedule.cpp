#include "ReadingSchedule.h"

#include <algorithm>

namespace lettore::sim {

void ReadingSchedule::track(std::optional<std::uint64_t> readingId, Clock::time_point now)
{
    if (readingId && readingId != m_readingId)
        m_due = now;
    m_readingId = readingId;
}

std::optional<ReadingSchedule::Clock::time_point> ReadingSchedule::due(Clock::time_point lastHeard) const
{
    if (!m_readingId)
        return std::nullopt;
    return std::max(m_due, lastHeard + m_quiet);
}

bool ReadingSchedule::takeDue(Clock::time_point now, Clock::time_point lastHeard)
{
    const auto when = due(lastHeard);
    if (!when || now < *when)
        return false;
    m_due = now + m_repeat;
    return true;
}

}  // namespace lettore::sim
