// The traffic decoder on spelled-out streams, each dialect both ways, and the port tap that feeds it.
#include "TrafficDecoder.h"
#include "PortTap.h"
#include "SimulatedPort.h"

#include <gtest/gtest.h>

using namespace lettore;
using namespace lettore::test;
using Direction = TrafficRow::Direction;

namespace {

// A row as one line: direction, kind, dialect, address, type, data, check, [bytes].
std::string summary(const TrafficRow& row)
{
    std::string text = std::string(TrafficRow::name(row.direction)) + " " + TrafficRow::name(row.kind);
    for (const std::string& field : {row.dialect, row.address ? std::to_string(*row.address) : "", row.type, row.data,
                                     std::string(TrafficRow::name(row.check))})
        if (!field.empty())
            text += " " + field;
    return text + " [" + hex(row.bytes) + "]";
}

using Feed = std::pair<Direction, const char*>;  // hex bytes

std::vector<std::string> decode(const std::vector<Feed>& feeds)
{
    TrafficDecoder decoder;
    std::vector<std::string> lines;
    int n = 0;
    for (const auto& [direction, bytes] : feeds)
        for (const TrafficRow& row : decoder.feed(direction, "t" + std::to_string(n++), unhex(bytes)))
            lines.push_back(row.time + " " + summary(row));
    for (const TrafficRow& row : decoder.flush())
        lines.push_back(row.time + " " + summary(row));
    return lines;
}

constexpr Direction TX = Direction::Sent, RX = Direction::Received, Drop = Direction::Discarded;

TEST(TrafficDecoder, NamesTheFramesOfEveryDialectBothWays)
{
    const struct {
        const char* name;
        std::vector<Feed> feeds;
        std::vector<std::string> rows;
    } cases[] = {
        {"Sibrant2 command and answer",
         {{TX, "02 3A 35 32 03 3C"}, {RX, "02 3A 25 4F 4B 03 1A"}},
         {"t0 TX command Sibrant2 165 S 2 check character good [02 3A 35 32 03 3C]",
          "t1 RX answer Sibrant2 165 P OK check character good [02 3A 25 4F 4B 03 1A]"}},
        {"broadcast waits for no answer",
         {{TX, "02 60 60 35 03 34"}, {RX, "02 30 21 4F 4B 03 14"}},
         {"t0 TX command Sibrant2 256 S 5 check character good [02 60 60 35 03 34]",
          "t1 RX reading Sibrant2 1 P OK check character good [02 30 21 4F 4B 03 14]"}},
        {"a reading's confirmation waits for no answer",
         {{TX, "02 30 21 06 03 16"}, {RX, "02 30 21 4F 4B 03 14"}},
         {"t0 TX command Sibrant2 1 P \x06 check character good [02 30 21 06 03 16]",
          "t1 RX reading Sibrant2 1 P OK check character good [02 30 21 4F 4B 03 14]"}},
        {"the single-byte dialects",
         {{TX, "02 68 21 58 03 10"}, {TX, "02 67 42 58 03 7C"}, {TX, "02 41 41 58 03 59"}, {TX, "02 61 22 06 03 44"}},
         {"t0 TX command Sibrant 1 P X check character good [02 68 21 58 03 10]",
          "t1 TX command Quen 2 S X check character good [02 67 42 58 03 7C]",
          "t2 TX command Zem 1 S X check character good [02 41 41 58 03 59]",
          "t3 TX command Parlow 2 P \x06 check character good [02 61 22 06 03 44]"}},
        {"Tolvane: set, poll, an accepted and a rejected answer",
         {{TX, "04 04 02 31 58 03"}, {RX, "3C 49 34 39 3E"}, {TX, "04 04 31 05"}, {RX, "3C 4F 4B 3E"}},
         {"t0 TX command Tolvane 1 S X [04 04 02 31 58 03]", "t1 RX answer Tolvane I49 [3C 49 34 39 3E]",
          "t2 TX command Tolvane 1 poll [04 04 31 05]", "t3 RX answer Tolvane OK answer rejected [3C 4F 4B 3E]"}},
        {"input discarded before a send, after a frame left unfinished",
         {{RX, "02 30 21 4F"}, {Drop, "55 02 30 21 4F 4B 03 14"}, {TX, "02 30 21 32 03 22"}},
         {"t0 RX unfinished [02 30 21 4F]", "t1 discarded noise [55]",
          "t1 discarded reading Sibrant2 1 P OK check character good [02 30 21 4F 4B 03 14]",
          "t2 TX command Sibrant2 1 P 2 check character good [02 30 21 32 03 22]"}},
        {"noise split across reads is one row, given when a frame follows",
         {{RX, "FF"}, {RX, "7E"}, {RX, "06"}},
         {"t0 RX noise [FF 7E]", "t2 RX ACK [06]"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(decode(c.feeds), c.rows);
    }
}

TEST(TrafficDecoder, EventsComeAfterTheBytesHeldAndATimeOutEndsTheWait)
{
    TrafficDecoder decoder;
    decoder.feed(TX, "t0", unhex("02 30 21 32 03 22"));
    EXPECT_TRUE(decoder.feed(RX, "t1", unhex("02 30")).empty());
    const std::vector<TrafficRow> rows = decoder.event(TrafficRow::Kind::TimedOut, "t2");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(summary(rows[0]), "RX unfinished [02 30]");
    EXPECT_EQ(summary(rows[1]), "-- time-out []");
    EXPECT_EQ(summary(decoder.feed(RX, "t3", unhex("02 30 21 4F 4B 03 14"))[0]),
              "RX reading Sibrant2 1 P OK check character good [02 30 21 4F 4B 03 14]");
    // A frame's longest pause between the reads that brought it.
    decoder.feed(RX, "2026-12-06T23:16:45.000Z", unhex("02 30"));
    decoder.feed(RX, "2026-12-06T23:16:45.200Z", unhex("21 4F"));
    const std::vector<TrafficRow> split = decoder.feed(RX, "2026-12-06T23:16:45.203Z", unhex("4B 03 14 02"));
    ASSERT_EQ(split.size(), 1u);
    EXPECT_EQ(split[0].longestPauseMs, 200);
    decoder.feed(RX, "2026-12-06T23:16:45.900Z", unhex("30 21 4F 4B 03 14"));
    decoder.feed(RX, "2026-12-06T23:16:46.000Z", unhex("FF"));
    const std::vector<TrafficRow> whole = decoder.feed(RX, "2026-12-06T23:16:46.500Z", unhex("02 30 21 4F 4B 03 14"));
    ASSERT_EQ(whole.size(), 2u);
    EXPECT_EQ(whole[0].longestPauseMs, -1);  // the noise ended where the next read began
    EXPECT_EQ(whole[1].longestPauseMs, -1);
    // A frame that never ends is given up as unfinished once too long.
    const std::vector<TrafficRow> endless = decoder.feed(RX, "t4", "\x02" + std::string(2000, 'A'));
    ASSERT_FALSE(endless.empty());
    EXPECT_EQ(endless[0].kind, TrafficRow::Kind::Unfinished);
    EXPECT_EQ(endless[0].bytes.size(), FrameReader::MaxFrameBytes - 1);
}

class Recorder : public PortTap::Listener {
public:
    std::vector<std::string> lines;
    void traffic(Direction direction, const std::string& time, const std::string& bytes) override
    {
        lines.push_back(time + " " + TrafficRow::name(direction) + " " + hex(bytes));
    }
    void portFailed(const std::string& time, const std::string& text) override
    {
        lines.push_back(time + " failed " + text);
    }
};

// Every byte told once, in order, with its direction and time; a port failure told too.
TEST(PortTap, TellsEveryByteOnceInOrderWithItsDirection)
{
    ManualClock clock(5);
    SimulatedPort line(clock);
    Recorder recorder;
    PortTap tap(line.opener()("1"),
                [&clock] { return std::chrono::system_clock::time_point(std::chrono::milliseconds(clock.nowMs())); });
    tap.setListener(&recorder);
    tap.open();
    line.feed(unhex("55 02 30"));
    EXPECT_EQ(hex(tap.discardInput()), "55 02 30");
    EXPECT_EQ(tap.discardInput(), "");
    tap.write(unhex("02 30 21 32 03 22"));
    EXPECT_EQ(tap.read(1), "");
    clock.advance(20);
    line.feed(unhex("FF 7E 00"));
    EXPECT_EQ(hex(tap.read(1)), "FF");
    EXPECT_EQ(hex(tap.read()), "7E 00");
    line.failNext("write", PortError(PortFailure::Other, 31, "Device gone"));
    EXPECT_THROW(tap.write("x"), PortError);
    EXPECT_EQ(recorder.lines,
              (std::vector<std::string>{"1970-01-01T00:00:00.005Z discarded 55 02 30",
                                        "1970-01-01T00:00:00.005Z TX 02 30 21 32 03 22",
                                        "1970-01-01T00:00:00.025Z RX FF", "1970-01-01T00:00:00.025Z RX 7E 00",
                                        "1970-01-01T00:00:00.025Z failed write: Device gone"}));
}

}  // namespace
