#include "Framing.h"
#include "VirtualReader.h"

#include <gtest/gtest.h>

namespace {

// Test rows are named after their first field.
const auto rowName = [](const auto& info) { return std::string(info.param.name); };

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
    s.firmware = "FW TEST 0.99 ABC";
    s.setup = "123401202300451";
    s.serials = {"0000000011", "0000000012", "0000000013"};
    s.transactions = {"10000000001", "000000000020000000003"};
    s.card = "CARD000001";
    return s;
}

struct CommandCase {
    const char* name;
    Request request;
    std::string answer;
};

void PrintTo(const CommandCase& c, std::ostream* os) { *os << c.name; }

class ReaderCommandTest : public testing::TestWithParam<CommandCase> {};

TEST_P(ReaderCommandTest, AnswersAFreshReader)
{
    VirtualReader reader(settings());
    EXPECT_EQ(reader.handle(GetParam().request), GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ReaderCommandTest,
    testing::Values(
        CommandCase{"setup_query_15_chars", poll("1"), from(7, "123401202300451")},
        CommandCase{"setup_store", set("1000100501000211"), Ack},
        CommandCase{"setup_store_14_chars", set("100010050100021"), Nak},
        CommandCase{"firmware_query", poll("2"), from(7, "FW TEST 0.99 ABC")},
        CommandCase{"serial_setup", set("2054"), Ack},
        CommandCase{"serial_setup_baud_code_6", set("2056"), Nak},
        CommandCase{"serial_setup_bad_address_char", set("2@54"), Nak},
        CommandCase{"output_test", set("3010005000"), Ack},
        CommandCase{"output_test_not_digits", set("301000500A"), Nak},
        CommandCase{"transaction_oldest", poll("3"), from(7, "10000000001")},
        CommandCase{"next_serial", poll("6"), from(7, "0000000012")},
        CommandCase{"white_list_add", set("410000000042"), from(7, "0")},
        CommandCase{"white_list_add_short_code", set("41000000042"), Nak},
        CommandCase{"white_list_delete_absent", set("420000000042"), Nak},
        CommandCase{"white_list_clear", set("430000000000"), Ack},
        CommandCase{"white_list_clear_other_code", set("430000000001"), Nak},
        CommandCase{"white_list_check_absent", poll("70000000042"), from(7, "0")},
        CommandCase{"set_address_addressed", set("50<CARD000001"), Nak},
        CommandCase{"lone_ack_unanswered", poll(Ack), ""},
        CommandCase{"unknown_poll", poll("9"), Nak},
        CommandCase{"unknown_set", set("8"), Nak},
        CommandCase{"broadcast_setup", broadcast("1000100501000211"), ""}),
    rowName);

TEST(VirtualReaderTest, WhiteListStatusCharactersAndCapacity)
{
    auto s = settings();
    s.capacity = 2;
    VirtualReader reader(s);
    struct Step {
        Request request;
        std::string answer;
    };
    const Step steps[] = {
        {set("41AAAAAAAAAA"), from(7, "0")},
        {set("41AAAAAAAAAA"), from(7, "1")},
        {set("41BBBBBBBBBB"), from(7, "0")},
        {set("41CCCCCCCCCC"), from(7, "2")},  // full
        {set("41BBBBBBBBBB"), from(7, "1")},  // present beats full
        {poll("7CCCCCCCCCC"), from(7, "0")},
        {poll("7BBBBBBBBBB"), from(7, "1")},
        {set("42AAAAAAAAAA"), Ack},
        {set("42AAAAAAAAAA"), Nak},
        {set("41CCCCCCCCCC"), from(7, "0")},  // room again
        {set("430000000000"), Ack},
        {poll("7CCCCCCCCCC"), from(7, "0")},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i)
        EXPECT_EQ(reader.handle(steps[i].request), steps[i].answer) << "step " << i;
}

TEST(VirtualReaderTest, TransactionLeavesOnlyWhenAcknowledged)
{
    VirtualReader reader(settings());
    EXPECT_EQ(reader.handle(poll("3")), from(7, "10000000001"));
    // Unconfirmed: sent again.
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
    EXPECT_EQ(from(7, "0").size(), 6u);
    reader.handle(poll(Ack));
    EXPECT_EQ(reader.transactionCount(), 0u);
}

TEST(VirtualReaderTest, SerialNumbersAdvanceOnlyAfterAcknowledgedNext)
{
    VirtualReader reader(settings());
    reader.handle(poll("6"));
    reader.handle(poll("4"));
    reader.handle(poll(Ack));  // confirms the first, not the next
    EXPECT_EQ(reader.handle(poll("5")), from(7, "0000000011"));
    reader.handle(poll("6"));
    reader.handle(poll(Ack));
    EXPECT_EQ(reader.handle(poll("5")), from(7, "0000000012"));
    EXPECT_EQ(reader.handle(poll("4")), from(7, "0000000011"));
    reader.handle(poll("6"));
    reader.handle(poll(Ack));
    EXPECT_EQ(reader.handle(poll("5")), from(7, "0000000013"));
    // No next one after the last.
    EXPECT_EQ(reader.handle(poll("6")), Nak);
    reader.handle(poll(Ack));
    EXPECT_EQ(reader.handle(poll("5")), from(7, "0000000013"));
    EXPECT_EQ(from(7, "0000000013").size(), 15u);
}

TEST(VirtualReaderTest, SerialSetupAnswersThenMoves)
{
    VirtualReader reader(settings());
    EXPECT_EQ(reader.handle(set("21?5")), Ack);
    EXPECT_EQ(reader.address(), 31);
    EXPECT_EQ(reader.baudRate(), 38400);
    EXPECT_EQ(reader.handle(poll("2", 31)), from(31, "FW TEST 0.99 ABC"));
}

TEST(VirtualReaderTest, BroadcastCarriesOutSetCommandsSilently)
{
    VirtualReader reader(settings());
    EXPECT_EQ(reader.handle(broadcast("1999988877766655")), "");
    EXPECT_EQ(reader.handle(broadcast("410000000042")), "");
    EXPECT_EQ(reader.handle(broadcast("3001002003")), "");
    EXPECT_EQ(reader.handle(poll("1")), from(7, "999988877766655"));
    EXPECT_EQ(reader.handle(poll("70000000042")), from(7, "1"));
    EXPECT_EQ(reader.outputs(), "001002003");
    EXPECT_EQ(reader.handle(broadcast("420000000042")), "");
    EXPECT_EQ(reader.whiteListSize(), 0u);
    EXPECT_EQ(reader.handle(broadcast("2123")), "");
    EXPECT_EQ(reader.address(), 18);
    EXPECT_EQ(reader.baudRate(), 9600);
}

TEST(VirtualReaderTest, SetAddressByCardMovesOnlyTheCardHolder)
{
    VirtualReader holder(settings(7));
    auto other = settings(8);
    other.card = "CARD000002";
    VirtualReader bystander(other);
    for (VirtualReader* reader : {&holder, &bystander})
        EXPECT_EQ(reader->handle(broadcast("50<CARD000001")), "");
    EXPECT_EQ(holder.address(), 12);
    EXPECT_EQ(bystander.address(), 8);
    // A shorter code is not the card's.
    holder.handle(broadcast("53?CARD00000"));
    EXPECT_EQ(holder.address(), 12);
}

TEST(VirtualReaderTest, DefaultCardIsTheAddressInTenDigits)
{
    ReaderSettings s;
    s.address = 42;
    VirtualReader reader(s);
    reader.handle(broadcast("5010000000042"));
    EXPECT_EQ(reader.address(), 1);
}

TEST(VirtualReaderTest, MultimasterReadingRepeatsUntilAcknowledged)
{
    VirtualReader reader(settings(5));
    reader.setMultimaster(true);
    reader.handle(set("410000000042", 5));
    reader.present("0000000042");
    reader.present("0000000099");
    const auto first = reader.pendingReading();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->frame, from(5, "10000000042"));
    EXPECT_EQ(first->frame.size(), 16u);
    // Not sent yet: an acknowledgement does not confirm it.
    reader.handle(poll(Ack, 5));
    EXPECT_EQ(reader.pendingReading()->id, first->id);
    reader.readingSent();
    reader.handle(poll(Ack, 5));
    const auto second = reader.pendingReading();
    ASSERT_TRUE(second);
    EXPECT_NE(second->id, first->id);
    EXPECT_EQ(second->frame, from(5, "00000000099"));
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
