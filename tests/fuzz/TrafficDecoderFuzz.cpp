// The traffic decoder under arbitrary pieces: every byte back once, in order, in its direction, no row too long.
#include "FuzzInput.h"

#include "TrafficDecoder.h"

using namespace lettore;
using lettore::fuzz::FuzzInput;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    TrafficDecoder decoder;
    std::string fed[3], given[3];
    const auto take = [&](const std::vector<TrafficRow>& rows) {
        for (const TrafficRow& row : rows) {
            const bool line = row.direction == TrafficRow::Direction::Line;
            FUZZ_CHECK(row.bytes.empty() == line);
            FUZZ_CHECK(row.bytes.size() <= FrameReader::MaxFrameBytes);
            if (!line)
                given[static_cast<int>(row.direction)] += row.bytes;
        }
    };
    while (!input.empty()) {
        const size_t what = input.pick(4);
        if (what == 3) {
            take(decoder.event(input.flag() ? TrafficRow::Kind::TimedOut : TrafficRow::Kind::PortFailed, "t"));
            continue;
        }
        const std::string bytes = input.bytes(64);
        fed[what] += bytes;
        take(decoder.feed(static_cast<TrafficRow::Direction>(what), "t", bytes));
    }
    take(decoder.flush());
    for (int direction = 0; direction < 3; ++direction)
        FUZZ_CHECK(given[direction] == fed[direction]);
    return 0;
}
