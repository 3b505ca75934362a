#include "EventLoopTurns.h"
#include "ManualClock.h"

#include <gtest/gtest.h>

#include <vector>

namespace lettore {
namespace {

// Turns asked for at the given times (ms after `start`): which were given.
std::vector<bool> turnsGiven(uint32_t start, const std::vector<uint32_t>& asked)
{
    test::ManualClock clock(start);
    int turns = 0;
    EventLoopTurns hook(clock, [&] { ++turns; });
    std::vector<bool> given;
    uint32_t now = 0;
    for (uint32_t at : asked) {
        clock.advance(at - now);
        now = at;
        const int before = turns;
        hook();
        given.push_back(turns > before);
    }
    return given;
}

TEST(EventLoopTurnsTest, TurnsCloserThanTheGapPass)
{
    // The first always; 20 ms after the last one given, not after the last one asked.
    EXPECT_EQ(turnsGiven(0, {0, 1, 19, 20, 30, 39, 40, 140}),
              (std::vector<bool>{true, false, false, true, false, false, true, true}));
}

TEST(EventLoopTurnsTest, TheClockWrapping)
{
    EXPECT_EQ(turnsGiven(0xFFFFFFF0u, {0, 10, 19, 20}), (std::vector<bool>{true, false, false, true}));
}

}  // namespace
}  // namespace lettore
