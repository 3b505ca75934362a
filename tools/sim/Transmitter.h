#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>

namespace lettore::sim {

// Bytes waiting to go out on the line, each piece with the time it is due.
// With a byte time, bytes leave one by one at the line's real speed and a
// transmission never overlaps the one before it; without, a piece leaves
// whole at its time.
class Transmitter {
public:
    using Clock = std::chrono::steady_clock;

    // Queues `bytes` to start at `start`, one byte every `byteTime` (zero:
    // all at once).
    void schedule(const std::string& bytes, Clock::time_point start,
                  Clock::duration byteTime = Clock::duration::zero());

    // When the next piece is due; nothing when the queue is empty.
    std::optional<Clock::time_point> nextDue() const;

    // Removes and returns, in order, everything due at `now`.
    std::string takeDue(Clock::time_point now);

private:
    std::multimap<Clock::time_point, std::string> m_pending;
    Clock::time_point m_lineFreeAt{};
};

}  // namespace lettore::sim
