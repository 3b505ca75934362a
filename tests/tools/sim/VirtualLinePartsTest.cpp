// The values beside the virtual line's poll loop: what a fault makes of an
// answer, when a reading is due, the paced transmitter, the cutting of input
// into requests, and a request's fields.
#include "Dialect.h"
#include "ByteText.h"
#include "Fault.h"
#include "FrameSplitter.h"
#include "Framing.h"
#include "ReadingSchedule.h"
#include "Request.h"
#include "SimulatedPort.h"
#include "Transmitter.h"

#include <gtest/gtest.h>

namespace {

using namespace lettore::sim;
using namespace std::chrono_literals;
using lettore::Framing;
using Frames = std::vector<std::string>;

// Each fault's pieces of an answer, as "after ms: hex" joined by " | ", and its log note.
TEST(FaultTest, WhatEachFaultMakesOfAnAnswer)
{
    const char* F = "02 30 21 32 03 22";
    const std::tuple<Fault, const char*, const char*, const char*> rows[] = {  // fault, answer, pieces, note
        {Fault::None, F, "0: 02 30 21 32 03 22", ""},
        {Fault::Drop, F, "0: 02 30 21 32 03 22", ""},
        {Fault::Silent, F, "", ""},
        {Fault::BadBcc, F, "0: 02 30 21 32 03 78", " (fault: wrong check character)"},
        {Fault::BadBcc, "15", "0: 15", " (fault: wrong check character)"},
        {Fault::Noise, F, "0: FF 7E 00 55 02 30 21 32 03 22", " (fault: noise first)"},
        {Fault::Noise, "06", "0: FF 7E 00 55 06", " (fault: noise first)"},
        {Fault::Garble, F, "0: 02 30 21 FF 7E 00 55 32 03 22", " (fault: noise inside)"},
        {Fault::Garble, "15", "0: 15", ""},
        {Fault::Split, F, "0: 02 30 | 200: 21 32 | 400: 03 22", " (fault: in pieces)"},
        {Fault::Split, "02 30 21 31 32 03 21", "0: 02 30 21 | 200: 31 32 03 | 400: 21", " (fault: in pieces)"},
        {Fault::Split, "06", "0: 06", " (fault: in pieces)"},
        {Fault::Late, F, "6000: 02 30 21 32 03 22", " (fault: late by 6000 ms)"},
    };
    for (const auto& [fault, answer, expected, note] : rows) {
        const FaultyAnswer out = applyFault(fault, lettore::test::unhex(answer), FaultTiming{6000ms, 200ms});
        std::string pieces;
        for (const auto& piece : out.pieces)
            pieces += (pieces.empty() ? "" : " | ") + std::to_string(piece.after.count()) + ": " + lettore::ByteText::hex(piece.bytes);
        EXPECT_EQ(std::tie(pieces, out.note), std::make_tuple(std::string(expected), std::string(note))) << faultName(fault) << " of " << answer;
    }
}

// A 2 s repeat and a 50 ms quiet gap. Each step: the time, the pending reading and
// the last frame heard (ms); whether the reading goes out and when it is next due (-1: never).
TEST(ReadingScheduleTest, SentAtOnceRepeatedUntilConfirmedAndKeptOutOfExchanges)
{
    const auto at = [](long ms) { return ReadingSchedule::Clock::time_point{} + std::chrono::milliseconds(ms); };
    ReadingSchedule schedule(2000ms, 50ms);
    const std::tuple<const char*, long, std::optional<std::uint64_t>, long, bool, long> steps[] = {
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
    for (const auto& [name, now, reading, lastHeard, sent, nextDue] : steps) {
        schedule.track(reading, at(now));
        EXPECT_EQ(schedule.takeDue(at(now), at(lastHeard)), sent) << name;
        const auto due = schedule.due(at(lastHeard));
        EXPECT_EQ(due ? std::chrono::duration_cast<std::chrono::milliseconds>(due->time_since_epoch()).count() : -1, nextDue) << name;
    }
}

// Paced bytes follow each other and the line stays busy; the queue holds at
// most 4 KB, refuses whole what does not fit, and takes more once bytes left.
TEST(TransmitterTest, PacedBytesFollowEachOtherAndTheQueueIsBounded)
{
    Transmitter t;
    const auto t0 = Transmitter::Clock::time_point{} + 1s;
    t.schedule("AB", t0, 10ms);
    t.schedule("C", t0, 10ms);  // waits for the line
    EXPECT_EQ(t.takeDue(t0 + 9ms), "");
    EXPECT_EQ(t.takeDue(t0 + 10ms), "A");
    EXPECT_EQ(t.nextDue(), t0 + 20ms);
    EXPECT_EQ(t.takeDue(t0 + 29ms), "B");
    EXPECT_EQ(t.takeDue(t0 + 30ms), "C");
    EXPECT_FALSE(t.nextDue());
    Transmitter q;
    const std::string answer(21, 'x');
    int queued = 0;
    while (queued < 1000 && q.schedule(answer, t0, 1ms))
        ++queued;
    EXPECT_EQ(queued, 4096 / 21);
    EXPECT_EQ(q.queuedBytes(), 4096u / 21 * 21);
    EXPECT_TRUE(q.schedule(std::string(4096 % 21, 'y'), t0, 1ms));
    EXPECT_FALSE(q.schedule("z", t0));
    EXPECT_EQ(q.takeDue(t0 + 21ms), answer);
    EXPECT_EQ(q.queuedBytes(), 4096u - 21);
    EXPECT_TRUE(q.schedule(answer, t0));
    EXPECT_FALSE(q.schedule("z", t0));
}

std::string frame(int16_t term, const char* type, const std::string& data) { return Framing::sibrant2Frame(term, type, data); }

TEST(FrameSplitterTest, FrameSplitAtEveryByteBoundaryComesOutWhole)
{
    const std::string whole = frame(1, "S", "410000000042");
    for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
        FrameSplitter splitter;
        Frames frames = splitter.feed(whole.substr(0, cut));
        for (const std::string& rest : splitter.feed(whole.substr(cut)))
            frames.push_back(rest);
        EXPECT_EQ(frames, Frames{whole}) << "cut at " << cut;
    }
}

// A start followed by endless bytes never holds a whole frame's worth; its
// bytes are counted as dropped and the next frame comes out whole.
TEST(FrameSplitterTest, UnfinishedFrameStaysBounded)
{
    FrameSplitter splitter;
    EXPECT_TRUE(splitter.feed(std::string(1, Framing::STX)).empty());
    for (int i = 0; i < 50 * 256; ++i) {  // 50 MB in reads of 4 KB
        ASSERT_TRUE(splitter.feed(std::string(4096, 'A')).empty());
        ASSERT_LT(splitter.pendingBytes(), 1024u);
    }
    EXPECT_EQ(splitter.takeDropped(), 1023u);
    EXPECT_EQ(splitter.takeDropped(), 0u);
    EXPECT_EQ(splitter.feed(frame(1, "P", "2")), Frames{frame(1, "P", "2")});
}

// The longest frame is 1 KB: one byte more is dropped whole, and so is a
// frame as long that the next STX cuts off.
TEST(FrameSplitterTest, LongestFrameIsOneKilobyte)
{
    const std::string longest = frame(1, "S", std::string(1024 - 5, '9'));
    const std::string oneShorter = frame(1, "S", std::string(1024 - 6, '9'));
    FrameSplitter splitter;
    EXPECT_EQ(splitter.feed(longest + frame(1, "S", std::string(1024 - 4, '9')) + oneShorter + "\x02"
                            + std::string(1100, '9') + longest),
              (Frames{longest, oneShorter, longest}));
    EXPECT_EQ(splitter.takeDropped(), 2 * 1023u);
}

TEST(RequestTest, DecodesKindAddressAndData)
{
    std::string badBcc = frame(1, "P", "2");
    badBcc.back() = static_cast<char>(badBcc.back() ^ 1);
    const std::pair<std::string, const char*> rows[] = {
        {frame(1, "P", "2"), "P 1 [2]"},         {frame(165, "S", "2"), "S 165 [2]"},
        {frame(256, "S", "5"), "broadcast 0 [5]"}, {badBcc, "P 1 [2] bad check"},
        {*lettore::Dialect::named("Sibrant").encode(lettore::Frame::of(1, "P", "2")), "invalid"},
    };
    for (const auto& [bytes, decoded] : rows) {
        const std::optional<Request> r = Request::parse(bytes);
        const char* kind = !r ? "" : r->kind == Request::Kind::Broadcast ? "broadcast " : r->kind == Request::Kind::Set ? "S " : "P ";
        EXPECT_EQ(r ? kind + std::to_string(r->address) + " [" + r->data + "]" + (r->bccOk ? "" : " bad check") : "invalid", decoded);
    }
}

}  // namespace
