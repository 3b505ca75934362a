#include "Transmitter.h"

#include <algorithm>

namespace lettore::sim {

bool Transmitter::schedule(const std::string& bytes, Clock::time_point start, Clock::duration byteTime)
{
    if (bytes.empty())
        return true;
    if (bytes.size() > MaxQueuedBytes - m_queuedBytes)
        return false;
    m_queuedBytes += bytes.size();
    if (byteTime == Clock::duration::zero()) {
        m_pending.emplace(start, bytes);
        return true;
    }
    start = std::max(start, m_lineFreeAt);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        m_pending.emplace(start + byteTime * static_cast<long>(i + 1), std::string(1, bytes[i]));
    m_lineFreeAt = start + byteTime * static_cast<long>(bytes.size());
    return true;
}

std::optional<Transmitter::Clock::time_point> Transmitter::nextDue() const
{
    if (m_pending.empty())
        return std::nullopt;
    return m_pending.begin()->first;
}

std::string Transmitter::takeDue(Clock::time_point now)
{
    std::string bytes;
    auto it = m_pending.begin();
    for (; it != m_pending.end() && it->first <= now; ++it)
        bytes += it->second;
    m_pending.erase(m_pending.begin(), it);
    m_queuedBytes -= bytes.size();
    return bytes;
}

}  // namespace lettore::sim
