#include "EventLoopTurns.h"
#include "ManualClock.h"

#include <gtest/gtest.h>

namespace lettore {

// A turn is given at the first ask, then 20 ms after the last turn given (not the last asked), the clock wrapping too.
TEST(EventLoopTurnsTest, TurnsCloserThanTheGapPass)
{
    const struct {
        uint32_t start;
        std::vector<uint32_t> asked;  // ms after start
        std::vector<bool> given;
    } rows[] = {{0, {0, 1, 19, 20, 30, 39, 40, 140}, {true, false, false, true, false, false, true, true}},
                {0xFFFFFFF0u, {0, 10, 19, 20}, {true, false, false, true}}};
    for (const auto& row : rows) {
        test::ManualClock clock(row.start);
        int turns = 0;
        EventLoopTurns hook(clock, [&] { ++turns; });
        std::vector<bool> given;
        for (uint32_t now = 0; uint32_t at : row.asked) {
            clock.advance(at - std::exchange(now, at));
            const int before = turns;
            hook();
            given.push_back(turns > before);
        }
        EXPECT_EQ(given, row.given) << row.start;
    }
}

}  // namespace lettore
