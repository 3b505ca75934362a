#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace lettore::sim {

// When one reader sends its pending multimaster reading: at once when the
// reading is new, then again every `repeat` until it is confirmed, and
// never sooner than `quiet` after the last frame heard on the line, so that
// it does not land between a request and its answer. No I/O: the line
// tells it the time.
class ReadingSchedule {
public:
    using Clock = std::chrono::steady_clock;

    ReadingSchedule(Clock::duration repeat, Clock::duration quiet) : m_repeat(repeat), m_quiet(quiet) { }

    // The reader's pending reading at `now`, by its id; nothing once none
    // is pending. Another id starts the schedule afresh.
    void track(std::optional<std::uint64_t> readingId, Clock::time_point now);

    // When the pending reading is next due, given the last frame heard;
    // nothing without a pending reading.
    std::optional<Clock::time_point> due(Clock::time_point lastHeard) const;

    // Whether the pending reading is due at `now`; when it is, the one
    // after it is due `repeat` later, whether or not it could go out.
    bool takeDue(Clock::time_point now, Clock::time_point lastHeard);

private:
    Clock::duration m_repeat;
    Clock::duration m_quiet;
    std::optional<std::uint64_t> m_readingId;
    Clock::time_point m_due{};
};

}  // namespace lettore::sim
