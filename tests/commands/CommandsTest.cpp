#include "ByteText.h"
#include "CommandTable.h"
#include "ErrorWatcher.h"
#include "Esito.h"
#include "RangeInsertion.h"
#include "ReaderRig.h"
#include "ReadingDecoder.h"
#include "ScopedSubscription.h"

namespace lettore::test {
namespace {

const std::string AckFrame = "02 30 29 06 03 1E";

// The values of a result as "name=value" joined by "|".
std::string valuesOf(const CommandResult& result)
{
    std::string out;
    for (const auto& value : result.values)
        out += (out.empty() ? "" : "|") + value.name + "=" + value.bytes;
    return out;
}

class CommandTableTest : public ReaderRig {
protected:
    // The entry named, run for reader 9; a name not in the table gives -1.
    CommandResult invoke(const std::string& name, const std::vector<std::string>& args,
                         bool ack = false, const std::string& dialect = "Sibrant2")
    {
        const CommandEntry* entry = CommandTable::find(name);
        return entry ? entry->invoke(lettori, {9, args, ack, dialect}) : CommandResult{-1};
    }
};

// Each entry runs its own operation with its arguments in order and names
// what it returned; the frames show the operations' layout (fields as given,
// three-digit fields cut or padded, the new address in the set form whatever
// its range).
TEST_F(CommandTableTest, EachEntryRunsItsOperation)
{
    const struct {
        const char* name;
        std::vector<std::string> args;
        bool ack;
        std::string answerData;  // the data of the reader's answer; "" a lone ACK
        std::vector<std::string> frames;
        std::string values;
    } rows[] = {
        {"SetupBase", {"001", "1", "050", "100", "0", "200"}, false, "",
         {"02 30 39 31 30 30 31 31 30 30 32 30 30 30 35 30 31 30 03 3F"}, ""},
        {"SetupSeriale", {"19200", "7"}, false, "", {"02 30 39 32 30 37 34 03 09"}, ""},
        {"SetupSeriale", {"38400", "31"}, false, "", {"02 30 39 32 31 3F 35 03 01"}, ""},
        {"SetupSeriale", {"1200", "256"}, false, "", {"02 30 39 32 30 30 30 03 0A"}, ""},
        {"SetupSeriale", {"2400", "-1"}, false, "", {"02 30 39 32 3F 3F 31 03 0B"}, ""},
        {"SetupSeriale", {"4800", "300"}, false, "", {"02 30 39 32 32 3C 32 03 06"}, ""},
        {"SetOUTPUT", {"1234", "", "7"}, false, "",
         {"02 30 39 33 32 33 34 30 30 30 30 30 37 03 09"}, ""},
        {"CreaBadge", {"0000000042"}, false, "0",
         {"02 30 39 34 31 30 30 30 30 30 30 30 30 34 32 03 0B"}, "outst=0"},
        {"EliminaBadge", {"0000000042"}, false, "", {"02 30 39 34 32 30 30 30 30 30 30 30 30 34 32 03 08"}, ""},
        {"VerificaBadge", {"0000000042"}, false, "1",
         {"02 30 29 37 30 30 30 30 30 30 30 30 34 32 03 29"}, "outESISTE=1"},
        {"CancellaWL", {}, false, "", {"02 30 39 34 33 30 30 30 30 30 30 30 30 30 30 03 0F"}, ""},
        {"SetIndirizzo", {"12", "0000012345"}, false, "",
         {"02 60 60 35 30 3C 30 30 30 30 30 31 32 33 34 35 03 39"}, ""},
        {"GetSetupBase", {}, false, "ABCDefgHIJklmXY", {"02 30 29 31 03 29"},
         "outTPROTO=ABCD|outTMAC=X|outRELE=efg|outLED_V=Y|outTMCODE=HIJ|outTBUZZ=klm"},
        {"GetVersioneFirmware", {}, false, "SIM LETTORE 1.00", {"02 30 29 32 03 2A"}, "outVERSION=SIM LETTORE 1.00"},
        {"GetTransazione", {}, false, "T0000001234", {"02 30 29 33 03 2B"}, "outCODICE=0000001234"},
        {"GetTransazione", {}, true, "T0000001234", {"02 30 29 33 03 2B", AckFrame}, "outCODICE=0000001234"},
        {"GetMatricolaPrima", {}, false, "0000000077", {"02 30 29 34 03 2C", AckFrame}, "outCODICE=0000000077"},
        {"GetMatricolaCorrente", {}, false, "0000000078", {"02 30 29 35 03 2D", AckFrame}, "outCODICE=0000000078"},
        {"GetMatricolaNext", {}, false, "0000000079", {"02 30 29 36 03 2E", AckFrame}, "outCODICE=0000000079"},
        {"SendACK", {}, false, "", {AckFrame}, ""},
        {"raw", {"P", "2"}, false, "V", {"02 30 29 32 03 2A"}, "Risposta=\x02\x30\x21V\x03\x46"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.name) + (row.ack ? " --ack" : ""));
        port.clearRecord();
        // Broadcasts and acknowledgements get no answer.
        reply = [&](const std::string& frame) -> std::string {
            if (Frame::decode(frame)->term == Frame::Broadcast || Frame::decode(frame)->data == ack())
                return {};
            return row.answerData.empty() ? ack() : answer(row.answerData);
        };
        const CommandResult result = invoke(row.name, row.args, row.ack);
        EXPECT_EQ(result.esito, 0);
        EXPECT_EQ(writtenHex(), row.frames);
        EXPECT_EQ(valuesOf(result), row.values);
    }
    EXPECT_EQ(CommandTable::find("Frobnicate"), nullptr);
}

// What entries add to their operation: a query that times out still names its value; the range
// insertion counts codes sent apart from those accepted, with one value per status character (a
// full list, "2", is not taken for insertions; "none" for answers without one); raw speaks the
// dialect chosen, and one the link lacks sends nothing and still gives its (empty) answer.
TEST_F(CommandTableTest, RangeInsertionNamesEachStatusAndRawSpeaksTheChosenDialect)
{
    reply = [](const std::string& frame) {
        const char last = lastOfData(frame);
        return last == '9' ? std::string() : last == '8' ? ack() : answer(last < '7' ? "0" : "2");
    };
    EXPECT_EQ(valuesOf(invoke("InserisciBadge", {"5", "9"})),
              "accettati=4|TxtRisposta=0000000009 |inviati=5|stato=none 1|stato=0 2|stato=2 1");
    EXPECT_EQ(writtenHex()[0], "02 30 39 34 31 30 30 30 30 30 30 30 30 30 35 03 08");
    EXPECT_EQ(valuesOf(invoke("VerificaBadge", {"0000000009"})), "outESISTE=E");

    port.clearRecord();
    invoke("raw", {"P", "2"}, false, "Tolvane");
    const CommandResult unknown = invoke("raw", {"P", "2"}, false, "Modbus");
    EXPECT_EQ(unknown.esito, Esito::InvalidArgument);
    EXPECT_EQ(valuesOf(unknown), "Risposta=");
    EXPECT_EQ(writtenHex(), std::vector<std::string>{"04 04 39 05"});
}

class RangeInsertionTest : public ReaderRig {
protected:
    RangeInsertion::Result run(int first, int last)
    {
        return RangeInsertion(lettori, 1, [this](const auto& s) { steps.push_back(s); }, stopWhen).run(first, last);
    }

    // Each step as "index/count code esito outst".
    std::vector<std::string> stepTexts() const
    {
        std::vector<std::string> out;
        for (const auto& s : steps)
            out.push_back(std::to_string(s.index) + "/" + std::to_string(s.count) + " " + s.code + " "
                          + std::to_string(s.esito) + " " + s.outst);
        return out;
    }

    std::vector<RangeInsertion::Step> steps;
    std::function<bool()> stopWhen = [] { return false; };
};

// Every code goes out in order whatever the one before gave (each answer
// follows the code its frame carries); only accepted answers count, each
// under its status character.
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

    EXPECT_EQ(stepTexts(), (std::vector<std::string>{"1/5 0000000005 0 0", "2/5 0000000006 1 ",
                                                     "3/5 0000000007 0 2", "4/5 0000000008 2 ", "5/5 0000000009 0 "}));
    EXPECT_EQ(result.esito, 1);
    EXPECT_EQ(result.sent, 5);
    EXPECT_EQ(result.accepted, 3);
    EXPECT_EQ(result.statuses, (std::map<std::string, int>{{"", 1}, {"0", 1}, {"2", 1}}));
}

// A port failure ends the run at its code, with result 3 even after a
// time-out; a stop asked for during the quiet gap sends nothing more.
TEST_F(RangeInsertionTest, PortFailureOrStopInTheQuietGapEndsTheRun)
{
    reply = [this](const std::string& frame) {
        if (lastOfData(frame) == '6')  // the device goes away once code 6 is out
            port.failNext("write", PortError(PortFailure::Other, 5, LineDroppedText));
        return lastOfData(frame) == '5' ? std::string() : answer("0");
    };
    const RangeInsertion::Result broken = run(5, 9);
    EXPECT_EQ(stepTexts(), (std::vector<std::string>{"1/5 0000000005 1 ", "2/5 0000000006 0 0", "3/5 0000000007 3 "}));
    EXPECT_EQ(broken.esito, Esito::PortFailed);
    EXPECT_FALSE(broken.stopped);

    port.clearRecord();
    lettori.Comunicazione().setQuietGapAfterTimeOut(1500);
    int asked = 0;
    // Before code 5 and after its (empty) gap, before code 6, after its gap.
    stopWhen = [&] { return ++asked == 4; };
    EXPECT_TRUE(run(5, 9).stopped);
    EXPECT_EQ(port.writes().size(), 1u);
}

// The bounds, and a stop asked for while a code's exchange waits (a click
// handled during the wait): that exchange finishes, the run ends before the
// next.
TEST_F(RangeInsertionTest, BoundsAndAStopBetweenTwoExchanges)
{
    reply = [](const std::string&) { return answer("0"); };
    const struct { const char* name; int first, last, sent; const char* lastLine; bool stopped; } rows[] = {
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

// Control characters, DEL, bytes above 127 and the backslash itself are
// escaped; the printable rest stays as it is.
TEST(ByteTextTest, EscapesRoundTrip)
{
    const std::string bytes("\x02\x30\x21\x00\x7F\xFF\\", 7);
    EXPECT_EQ(ByteText::escape(bytes), "\\x020!\\x00\\x7F\\xFF\\x5C");
    EXPECT_EQ(ByteText::unescape(ByteText::escape(bytes)), bytes);
    EXPECT_EQ(ByteText::unescape("\\\\x41\\x4a"), "\\x41J");
    for (const char* bad : {"\\", "\\x", "\\x4", "\\xG1", "\\n"})
        EXPECT_FALSE(ByteText::unescape(bad)) << bad;
}

// The two hex forms side by side: two digits between blanks, and the
// monitor's blank before each byte with no leading zero.
TEST(ByteTextTest, HexForms)
{
    const struct { std::string bytes; const char* hex; const char* monitorHex; } rows[] = {
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

// A reading is 16 characters: its code from the fifth, its address from the
// second and third in the poll form (the address rules are the frame's).
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

using ListenersTest = ReaderRig;

// The error watcher hears the link only while its subscription lives; it
// keeps the last error's text, or its number when it has none.
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
