// The virtual reader, the parts of its line's poll loop, the simulator's options and standard input.
#include "VirtualReader.h"
#include "../../link/LineStreams.h"
#include "ByteText.h"
#include "CommandInput.h"
#include "Fault.h"
#include "Frame.h"
#include "FrameSplitter.h"
#include "LineCommand.h"
#include "ReadingSchedule.h"
#include "Request.h"
#include "SimOptions.h"
#include "SimulatedPort.h"
#include "Transmitter.h"
#include "VirtualLine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <sstream>

namespace {

using namespace lettore::sim;
using namespace std::chrono_literals;
using lettore::Frame;
using Kind = Request::Kind;

// Each fault's pieces of an answer, as "after ms: hex" joined by " | ", and its log note.
TEST(FaultTest, WhatEachFaultMakesOfAnAnswer)
{
    const char* F = "02 30 21 32 03 22";
    const std::tuple<Fault, const char*, const char*, const char*> rows[] = {
        // fault, answer, pieces, note
        {Fault::None, F, "0: 02 30 21 32 03 22", ""},
        {Fault::Drop, F, "0: 02 30 21 32 03 22", ""},
        {Fault::Silent, F, "", ""},
        {Fault::BadBcc, F, "0: 02 30 21 32 03 78", " (fault: wrong check character)"},
        {Fault::BadBcc, "15", "0: 15", " (fault: wrong check character)"},
        {Fault::Garble, "15", "0: 15", ""},
        {Fault::Noise, F, "0: FF 7E 00 55 02 30 21 32 03 22", " (fault: noise first)"},
        {Fault::Noise, "06", "0: FF 7E 00 55 06", " (fault: noise first)"},
        {Fault::Garble, F, "0: 02 30 21 FF 7E 00 55 32 03 22", " (fault: noise inside)"},
        {Fault::Split, F, "0: 02 30 | 200: 21 32 | 400: 03 22", " (fault: in pieces)"},
        {Fault::Split, "02 30 21 31 32 03 21", "0: 02 30 21 | 200: 31 32 03 | 400: 21", " (fault: in pieces)"},
        {Fault::Split, "06", "0: 06", " (fault: in pieces)"},
        {Fault::Late, F, "6000: 02 30 21 32 03 22", " (fault: late by 6000 ms)"},
    };
    for (const auto& [fault, answer, expected, note] : rows) {
        const FaultyAnswer out = applyFault(fault, lettore::test::unhex(answer), FaultTiming{6000ms, 200ms});
        std::string pieces;
        for (const auto& piece : out.pieces)
            pieces += (pieces.empty() ? "" : " | ") + std::to_string(piece.after.count()) + ": "
                      + lettore::ByteText::hex(piece.bytes);
        EXPECT_EQ(std::tie(pieces, out.note), std::make_tuple(std::string(expected), std::string(note)))
            << faultName(fault) << " of " << answer;
    }
}

// Readings repeat every 2 s until confirmed, 50 ms after the last frame heard; paced bytes wait for the line and the
// queue refuses whole what would pass 4 KB.
TEST(LineScheduleTest, ReadingsRepeatUntilConfirmedOutsideExchangesAndBytesArePacedWithin4KB)
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
        EXPECT_EQ(due ? std::chrono::duration_cast<std::chrono::milliseconds>(due->time_since_epoch()).count() : -1,
                  nextDue)
            << name;
    }

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
    EXPECT_TRUE(q.schedule(std::string(4096 % 21, 'y'), t0, 1ms));
    EXPECT_FALSE(q.schedule("z", t0));
    EXPECT_EQ(q.takeDue(t0 + 21ms), answer);
    EXPECT_EQ(q.queuedBytes(), 4096u - 21);
    EXPECT_TRUE(q.schedule(answer, t0));
    EXPECT_FALSE(q.schedule("z", t0));
}

std::string frame(int16_t term, const char* type, const std::string& data)
{
    return Frame::of(term, type, data).encode();
}

// The shared streams, whole and split at every byte.
TEST(FrameSplitterTest, SharedStreamsGiveTheSameFramesHoweverSplit)
{
    for (const lettore::test::LineStream& row : lettore::test::lineStreams) {
        const std::string bytes = lettore::test::unhex(row.bytes);
        for (std::size_t at = 0; at <= bytes.size(); ++at) {
            FrameSplitter splitter;
            std::string heard;
            for (const std::string& piece : {bytes.substr(0, at), bytes.substr(at)})
                for (const std::string& frame : splitter.feed(piece))
                    heard += (heard.empty() ? "" : "|") + lettore::test::hex(frame);
            EXPECT_EQ(heard, row.heard) << row.name << " cut at " << at;
        }
    }
}

// A frame one byte over 1 KB, or one cut off by an STX, is dropped whole and counted once.
TEST(FrameSplitterTest, LongestFrameIsOneKilobyte)
{
    const std::string longest = frame(1, "S", std::string(1024 - 5, '9'));
    const std::string oneShorter = frame(1, "S", std::string(1024 - 6, '9'));
    FrameSplitter splitter;
    EXPECT_EQ(splitter.feed(longest + frame(1, "S", std::string(1024 - 4, '9')) + oneShorter + "\x02"
                            + std::string(1100, '9') + longest),
              (std::vector<std::string>{longest, oneShorter, longest}));
    EXPECT_EQ(splitter.takeDropped(), 2 * 1023u);
    EXPECT_EQ(splitter.takeDropped(), 0u);
}

// A request as "kind address [data]" (" bad check" when its check fails); "-" for none.
std::string shown(const std::optional<Request>& r)
{
    if (!r)
        return "-";
    const char* kind = r->kind == Kind::Broadcast ? "broadcast " : r->kind == Kind::Set ? "S " : "P ";
    return kind + std::to_string(r->address) + " [" + lettore::ByteText::escape(r->data) + "]"
           + (r->bccOk ? "" : " bad check");
}

// Each model takes its own address's set and poll forms and its broadcast, and answers in its own layout.
TEST(RequestTest, EachModelHearsItsOwnFramesAndAnswersInItsLayout)
{
    const std::tuple<const char*, const char*, const char*, const char*> rows[] = {
        // reader, frame heard, request taken, answer
        {"1", "02 30 21 33 03 23", "P 1 [3]", "02 30 21 30 03 20"},
        {"3", "02 30 21 33 03 23", "-", ""},
        {"3", "02 60 60 35 03 34", "broadcast 0 [5]", ""},
        {"1", "02 30 21 33 03 22", "P 1 [3] bad check", ""},
        {"1", "02 61 21 33 03 72", "-", ""},
        {"1:model=sibrant", "02 68 21 33 03 7B", "P 1 [3]", "02 68 21 30 03 78"},
        {"1:model=sibrant", "02 68 21 33 03 7A", "P 1 [3] bad check", ""},
        {"2:model=parlow", "02 61 60 58 03 58", "broadcast 0 [X]", ""},
        {"2:model=quen", "02 67 42 58 03 7C", "S 2 [X]", "15"},
        {"2:model=quen", "02 67 22 33 03 77", "P 2 [3]", "02 67 22 30 03 74"},
        {"0:model=zem", "02 40 40 58 03 59", "S 0 [X]", "15"},
        {"1:model=zem", "02 40 40 58 03 59", "broadcast 0 [X]", ""},
        {"5:model=zem", "02 25 25 37 30 30 30 30 30 30 30 30 34 32 03 30", "P 5 [70000000042]", "02 25 25 30 03 31"},
        {"7:model=tolvane", "04 04 37 05", "P 7 [3]", "3C 37 30 30 37 3E"},
        {"1:model=tolvane", "04 04 02 31 58 03", "S 1 [X]", "15"},
        {"1:model=tolvane", "04 04 02 50 58 03", "broadcast 0 [X]", ""},
    };
    for (const auto& [settings, bytes, taken, answer] : rows) {
        VirtualReader reader(ReaderSettings::parse(settings));
        const std::optional<Request> request
            = Request::heardBy(lettore::test::unhex(bytes), reader.model(), reader.address());
        EXPECT_EQ(shown(request), taken) << settings << ": " << bytes;
        EXPECT_EQ(request && request->bccOk ? lettore::test::hex(reader.handle(*request)) : "", answer) << bytes;
    }
}

const std::string Ack(1, Frame::ACK);
const std::string Nak(1, Frame::NAK);

Request set(const std::string& data, int address = 7) { return {Kind::Set, address, data, true}; }
Request poll(const std::string& data, int address = 7) { return {Kind::Poll, address, data, true}; }
Request broadcast(const std::string& data) { return {Kind::Broadcast, 0, data, true}; }
std::string from(int address, const std::string& data)
{
    return Frame::of(static_cast<int16_t>(address), "P", data).encode();
}

// A reader at `address` with three serial numbers, two transactions and a card.
ReaderSettings settings(int address = 7)
{
    return ReaderSettings::parse(
        std::to_string(address)
        + ":serials=0000000011+0000000012+0000000013,transactions=10000000001+000000000020000000003,card=CARD000001");
}

// Hands `reader` each request in turn, checking the answers given.
void play(VirtualReader& reader, const std::vector<std::pair<Request, std::optional<std::string>>>& steps)
{
    for (std::size_t i = 0; i < steps.size(); ++i)
        if (const std::string answer = reader.handle(steps[i].first); steps[i].second)
            EXPECT_EQ(answer, *steps[i].second) << "step " << i;
}

// Malformed commands get a NAK; a full white list answers 2 to a new code, 1 to a present one.
TEST(VirtualReaderTest, RefusesMalformedCommandsAndKeepsAWhiteList)
{
    for (const Request& request : {set("100010050100021"), set("2056"), set("2@54"), set("301000500A"),
                                   set("41000000042"), set("430000000001"), set("50<CARD000001"), poll("9"), set("8")})
        EXPECT_EQ(VirtualReader(settings()).handle(request), Nak) << request.data;
    EXPECT_EQ(VirtualReader(settings()).handle(poll(Ack)), "");
    VirtualReader reader(ReaderSettings::parse("7:capacity=2"));
    play(reader, {{set("41AAAAAAAAAA"), from(7, "0")},
                  {set("41BBBBBBBBBB"), from(7, "0")},
                  {set("41CCCCCCCCCC"), from(7, "2")},
                  {set("41BBBBBBBBBB"), from(7, "1")},
                  {poll("7CCCCCCCCCC"), from(7, "0")},
                  {set("42AAAAAAAAAA"), Ack},
                  {set("42AAAAAAAAAA"), Nak},
                  {set("41CCCCCCCCCC"), from(7, "0")}});
}

// A transaction leaves, and the serial number moves on after "next", only on the ACK that follows.
TEST(VirtualReaderTest, TransactionsAndSerialNumbersMoveOnOnlyWhenAcknowledged)
{
    VirtualReader reader(settings());
    play(reader, {{poll("3"), from(7, "10000000001")},
                  {poll("2"), {}},
                  {poll(Ack), {}},
                  {poll("3"), from(7, "10000000001")},
                  {poll(Ack), {}},
                  {poll(Ack), {}},
                  {poll("3"), from(7, "000000000020000000003")},
                  {poll(Ack), {}},
                  {poll("3"), from(7, "0")},
                  {poll("6"), {}},
                  {poll("4"), {}},
                  {poll(Ack), {}},
                  {poll("5"), from(7, "0000000011")},
                  {poll("6"), {}},
                  {poll(Ack), {}},
                  {poll("5"), from(7, "0000000012")},
                  {poll("6"), {}},
                  {poll(Ack), {}},
                  {poll("5"), from(7, "0000000013")},
                  {poll("6"), Nak},
                  {poll(Ack), {}},
                  {poll("5"), from(7, "0000000013")}});
}

// Broadcast set commands are carried out silently; an address set by card moves only its holder.
TEST(VirtualReaderTest, BroadcastCarriesOutSetCommandsSilently)
{
    VirtualReader reader(settings());
    for (const char* data : {"1999988877766655", "410000000042", "3001002003", "21?5"})
        EXPECT_EQ(reader.handle(broadcast(data)), "") << data;
    EXPECT_EQ(std::make_pair(reader.address(), reader.baudRate()), std::make_pair(31, 38400));
    play(reader, {{poll("1", 31), from(31, "999988877766655")}, {poll("70000000042", 31), from(31, "1")}});
    EXPECT_EQ(reader.outputs(), "001002003");

    VirtualReader holder(settings(7));
    VirtualReader bystander(ReaderSettings::parse("42"));  // its card is its address in ten digits
    play(holder, {{broadcast("50<CARD000001"), ""}, {broadcast("53?CARD00000"), ""}});
    play(bystander, {{broadcast("50<CARD000001"), ""}});
    EXPECT_EQ(std::make_pair(holder.address(), bystander.address()), std::make_pair(12, 42));
    bystander.handle(broadcast("5010000000042"));
    EXPECT_EQ(bystander.address(), 1);
}

// An ACK confirms a multimaster reading once sent; otherwise badges become transactions.
TEST(VirtualReaderTest, MultimasterReadingsAndTransactions)
{
    VirtualReader reader(settings(5));
    reader.setMultimaster(true);
    reader.present("0000000041");
    reader.handle(poll(Ack, 5));
    ASSERT_TRUE(reader.pendingReading());
    reader.readingSent();
    reader.handle(poll(Ack, 5));
    EXPECT_FALSE(reader.pendingReading());

    VirtualReader plain(ReaderSettings::parse("5"));
    plain.present("0000000042");
    EXPECT_FALSE(plain.pendingReading());
    plain.setMultimaster(true);
    plain.present("0000000043");
    plain.setMultimaster(false);
    EXPECT_FALSE(plain.pendingReading());
    play(plain, {{poll("3", 5), from(5, "00000000042")}, {poll(Ack, 5), {}}, {poll("3", 5), from(5, "00000000043")}});
}

// The words of a command line.
std::vector<std::string> words(const std::string& line)
{
    std::istringstream in(line);
    return {std::istream_iterator<std::string>(in), {}};
}

// A reader's settings show in its state; bad text is refused; every option is documented and accepted.
TEST(SimOptionsTest, SettingsShowInTheStateBadTextIsRefusedAndEveryOptionIsDocumented)
{
    VirtualReader reader(
        ReaderSettings::parse("7:model=tolvane,baud=19200,transactions=10000000042,serials=0000000001+0000000002"));
    reader.handle(set("410000000042"));
    EXPECT_EQ(reader.state(), "reader 7: model Tolvane, 19200 baud, card 0000000007\n"
                              "  firmware \"SIM LETTORE 1.00\", setup 000100501000211, outputs 000000000\n"
                              "  white list 1 of 10000: 0000000042\n  transactions 1: 10000000042\n"
                              "  serial numbers 2, current 1: 0000000001 0000000002\n");
    for (const char* text : {"", "256", "-1", "1x", "+1", "1:baud=57600", "1:baud", "1:firmware=SHORT", "1:serials=123",
                             "1:transactions=1000", "1:fault=crash", "1:colour=red", "1:card=", "1:card=12345678901",
                             "1:model=tolvan", "200:model=parlow"})
        EXPECT_THROW(ReaderSettings::parse(text), std::invalid_argument) << text;
    for (const char* text :
         {"present 1", "present 1 123", "present 300 0000000042", "fault 1 boom", "transaction 1 1000",
          "multimaster maybe", "drop now", "drop -1", "drop 1 2", "dance", "state +1"})
        EXPECT_THROW(LineCommand::parse(text), std::invalid_argument) << text;
    EXPECT_EQ(LineCommand::parse("drop").backAfterMs, -1);
    EXPECT_EQ(LineCommand::parse("drop 250").backAfterMs, 250);
    EXPECT_EQ(ReaderSettings::parse("5:setup=123401202300451").setup, "123401202300451");
    for (const char* line : {"--link", "--present-every 0", "--codes 1,2", "--late-ms x", "--loud", "--pace --pace"})
        EXPECT_THROW(SimOptions::parse(words(line)), std::invalid_argument) << line;
    for (const char* line : {"--pace", "--multimaster", "--help", "--link COM9", "--log -", "--reader 3", "--late-ms 1",
                             "--split-pause-ms 1", "--present-every 2", "--codes 0000000001"}) {
        const std::vector<std::string> arguments = words(line);
        EXPECT_NE(SimOptions::helpText().find(arguments[0] + " "), std::string::npos) << line;
        EXPECT_NO_THROW(SimOptions::parse(arguments)) << line;
    }
    EXPECT_EQ(SimOptions::parse({"--reader", "1", "--reader", "2"}).readers.size(), 2u);
}

// Standard input in lines of at most 4 KB however split: a longer one is refused ("T") and dropped up to its end;
// 1 MiB without a line end gives the input up ("G").
TEST(CommandInputTest, LinesAreBoundedWhateverComes)
{
    const std::string longest(CommandInput::MaxLineBytes, 'x');
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{"state 1\n", "quit"}, "C:state 1|C:quit"},
        {{"sta", "te 1\r\n\nquit\n"}, "C:state 1|C:|C:quit"},
        {{longest + "\n"}, "C:" + longest},
        {{longest, "y", "zz\nstate 2\n"}, "T|C:state 2"},
        {{longest + "y", "zz"}, "T"},
        {{std::string(CommandInput::MaxDroppedBytes, '\0'), "\nstate 3\n"}, "T|C:state 3"},
        {{std::string(CommandInput::MaxDroppedBytes, '\0'), std::string(1, '\0') + "\nstate 3\n"}, "T|G"},
    };
    for (const auto& [pieces, expected] : rows) {
        CommandInput input;
        std::string lines;
        const auto add = [&lines](const CommandInput::Line& line) {
            using Kind = CommandInput::Line::Kind;
            lines += (lines.empty() ? "" : "|")
                     + (line.kind == Kind::Command   ? "C:" + line.text
                        : line.kind == Kind::TooLong ? "T"
                                                     : "G");
        };
        for (const std::string& piece : pieces)
            std::ranges::for_each(input.feed(piece), add);
        if (const auto last = input.finish())
            add(*last);
        EXPECT_EQ(lines, expected) << pieces.front().substr(0, 20);
    }
}

// A command for a reader not on the line is refused and told; an unwritable log is told once.
TEST(VirtualLineTest, RefusalsAndLogFailuresAreTold)
{
    std::ostream failingLog(nullptr);
    VirtualLine line({ReaderSettings{}}, {}, &failingLog);
    std::vector<std::string> told;
    line.tellProblemsTo([&told](const std::string& text) { told.push_back(text); });
    for (const char* command : {"fault 9 silent", "fault 1 silent", "present 1 0000000042", "quit"})
        ASSERT_TRUE(line.submit(LineCommand::parse(command)));
    line.run();
    EXPECT_EQ(told, (std::vector<std::string>{"the log cannot be written (write error): logging stops",
                                              "no reader 9 on the line: command refused"}));
    EXPECT_FALSE(line.submit(LineCommand::parse("quit")));
}

}  // namespace
