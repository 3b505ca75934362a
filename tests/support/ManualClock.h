#pragma once

#include "Clock.h"

namespace lettore::test {

// A clock that moves only when told to.
class ManualClock : public Clock {
public:
    explicit ManualClock(uint32_t start = 0) : m_now(start) { }

    uint32_t nowMs() override { return m_now; }
    void advance(uint32_t ms) { m_now += ms; }

private:
    uint32_t m_now;
};

}  // namespace lettore::test
