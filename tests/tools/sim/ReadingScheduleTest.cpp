#include "ReadingSchedule.h"

#include <gtest/gtest.h>

namespace {

using lettore::sim::ReadingSchedule;
using namespace std::chrono_literals;

// A 2 s repeat and a 50 ms quiet gap. Each step: the time, the pending reading and
// the last frame heard (ms); whether the reading goes out and when it is next due (-1: never).
TEST(ReadingScheduleTest, SentAtOnceRepeatedUntilConfirmedAndKeptOutOfExchanges)
{
    const auto at = [](long ms) { return ReadingSchedule::Clock::time_point{} + std::chrono::milliseconds(ms); };
    ReadingSchedule schedule(2000ms, 50ms);
    const struct {
        const char* name;
        long now;
        std::optional<std::uint64_t> reading;
        long lastHeard;
        bool sent;
        long nextDue;
    } steps[] = {
        {"nothing pending", 1000, std::nullopt, 0, false, -1},
        {"a new reading goes out at once", 1000, 1, 0, true, 3000},
        {"not again before the repeat", 2999, 1, 0, false, 3000},
        {"again after the repeat", 3000, 1, 0, true, 5000},
        {"a frame heard holds it back", 5000, 1, 4980, false, 5030},
        {"out once the line was quiet", 5030, 1, 4980, true, 7030},
        {"the next reading goes out at once", 5100, 2, 4980, true, 7100},
        {"but not into an exchange", 6000, 3, 5990, false, 6040},
        {"confirmed: nothing due", 6100, std::nullopt, 5990, false, -1},
        {"the line had gone quiet long before", 9000, 4, 5990, true, 11000},
    };
    for (const auto& step : steps) {
        schedule.track(step.reading, at(step.now));
        EXPECT_EQ(schedule.takeDue(at(step.now), at(step.lastHeard)), step.sent) << step.name;
        const auto due = schedule.due(at(step.lastHeard));
        EXPECT_EQ(due ? std::chrono::duration_cast<std::chrono::milliseconds>(due->time_since_epoch()).count() : -1, step.nextDue)
            << step.name;
    }
}

}  // namespace
