#include "BadgeCode.h"
#include "ByteText.h"
#include "CommandTable.h"
#include "Csv.h"
#include "ErrorWatcher.h"
#include "Esito.h"
#include "LoneAnswer.h"
#include "RangeInsertion.h"
#include "ReaderRig.h"
#include "ReadingDecoder.h"
#include "ScopedSubscription.h"
#include "TransactionCodes.h"

namespace lettore::test {
namespace {

// "name=value" joined by "|".
std::string valuesOf(const CommandResult& result)
{
    return joined(result.values, [](const auto& value) { return value.name + "=" + value.bytes; });
}

class CommandTableTest : public ReaderRig {
protected:
    // The entry named, run for reader 1.
    CommandResult invoke(const std::string& name, const std::vector<std::string>& args, bool ack = false,
                         const std::string& dialect = "Sibrant2")
    {
        return CommandTable::find(name)->run(lettori.Comunicazione(), {1, args, ack, dialect});
    }
};

// An entry runs its command with its inputs in order, --ack where asked, and names the fields.
TEST_F(CommandTableTest, ReaderEntriesRunTheirCommand)
{
    const struct {
        const char* name;
        std::vector<std::string> args;
        bool ack;
        std::string sent, values;
    } rows[] = {
        {"SetupBase", {"A", "B", "C", "D", "E", "F"}, false, "1ADFCBE", ""},
        {"SetIndirizzo", {"12", "X"}, false, "50<X", ""},
        {"GetTransazione", {}, true, "3|\\x06", "outCODICE=0000000042"},
    };
    reply = [](const std::string& frame) { return Frame::decode(frame)->data == ack() ? "" : answer("10000000042"); };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        port.clearRecord();
        const CommandResult result = invoke(row.name, row.args, row.ack);
        EXPECT_EQ(ByteText::escape(sentData()), row.sent);
        EXPECT_EQ(valuesOf(result), row.values);
    }
    for (const CommandEntry& entry : CommandTable::all())
        if (entry.command && !entry.invoke)
            EXPECT_EQ(entry.inputs.size(), entry.command->inputs.size()) << entry.name;
    EXPECT_EQ(CommandTable::find("Frobnicate"), nullptr);
}

// The range entry names each status ("2", list full, is no insertion); raw speaks the dialect chosen.
TEST_F(CommandTableTest, RangeInsertionNamesEachStatusAndRawSpeaksTheChosenDialect)
{
    reply = [](const std::string& frame) {
        const char last = lastOfData(frame);
        return last == '9' ? std::string() : last == '8' ? ack() : answer(last < '7' ? "0" : "2");
    };
    EXPECT_EQ(valuesOf(invoke("InserisciBadge", {"5", "9"})),
              "accettati=4|TxtRisposta=0000000009 |inviati=5|stato=none 1|stato=0 2|stato=2 1");
    EXPECT_EQ(valuesOf(invoke("VerificaBadge", {"0000000009"})), "outESISTE=E");  // a time-out names it too

    port.clearRecord();
    invoke("raw", {"P", "2"}, false, "Tolvane");
    const CommandResult unknown = invoke("raw", {"P", "2"}, false, "Modbus");
    EXPECT_EQ(unknown.esito, Esito::InvalidArgument);
    EXPECT_EQ(valuesOf(unknown), "Risposta=");
    EXPECT_EQ(writtenHex(), std::vector<std::string>{"04 04 31 05"});
    port.clearRecord();
    reply = [](const std::string&) { return answer("V"); };
    EXPECT_EQ(ByteText::hex(invoke("raw", {"P", "2"}).values[0].bytes), "02 30 21 56 03 46");
}

class RangeInsertionTest : public ReaderRig {
protected:
    RangeInsertion::Result run(int first, int last)
    {
        return RangeInsertion(
                   lettori.Comunicazione(), 1, [this](const auto& s) { steps.push_back(s); }, stopWhen)
            .run(first, last);
    }

    // Each step as "index/count code esito outst", "|" between.
    std::string stepTexts() const
    {
        return joined(steps, [](const auto& s) {
            return std::to_string(s.index) + "/" + std::to_string(s.count) + " " + s.code + " "
                   + std::to_string(s.esito) + " " + s.outst;
        });
    }

    std::vector<RangeInsertion::Step> steps;
    std::function<bool()> stopWhen = [] { return false; };
};

// Every code goes out whatever the one before gave; accepted answers count under their status.
TEST_F(RangeInsertionTest, SendsEveryCodeAndCountsAnswersByStatus)
{
    reply = [](const std::string& frame) -> std::string {
        switch (lastOfData(frame)) {
        case '5': return answer("0");
        case '6': return {};  // silence
        case '7': return answer("2");  // list full
        case '8': return unhex("02 30 21 30 03 21");  // its check broken
        default: return ack();  // no status character
        }
    };
    const RangeInsertion::Result result = run(5, 9);

    EXPECT_EQ(stepTexts(),
              "1/5 0000000005 0 0|2/5 0000000006 1 |3/5 0000000007 0 2|4/5 0000000008 2 |5/5 0000000009 0 ");
    EXPECT_EQ(result.esito, 1);
    EXPECT_EQ(result.sent, 5);
    EXPECT_EQ(result.accepted, 3);
    EXPECT_EQ(result.statuses, (std::map<std::string, int>{{"", 1}, {"0", 1}, {"2", 1}}));
}

// A port failure ends the run, even after a time-out; a stop during the quiet gap sends no more.
TEST_F(RangeInsertionTest, PortFailureOrStopInTheQuietGapEndsTheRun)
{
    reply = [this](const std::string& frame) {
        if (lastOfData(frame) == '6')  // the device goes away once code 6 is out
            port.failNext("write", PortError(PortFailure::Other, 5, LineDroppedText));
        return lastOfData(frame) == '5' ? std::string() : answer("0");
    };
    const RangeInsertion::Result broken = run(5, 9);
    EXPECT_EQ(stepTexts(), "1/5 0000000005 1 |2/5 0000000006 0 0|3/5 0000000007 3 ");
    EXPECT_EQ(broken.esito, Esito::PortFailed);
    EXPECT_EQ(std::pair(broken.sent, broken.accepted), std::pair(3, 1));  // the code that met the failure was sent
    EXPECT_FALSE(broken.stopped);

    port.clearRecord();
    lettori.Comunicazione().setQuietGapAfterTimeOut(1500);
    int asked = 0;
    // Before code 5 and after its (empty) gap, before code 6, after its gap.
    stopWhen = [&] { return ++asked == 4; };
    EXPECT_TRUE(run(5, 9).stopped);
    EXPECT_EQ(port.writes().size(), 1u);
}

// The bounds, and a stop asked during an exchange: it finishes, the next is not sent.
TEST_F(RangeInsertionTest, BoundsAndAStopBetweenTwoExchanges)
{
    reply = [](const std::string&) { return answer("0"); };
    const struct {
        const char* name;
        int first, last, sent;
        const char* lastLine;
        bool stopped;
    } rows[] = {
        {"first above last", 5, 3, 0, "", false},
        {"one code", 7, 7, 1, "0000000007 0", false},
        {"negative first refused", -1, 2, 0, "", false},
        {"last past 32767 refused", 0, 32768, 0, "", false},
        {"up to 32767", 32760, 32767, 8, "0000032767 0", false},
        {"stop asked once the third code is out", 0, 100, 3, "0000000002 0", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        port.clearRecord();
        // A count that wrapped past 32767 would never end: stop it at 9 codes.
        stopWhen = [&] { return port.writes().size() >= (row.stopped ? size_t(row.sent) : 9u); };
        const RangeInsertion::Result result = run(row.first, row.last);
        EXPECT_EQ(result.sent, row.sent);
        EXPECT_EQ(port.writes().size(), size_t(row.sent));
        EXPECT_EQ(result.lastLine, row.lastLine);
        EXPECT_EQ(result.stopped, row.stopped);
    }
}

// Control bytes, DEL, bytes above 127 and the backslash escaped; the plain and the monitor's hex.
TEST(ByteTextTest, EscapesAndHexForms)
{
    const std::string bytes("\x02\x30\x21\x00\x7F\xFF\\", 7);
    EXPECT_EQ(ByteText::escape(bytes), "\\x020!\\x00\\x7F\\xFF\\x5C");
    EXPECT_EQ(ByteText::unescape(ByteText::escape(bytes)), bytes);
    EXPECT_EQ(ByteText::unescape("\\\\x41\\x4a"), "\\x41J");
    for (const char* bad : {"\\", "\\x", "\\x4", "\\xG1", "\\n"})
        EXPECT_FALSE(ByteText::unescape(bad)) << bad;
    const struct {
        std::string bytes;
        const char* hex;
        const char* monitorHex;
    } rows[] = {
        {"", "", ""},
        {"\x02\x41\x0D", "02 41 0D", " 2 41 D"},
        {std::string(1, '\0'), "00", " 0"},
        {"\x0F\x10", "0F 10", " F 10"},
        {"\x80\xFF", "80 FF", " 80 FF"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ByteText::hex(row.bytes), row.hex);
        EXPECT_EQ(ByteText::monitorHex(row.bytes), row.monitorHex) << row.hex;
    }
}

// A reading is 16 characters: its code from the fifth, its address in the poll form.
TEST(ReadingDecoderTest, CodeAndAddressOfSixteenCharactersOnly)
{
    const std::string reading = std::string("\x02?/1") + "0000004242" + "\x03" + "X";
    const std::optional<Reading> decoded = ReadingDecoder::decode(reading);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->address, 255);
    EXPECT_EQ(decoded->code, "0000004242");
    EXPECT_FALSE(ReadingDecoder::decode(reading.substr(0, 15)));
    EXPECT_FALSE(ReadingDecoder::decode(reading + "x"));
}

// Boxes filled: length / 10 - 1 rounded half to even, plus one (5, 15 and 25 are ties).
TEST(TransactionCodesTest, TenCharactersABoxAsTheLengthRoundsHalfToEven)
{
    for (const auto& [length, filled] :
         {std::pair{0, 0}, {1, 0}, {4, 0}, {5, 1}, {9, 1}, {15, 1}, {16, 2}, {25, 3}, {30, 3}, {105, 10}, {150, 10}}) {
        std::string text;
        for (int i = 0; int(text.size()) < length; ++i)
            text += "C" + BadgeCode::fromNumber(i).substr(1);
        text.resize(length);
        std::vector<std::string> expected(10);
        for (int i = 0; i < filled; ++i)
            expected[i] = text.substr(i * 10, 10);
        EXPECT_EQ(TransactionCodes::inBoxes(text, 10), expected) << length;
    }
}

// Quoted only where needed; formulas behind an apostrophe; digits a spreadsheet would spoil kept as text.
TEST(CsvTest, FieldsQuotedWhereTheyMustBeAndShownAsTextAndTrafficColumns)
{
    const std::pair<std::vector<std::string>, const char*> rows[] = {
        {{}, "\r\n"},
        {{"", ""}, ",\r\n"},
        {{"a b", "0"}, "a b,0\r\n"},
        {{"a,b", "say \"hi\"", "x\ry", "x\ny"}, "\"a,b\",\"say \"\"hi\"\"\",\"x\ry\",\"x\ny\"\r\n"},
        {{"=1+1", "+1", "-1", "@A1", "\tx", "\rx", "a=b"},
         "\"'=1+1\",\"'+1\",\"'-1\",\"'@A1\",\"'\tx\",\"'\rx\",a=b\r\n"},
        {{"0000000042", "00", "12345678901", "123456789012"},
         "=\"0000000042\",=\"00\",12345678901,=\"123456789012\"\r\n"},
    };
    for (const auto& [fields, record] : rows)
        EXPECT_EQ(Csv::record(fields), record);
    TrafficRow row{"t1",
                   TrafficRow::Direction::Received,
                   TrafficRow::Kind::Answer,
                   "Sibrant2",
                   1,
                   "P",
                   "O,",
                   TrafficRow::Check::Wrong,
                   std::string("\x02\x30\x21O,\x03\x00", 7),
                   "late"};
    EXPECT_EQ(Csv::trafficRecord(row), "t1,RX,answer,Sibrant2,1,P,\"O,\",check character wrong,"
                                       "02 30 21 4F 2C 03 00,\"\\x020!O,\\x03\\x00\",late\r\n");
    EXPECT_EQ(Csv::trafficHeader(), "time,direction,kind,dialect,address,type,data,check,hex,text,note\r\n");
}

// A lone NAK is told after any command, a lone ACK only where the answer would carry data.
TEST(LoneAnswerTest, ToldWhereTheAnswerWouldHaveCarriedData)
{
    const std::tuple<std::vector<std::string>, const char*, const char*> rows[] = {
        {{"\x15"}, "SetupBase", "NAK"},
        {{"\x06", "\x15"}, "raw", "NAK"},
        {{"\x06"}, "GetVersioneFirmware", "ACK"},
        {{"\x06"}, "InserisciBadge", "ACK"},
        {{"\x06"}, "SetupBase", ""},
        {{"\x06"}, "SendACK", ""},
        {{"\x06"}, "raw", ""},
        {{"\x06\x06"}, "VerificaBadge", ""},
        {{"\x02\x30\x21\x15\x03\x05"}, "VerificaBadge", ""},
    };
    for (const auto& [heard, command, shown] : rows) {
        LoneAnswer lone;
        for (const std::string& answer : heard)
            lone.ComRX(answer);
        EXPECT_EQ(lone.shown(*CommandTable::find(command)), shown) << command << " " << ByteText::hex(heard[0]);
    }
}

using ListenersTest = ReaderRig;

// The watcher hears the link while subscribed; an error without text is named by its number.
TEST_F(ListenersTest, SubscriptionAndErrorWatcher)
{
    int errors = 0;
    ErrorWatcher watcher([&] { ++errors; });
    port.failAlways("write", PortError(PortFailure::Other, 8020, ""));
    {
        ScopedSubscription watching(lettori.Comunicazione(), watcher);
        lettori.Sibrant().SendACK(1);
    }
    lettori.Sibrant().SendACK(1);
    EXPECT_EQ(watcher.last(), "port error 8020");
    EXPECT_EQ(errors, 1);
}

}  // namespace
}  // namespace lettore::test
