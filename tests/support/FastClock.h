#pragma once

#include "Clock.h"

namespace lettore::test {

// Four times as fast as the system's clock: the link's 5 s time-out passes
// in 1.25 s.
class FastClock : public Clock {
public:
    uint32_t nowMs() override { return m_steady.nowMs() * 4; }

private:
    SteadyClock m_steady;
};

}  // namespace lettore::test
