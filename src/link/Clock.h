#pragma once

#include <cstdint>

namespace lettore {

// A millisecond counter that wraps around at 2^32, like the platform's
// tick counter. Elapsed time is the unsigned difference of two readings,
// which stays right across the wrap.
class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t nowMs() = 0;
};

// The system's monotonic clock, truncated to 32 bits.
class SteadyClock : public Clock {
public:
    uint32_t nowMs() override;
};

inline uint32_t elapsedMs(uint32_t since, uint32_t now) { return now - since; }

}  // namespace lettore
