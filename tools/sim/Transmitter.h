#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <optional>
#include <string>

namespace lettore::sim {

// Bytes waiting to go out on the line, each piece with the time it is due.
// With a byte time, bytes leave one by one at the line's real speed and a
// transmission never overlaps the one before it; without, a piece leaves
// whole at its time.
//
// At most MaxQueuedBytes wait at once: a host that floods the line with
// requests faster than the answers can leave must not grow the queue
// without bound. A piece that does not fit is refused whole.
class Transmitter {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::size_t MaxQueuedBytes = 4096;

    // Queues `bytes` to start at `start`, one byte every `byteTime` (zero:
    // all at once). Returns false, queuing nothing, when they do not fit.
    bool schedule(const std::string& bytes, Clock::time_point start,
                  Clock::duration byteTime = Clock::duration::zero());

    // When the next piece is due; nothing when the queue is empty.
    std::optional<Clock::time_point> nextDue() const;

    // Removes and returns, in order, everything due at `now`.
    std::string takeDue(Clock::time_point now);

    // Bytes queued and not yet due.
    std::size_t queuedBytes() const { return m_queuedBytes; }

private:
    std::multimap<Clock::time_point, std::string> m_pending;
    std::size_t m_queuedBytes = 0;
    Clock::time_point m_lineFreeAt{};
};

}  // namespace lettore::sim
