#include "Framing.h"
#include "LineCommand.h"
#include "SimOptions.h"
#include "VirtualReader.h"

#include <gtest/gtest.h>

namespace {

using lettore::Framing;
using lettore::sim::LineCommand;
using lettore::sim::ReaderSettings;
using lettore::sim::SimOptions;
using lettore::sim::Request;
using lettore::sim::VirtualReader;
using Kind = Request::Kind;

const std::string Ack(1, Framing::ACK);
const std::string Nak(1, Framing::NAK);

Request set(const std::string& data, int address = 7) { return {Kind::Set, address, data, true}; }
Request poll(const std::string& data, int address = 7) { return {Kind::Poll, address, data, true}; }
Request broadcast(const std::string& data) { return {Kind::Broadcast, 0, data, true}; }
std::string from(int address, const std::string& data) { return Framing::sibrant2Frame(static_cast<int16_t>(address), "P", data); }

// A reader at `address` with three serial numbers, two transactions and a card.
ReaderSettings settings(int address = 7)
{
    return ReaderSettings::parse(std::to_string(address)
                                 + ":serials=0000000011+0000000012+0000000013,transactions=10000000001+000000000020000000003,card=CARD000001");
}

// Hands `reader` each request in turn and checks the answer where one is given.
void play(VirtualReader& reader, const std::vector<std::pair<Request, std::optional<std::string>>>& steps)
{
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const std::string answer = reader.handle(steps[i].first);
        if (steps[i].second)
            EXPECT_EQ(answer, *steps[i].second) << "step " << i;
    }
}

TEST(VirtualReaderTest, RefusesMalformedCommandsAndLeavesAckUnanswered)
{
    // Setup of 14 characters, baud code 6, a bad address character, an output
    // test with a letter, a code of 9 characters, a clear with a code, a set
    // address sent to one reader, unknown commands.
    for (const Request& request : {set("100010050100021"), set("2056"), set("2@54"), set("301000500A"), set("41000000042"),
                                   set("430000000001"), set("50<CARD000001"), poll("9"), set("8")})
        EXPECT_EQ(VirtualReader(settings()).handle(request), Nak) << request.data;
    EXPECT_EQ(VirtualReader(settings()).handle(poll(Ack)), "");
}

// Adding to a full list answers 2, a present code 1 even then; a deleted code makes room.
TEST(VirtualReaderTest, WhiteListStatusCharactersAndCapacity)
{
    VirtualReader reader(ReaderSettings::parse("7:capacity=2"));
    play(reader, {{set("41AAAAAAAAAA"), from(7, "0")}, {set("41BBBBBBBBBB"), from(7, "0")}, {set("41CCCCCCCCCC"), from(7, "2")},
                  {set("41BBBBBBBBBB"), from(7, "1")}, {poll("7CCCCCCCCCC"), from(7, "0")}, {set("42AAAAAAAAAA"), Ack},
                  {set("42AAAAAAAAAA"), Nak}, {set("41CCCCCCCCCC"), from(7, "0")}});
}

// A transaction leaves only on an ACK that follows it; a second ACK removes nothing more.
TEST(VirtualReaderTest, TransactionLeavesOnlyWhenAcknowledged)
{
    VirtualReader reader(settings());
    play(reader, {{poll("3"), from(7, "10000000001")}, {poll("2"), {}}, {poll(Ack), {}}, {poll("3"), from(7, "10000000001")},
                  {poll(Ack), {}}, {poll(Ack), {}}, {poll("3"), from(7, "000000000020000000003")}, {poll(Ack), {}},
                  {poll("3"), from(7, "0")}});
}

// The current serial number advances only on an ACK after "next"; none after the last.
TEST(VirtualReaderTest, SerialNumbersAdvanceOnlyAfterAcknowledgedNext)
{
    VirtualReader reader(settings());
    play(reader, {{poll("6"), {}}, {poll("4"), {}}, {poll(Ack), {}}, {poll("5"), from(7, "0000000011")},
                  {poll("6"), {}}, {poll(Ack), {}}, {poll("5"), from(7, "0000000012")},
                  {poll("6"), {}}, {poll(Ack), {}}, {poll("5"), from(7, "0000000013")},
                  {poll("6"), Nak}, {poll(Ack), {}}, {poll("5"), from(7, "0000000013")}});
}

TEST(VirtualReaderTest, BroadcastCarriesOutSetCommandsSilently)
{
    VirtualReader reader(settings());
    for (const char* data : {"1999988877766655", "410000000042", "3001002003", "21?5"})
        EXPECT_EQ(reader.handle(broadcast(data)), "") << data;
    EXPECT_EQ(std::make_pair(reader.address(), reader.baudRate()), std::make_pair(31, 38400));
    play(reader, {{poll("1", 31), from(31, "999988877766655")}, {poll("70000000042", 31), from(31, "1")}});
    EXPECT_EQ(reader.outputs(), "001002003");
}

// Only the holder of the card moves, and a shorter code is not the card's.
TEST(VirtualReaderTest, SetAddressByCardMovesOnlyTheCardHolder)
{
    VirtualReader holder(settings(7));
    ReaderSettings other;  // its card is its address in ten digits
    other.address = 42;
    VirtualReader bystander(other);
    play(holder, {{broadcast("50<CARD000001"), ""}, {broadcast("53?CARD00000"), ""}});
    play(bystander, {{broadcast("50<CARD000001"), ""}});
    EXPECT_EQ(std::make_pair(holder.address(), bystander.address()), std::make_pair(12, 42));
    bystander.handle(broadcast("5010000000042"));
    EXPECT_EQ(bystander.address(), 1);
}

// A multimaster reading is confirmed by an ACK only once sent; outside
// multimaster badges become transactions, an unsent reading among them.
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

    auto s = settings(5);
    s.transactions.clear();
    VirtualReader plain(s);
    plain.present("0000000042");
    EXPECT_FALSE(plain.pendingReading());
    plain.setMultimaster(true);
    plain.present("0000000043");
    plain.setMultimaster(false);
    EXPECT_FALSE(plain.pendingReading());
    play(plain, {{poll("3", 5), from(5, "00000000042")}, {poll(Ack, 5), {}}, {poll("3", 5), from(5, "00000000043")}});
}

TEST(Models, StateShowsModelSettingsListTransactionsAndSerials)
{
    VirtualReader reader(ReaderSettings::parse(
        "7:model=tolvane,baud=19200,transactions=10000000042,serials=0000000001+0000000002"));
    reader.handle(set("410000000042"));
    EXPECT_EQ(reader.state(), "reader 7: model Tolvane, 19200 baud, card 0000000007\n"
                              "  firmware \"SIM LETTORE 1.00\", setup 000100501000211, outputs 000000000\n"
                              "  white list 1 of 10000: 0000000042\n"
                              "  transactions 1: 10000000042\n"
                              "  serial numbers 2, current 1: 0000000001 0000000002\n");
}

TEST(SimOptionsTest, BadTextIsRefusedAndEveryOptionIsDocumented)
{
    for (const char* text : {"", "256", "-1", "1x", "1:baud=57600", "1:baud", "1:firmware=SHORT", "1:serials=123",
                             "1:transactions=1000", "1:fault=crash", "1:colour=red"})
        EXPECT_THROW(ReaderSettings::parse(text), std::invalid_argument) << text;
    for (const char* text : {"present 1", "present 1 123", "present 300 0000000042", "fault 1 boom", "transaction 1 1000",
                             "multimaster maybe", "drop now", "drop -1", "drop 1 2", "dance"})
        EXPECT_THROW(LineCommand::parse(text), std::invalid_argument) << text;
    EXPECT_EQ(LineCommand::parse("drop").backAfterMs, -1);
    EXPECT_EQ(LineCommand::parse("drop 250").backAfterMs, 250);
    EXPECT_EQ(ReaderSettings::parse("5:setup=123401202300451").setup, "123401202300451");
    for (const auto& args : std::vector<std::vector<std::string>>{{"--link"}, {"--present-every", "0"}, {"--codes", "1,2"},
                                                                  {"--late-ms", "x"}, {"--loud"}})
        EXPECT_THROW(SimOptions::parse(args), std::invalid_argument) << args[0];
    // Every option is in the help text and accepted as written there.
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"--pace"}, {"--multimaster"}, {"--help"}, {"--link", "COM9"}, {"--log", "-"}, {"--reader", "3"}, {"--late-ms", "1"},
             {"--split-pause-ms", "1"}, {"--present-every", "2"}, {"--codes", "0000000001"}}) {
        EXPECT_NE(SimOptions::helpText().find(arguments[0] + " "), std::string::npos) << arguments[0];
        EXPECT_NO_THROW(SimOptions::parse(arguments)) << arguments[0];
    }
}

}  // namespace
