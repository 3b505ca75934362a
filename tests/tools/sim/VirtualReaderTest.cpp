#include "Framing.h"
#include "VirtualReader.h"

#include <gtest/gtest.h>

namespace {

using lettore::Framing;
using lettore::sim::ReaderSettings;
using lettore::sim::Request;
using lettore::sim::VirtualReader;
using Kind = Request::Kind;

const std::string Ack(1, Framing::ACK);
const std::string Nak(1, Framing::NAK);

Request set(const std::string& data, int address = 7) { return {Kind::Set, address, data, true}; }
Request poll(const std::string& data, int address = 7) { return {Kind::Poll, address, data, true}; }
Request broadcast(const std::string& data) { return {Kind::Broadcast, 0, data, true}; }

// An answer frame from `address` in the poll form.
std::string from(int address, const std::string& data)
{
    return Framing::sibrant2Frame(static_cast<int16_t>(address), "P", data);
}

ReaderSettings settings(int address = 7)
{
    ReaderSettings s;
    s.address = address;
    s.serials = {"0000000011", "0000000012", "0000000013"};
    s.transactions = {"10000000001", "000000000020000000003"};
    s.card = "CARD000001";
    return s;
}

TEST(VirtualReaderTest, RefusesMalformedCommandsAndLeavesAckUnanswered)
{
    const struct {
        const char* name;
        Request request;
        std::string answer;
    } rows[] = {
        {"setup of 14 characters", set("100010050100021"), Nak},
        {"serial setup with baud code 6", set("2056"), Nak},
        {"serial setup with a bad address character", set("2@54"), Nak},
        {"output test with a letter", set("301000500A"), Nak},
        {"white-list code of 9 characters", set("41000000042"), Nak},
        {"white-list clear with another code", set("430000000001"), Nak},
        {"set address sent to one reader", set("50<CARD000001"), Nak},
        {"lone ACK", poll(Ack), ""},
        {"unknown poll", poll("9"), Nak},
        {"unknown set", set("8"), Nak},
    };
    for (const auto& row : rows)
        EXPECT_EQ(VirtualReader(settings()).handle(row.request), row.answer) << row.name;
}

TEST(VirtualReaderTest, WhiteListStatusCharactersAndCapacity)
{
    VirtualReader reader(ReaderSettings::parse("7:capacity=2"));
    struct Step {
        Request request;
        std::string answer;
    };
    const Step steps[] = {
        {set("41AAAAAAAAAA"), from(7, "0")},
        {set("41BBBBBBBBBB"), from(7, "0")},
        {set("41CCCCCCCCCC"), from(7, "2")},  // full
        {set("41BBBBBBBBBB"), from(7, "1")},  // present beats full
        {poll("7CCCCCCCCCC"), from(7, "0")},
        {set("42AAAAAAAAAA"), Ack},
        {set("42AAAAAAAAAA"), Nak},
        {set("41CCCCCCCCCC"), from(7, "0")},  // room again
    };
    for (std::size_t i = 0; i < std::size(steps); ++i)
        EXPECT_EQ(reader.handle(steps[i].request), steps[i].answer) << "step " << i;
}

TEST(VirtualReaderTest, TransactionLeavesOnlyWhenAcknowledged)
{
    VirtualReader reader(settings());
    EXPECT_EQ(reader.handle(poll("3")), from(7, "10000000001"));
    // An acknowledgement that follows another answer confirms nothing.
    reader.handle(poll("2"));
    reader.handle(poll(Ack));
    EXPECT_EQ(reader.handle(poll("3")), from(7, "10000000001"));
    reader.handle(poll(Ack));
    // A second acknowledgement must not remove the next one.
    reader.handle(poll(Ack));
    EXPECT_EQ(reader.handle(poll("3")), from(7, "000000000020000000003"));
    reader.handle(poll(Ack));
    EXPECT_EQ(reader.handle(poll("3")), from(7, "0"));
}

TEST(VirtualReaderTest, SerialNumbersAdvanceOnlyAfterAcknowledgedNext)
{
    VirtualReader reader(settings());
    reader.handle(poll("6"));
    reader.handle(poll("4"));
    reader.handle(poll(Ack));  // confirms the first, not the next
    EXPECT_EQ(reader.handle(poll("5")), from(7, "0000000011"));
    for (const char* serial : {"0000000012", "0000000013"}) {
        reader.handle(poll("6"));
        reader.handle(poll(Ack));
        EXPECT_EQ(reader.handle(poll("5")), from(7, serial));
    }
    // No next one after the last.
    EXPECT_EQ(reader.handle(poll("6")), Nak);
    reader.handle(poll(Ack));
    EXPECT_EQ(reader.handle(poll("5")), from(7, "0000000013"));
}

TEST(VirtualReaderTest, BroadcastCarriesOutSetCommandsSilently)
{
    VirtualReader reader(settings());
    for (const char* data : {"1999988877766655", "410000000042", "3001002003", "21?5"})
        EXPECT_EQ(reader.handle(broadcast(data)), "") << data;
    EXPECT_EQ(reader.address(), 31);
    EXPECT_EQ(reader.baudRate(), 38400);
    EXPECT_EQ(reader.handle(poll("1", 31)), from(31, "999988877766655"));
    EXPECT_EQ(reader.handle(poll("70000000042", 31)), from(31, "1"));
    EXPECT_EQ(reader.outputs(), "001002003");
}

TEST(VirtualReaderTest, SetAddressByCardMovesOnlyTheCardHolder)
{
    VirtualReader holder(settings(7));
    ReaderSettings other;  // its card is its address in ten digits
    other.address = 42;
    VirtualReader bystander(other);
    for (VirtualReader* reader : {&holder, &bystander})
        EXPECT_EQ(reader->handle(broadcast("50<CARD000001")), "");
    EXPECT_EQ(holder.address(), 12);
    EXPECT_EQ(bystander.address(), 42);
    // A shorter code is not the card's.
    holder.handle(broadcast("53?CARD00000"));
    EXPECT_EQ(holder.address(), 12);
    bystander.handle(broadcast("5010000000042"));
    EXPECT_EQ(bystander.address(), 1);
}

TEST(VirtualReaderTest, MultimasterReadingIsConfirmedOnlyOnceSent)
{
    VirtualReader reader(settings(5));
    reader.setMultimaster(true);
    reader.present("0000000042");
    // Not sent yet: an acknowledgement does not confirm it.
    reader.handle(poll(Ack, 5));
    ASSERT_TRUE(reader.pendingReading());
    reader.readingSent();
    reader.handle(poll(Ack, 5));
    EXPECT_FALSE(reader.pendingReading());
}

TEST(VirtualReaderTest, BadgesBecomeTransactionsOutsideMultimaster)
{
    auto s = settings(5);
    s.transactions.clear();
    VirtualReader reader(s);
    reader.present("0000000042");
    EXPECT_FALSE(reader.pendingReading());
    reader.setMultimaster(true);
    reader.present("0000000043");
    reader.setMultimaster(false);  // the unsent reading is kept
    EXPECT_FALSE(reader.pendingReading());
    EXPECT_EQ(reader.handle(poll("3", 5)), from(5, "00000000042"));
    reader.handle(poll(Ack, 5));
    EXPECT_EQ(reader.handle(poll("3", 5)), from(5, "00000000043"));
}

}  // namespace
