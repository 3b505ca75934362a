#include "CommandTable.h"

#include "ReaderRig.h"

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
    CommandResult invoke(const std::string& name, const std::vector<std::string>& args, bool ack = false,
                         const std::string& dialect = "Sibrant2")
    {
        const CommandEntry* entry = CommandTable::find(name);
        return entry ? entry->invoke(lettori, {9, args, ack, dialect}) : CommandResult{-1};
    }
};

// Each entry reaches its own operation with its arguments in order, laid
// out as the operation does (fields as given, three-digit fields cut or
// padded, the new address in the set form whatever its range): the frames
// on the line. It names what the operation returned.
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
        {"SetOUTPUT", {"1234", "", "7"}, false, "", {"02 30 39 33 32 33 34 30 30 30 30 30 37 03 09"}, ""},
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
        {"GetVersioneFirmware", {}, false, "SIM LETTORE 1.00", {"02 30 29 32 03 2A"},
         "outVERSION=SIM LETTORE 1.00"},
        {"GetTransazione", {}, false, "T0000001234", {"02 30 29 33 03 2B"}, "outCODICE=0000001234"},
        {"GetTransazione", {}, true, "T0000001234", {"02 30 29 33 03 2B", AckFrame}, "outCODICE=0000001234"},
        {"GetMatricolaPrima", {}, false, "0000000077", {"02 30 29 34 03 2C", AckFrame}, "outCODICE=0000000077"},
        {"GetMatricolaCorrente", {}, false, "0000000078", {"02 30 29 35 03 2D", AckFrame},
         "outCODICE=0000000078"},
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
}

// One value per status character, so that a full list ("2") is not taken
// for insertions; "none" for answers without one.
TEST_F(CommandTableTest, RangeInsertionNamesEachStatus)
{
    reply = [](const std::string& frame) {
        return lastOfData(frame) == '8' ? ack() : answer(lastOfData(frame) < '7' ? "0" : "2");
    };
    EXPECT_EQ(valuesOf(invoke("InserisciBadge", {"5", "8"})),
              "accettati=4|TxtRisposta=0000000008 |inviati=4|stato=none 1|stato=0 2|stato=2 1");
    EXPECT_EQ(writtenHex()[0], "02 30 39 34 31 30 30 30 30 30 30 30 30 30 35 03 08");
}

// The dialect chosen is the one spoken; one the link does not have sends
// nothing.
TEST_F(CommandTableTest, RawUsesTheChosenDialect)
{
    invoke("raw", {"P", "2"}, false, "Tolvane");
    EXPECT_EQ(invoke("raw", {"P", "2"}, false, "Modbus").esito, Esito::InvalidArgument);
    EXPECT_EQ(writtenHex(), std::vector<std::string>{"04 04 39 05"});
}

}  // namespace
}  // namespace lettore::test
