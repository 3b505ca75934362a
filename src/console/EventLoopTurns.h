#pragma once

#include "Clock.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace lettore {

// The link's yield hook in the console: hands the event loop a turn, but
// lets a turn asked for less than MinGapMs after the last one pass. The
// link asks at the start of every wait, so a run of fast exchanges would
// otherwise repaint the windows at every exchange, which costs several
// times the exchange itself; this way they are repainted some 50 times a
// second, and a click, Esc or a lamp's timer is still served within
// MinGapMs. A long wait still gets its turns every 100 ms.
class EventLoopTurns {
public:
    static constexpr uint32_t MinGapMs = 20;

    // turn: one turn of the event loop; clock: the link's clock.
    EventLoopTurns(Clock& clock, std::function<void()> turn);

    void operator()();

private:
    Clock& m_clock;
    std::function<void()> m_turn;
    std::optional<uint32_t> m_lastTurn;
};

}  // namespace lettore
