#include "Esito.h"
#include "ReaderCommand.h"
#include "ReaderRig.h"

namespace lettore::test {
namespace {

using Arguments = ReaderCommand::Arguments;

// The values of a run as "name=value" joined by "|".
std::string valuesOf(const ReaderCommand::Result& result)
{
    std::string out;
    for (const auto& value : result.values)
        out += (out.empty() ? "" : "|") + value.name + "=" + value.text;
    return out;
}

using ReaderCommandTest = ReaderRig;

// Every command run for reader 1: the frames it writes and what it makes of the answer to
// the first (hex, "" for silence), spelt out byte for byte. Fields come from answers of
// their exact length (at least 16 for a transaction), else the placeholder; a record read
// whole is acknowledged (a transaction on request); a broadcast waits for nothing.
TEST_F(ReaderCommandTest, FramesAndAnswersOfEveryCommand)
{
    const std::string Ack = "02 30 21 06 03 16";
    const std::string SerialNumber = "02 30 21 30 30 30 30 30 30 30 30 37 37 03 10";  // 0000000077
    const std::string Transaction = "02 30 21 31 30 30 30 30 30 30 30 30 34 32 03 27";  // status 1, 0000000042
    const std::string Setup = "02 30 21 31 32 33 34 30 30 35 30 31 30 30 32 30 33 30 03 21";  // 123400501002030
    const std::string Version = "02 30 21 53 49 4D 20 4C 45 54 54 4F 52 45 20 31 2E 30 30 03 09";  // SIM LETTORE 1.00
    const std::string N6 = "outTPROTO=N|outTMAC=N|outRELE=N|outLED_V=N|outTMCODE=N|outTBUZZ=N";
    const struct {
        const char* name;
        const char* command;
        Arguments arguments;
        bool acknowledge;
        std::string answer;
        std::vector<std::string> frames;
        int16_t esito;
        std::string values;
    } rows[] = {
        {"setup in its field order", "SetupBase",
         {{"TProto", "0123"}, {"TMAC", "4"}, {"TBuzz", "567"}, {"RELE", "890"}, {"LED_V", "1"}, {"TMCODE", "234"}},
         false, "06", {"02 30 31 31 30 31 32 33 38 39 30 32 33 34 35 36 37 34 31 03 04"}, 0, ""},
        {"serial setup 31 at 38400", "SetupSeriale", {{"BaudRate", "38400"}, {"NewAddress", "31"}}, false, "06",
         {"02 30 31 32 31 3F 35 03 09"}, 0, ""},
        {"serial setup 256 at 1200", "SetupSeriale", {{"BaudRate", "1200"}, {"NewAddress", "256"}}, false, "06",
         {"02 30 31 32 30 30 30 03 02"}, 0, ""},
        {"serial setup -1 at 2400", "SetupSeriale", {{"BaudRate", "2400"}, {"NewAddress", "-1"}}, false, "06",
         {"02 30 31 32 3F 3F 31 03 03"}, 0, ""},
        {"serial setup 57600", "SetupSeriale", {{"BaudRate", "57600"}, {"NewAddress", "1"}}, false, "06", {}, 2, ""},
        {"outputs cut and padded, silent", "SetOUTPUT", {{"RELE", "1234"}, {"Buzzer", ""}, {"LED_V", "7"}}, false,
         "", {"02 30 31 33 32 33 34 30 30 30 30 30 37 03 01"}, 1, ""},
        {"add", "CreaBadge", {{"CODICE", "0000000042"}}, false, "02 30 21 30 03 20",
         {"02 30 31 34 31 30 30 30 30 30 30 30 30 34 32 03 03"}, 0, "outst=0"},
        {"add, longer answer", "CreaBadge", {{"CODICE", "0000000042"}}, false, "02 30 21 30 78 79 7A 03 5B",
         {"02 30 31 34 31 30 30 30 30 30 30 30 30 34 32 03 03"}, 0, "outst=0"},
        {"add, lone ACK", "CreaBadge", {{"CODICE", "0000000042"}}, false, "06",
         {"02 30 31 34 31 30 30 30 30 30 30 30 30 34 32 03 03"}, 0, "outst="},
        {"add, silent", "CreaBadge", {{"CODICE", "0000000042"}}, false, "",
         {"02 30 31 34 31 30 30 30 30 30 30 30 30 34 32 03 03"}, 1, "outst="},
        {"delete an empty code, refused", "EliminaBadge", {{"CODICE", ""}}, false, "15", {"02 30 31 34 32 03 06"}, 0, ""},
        {"verify", "VerificaBadge", {{"CODICE", "0000000042"}}, false, "02 30 21 31 03 21",
         {"02 30 21 37 30 30 30 30 30 30 30 30 34 32 03 21"}, 0, "outESISTE=1"},
        {"verify, lone ACK", "VerificaBadge", {{"CODICE", "0000000042"}}, false, "06",
         {"02 30 21 37 30 30 30 30 30 30 30 30 34 32 03 21"}, 0, "outESISTE="},
        {"verify, silent", "VerificaBadge", {{"CODICE", "0000000042"}}, false, "",
         {"02 30 21 37 30 30 30 30 30 30 30 30 34 32 03 21"}, 1, "outESISTE=E"},
        {"clear", "CancellaWL", {}, false, "06", {"02 30 31 34 33 30 30 30 30 30 30 30 30 30 30 03 07"}, 0, ""},
        {"address by card, to every reader", "SetIndirizzo", {{"nIndirizzo", "12"}, {"sCodice", "0000012345"}},
         false, "", {"02 60 60 35 30 3C 30 30 30 30 30 31 32 33 34 35 03 39"}, 0, ""},
        {"setup read", "GetSetupBase", {}, false, Setup, {"02 30 21 31 03 21"}, 0,
         "outTPROTO=1234|outTMAC=3|outRELE=005|outLED_V=0|outTMCODE=010|outTBUZZ=020"},
        {"setup of 19", "GetSetupBase", {}, false, "02 30 21 31 32 33 34 30 30 35 30 31 30 30 32 30 33 03 11",
         {"02 30 21 31 03 21"}, 0, N6},
        {"setup of 21", "GetSetupBase", {}, false, "02 30 21 31 32 33 34 30 30 35 30 31 30 30 32 30 33 30 31 03 10",
         {"02 30 21 31 03 21"}, 0, N6},
        {"version", "GetVersioneFirmware", {}, false, Version, {"02 30 21 32 03 22"}, 0, "outVERSION=SIM LETTORE 1.00"},
        {"version of 20", "GetVersioneFirmware", {}, false,
         "02 30 21 53 49 4D 20 4C 45 54 54 4F 52 45 20 31 2E 30 03 39", {"02 30 21 32 03 22"}, 0, "outVERSION=N"},
        {"version of 22", "GetVersioneFirmware", {}, false,
         "02 30 21 53 49 4D 20 4C 45 54 54 4F 52 45 20 31 2E 30 30 30 03 39", {"02 30 21 32 03 22"}, 0, "outVERSION=N"},
        {"transaction", "GetTransazione", {}, false, Transaction, {"02 30 21 33 03 23"}, 0, "outCODICE=0000000042"},
        {"transaction acknowledged", "GetTransazione", {}, true, Transaction, {"02 30 21 33 03 23", Ack}, 0,
         "outCODICE=0000000042"},
        {"transaction of 20", "GetTransazione", {}, false,
         "02 30 21 31 30 30 30 30 30 30 30 30 34 32 30 30 30 30 03 27", {"02 30 21 33 03 23"}, 0,
         "outCODICE=00000000420000"},
        {"transaction of 15, not acknowledged", "GetTransazione", {}, true,
         "02 30 21 31 30 30 30 30 30 30 30 30 34 03 15", {"02 30 21 33 03 23"}, 0, "outCODICE=N"},
        {"first serial number", "GetMatricolaPrima", {}, false, SerialNumber, {"02 30 21 34 03 24", Ack}, 0,
         "outCODICE=0000000077"},
        {"current serial number", "GetMatricolaCorrente", {}, false, SerialNumber, {"02 30 21 35 03 25", Ack}, 0,
         "outCODICE=0000000077"},
        {"next serial number", "GetMatricolaNext", {}, false, SerialNumber, {"02 30 21 36 03 26", Ack}, 0,
         "outCODICE=0000000077"},
        {"next of 16, not acknowledged", "GetMatricolaNext", {}, false,
         "02 30 21 30 30 30 30 30 30 30 30 37 37 30 03 20", {"02 30 21 36 03 26"}, 0, "outCODICE=N"},
        {"next of 14, not acknowledged", "GetMatricolaNext", {}, false, "02 30 21 30 30 30 30 30 30 30 30 37 03 27",
         {"02 30 21 36 03 26"}, 0, "outCODICE=N"},
        {"acknowledgement", "SendACK", {}, false, "", {Ack}, 0, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        port.clearRecord();
        int written = 0;
        reply = [&](const std::string&) { return ++written == 1 ? unhex(row.answer) : std::string(); };
        const ReaderCommand::Result result =
            ReaderCommand::named(row.command).run(lettori.Comunicazione(), 1, row.arguments, row.acknowledge);
        EXPECT_EQ(writtenHex(), row.frames);
        EXPECT_EQ(result.esito, row.esito);
        EXPECT_EQ(valuesOf(result), row.values);
    }
}

// A data field only from arguments it can encode: a rate by its exact text, an address
// that is a whole number; each argument present.
TEST(ReaderCommandFieldTest, ArgumentsThatGiveNoDataField)
{
    const ReaderCommand& setup = ReaderCommand::named("SetupSeriale");
    for (const char* rate : {"57600", "9600 ", " 9600", "09600", ""})
        EXPECT_FALSE(setup.dataField({{"BaudRate", rate}, {"NewAddress", "1"}})) << rate;
    for (const char* address : {"", "x", "1x", "+1", " 1"})
        EXPECT_FALSE(setup.dataField({{"BaudRate", "9600"}, {"NewAddress", address}})) << address;
    EXPECT_FALSE(setup.dataField({{"BaudRate", "9600"}}));
    EXPECT_EQ(setup.dataField(setup.arguments({"19200", "7", "extra"})), "2074");
}

// The command a frame carries, from its type and data field; each command's own data
// field leads back to it; the commands that leave the reader as it was.
TEST(ReaderCommandFieldTest, CommandFromTypeAndDataField)
{
    const std::tuple<const char*, std::string, const char*> rows[] = {
        {"S", "1001000505001021", "SetupBase"}, {"P", "1", "GetSetupBase"}, {"S", "410000000042", "CreaBadge"},
        {"S", "42", "EliminaBadge"}, {"S", "430000000000", "CancellaWL"}, {"S", "50<0000012345", "SetIndirizzo"},
        {"P", "5", "GetMatricolaCorrente"}, {"P", "70000000042", "VerificaBadge"}, {"P", "\x06", "SendACK"},
        {"S", "\x06", ""}, {"S", "44", ""}, {"S", "7", ""}, {"P", "", ""}, {"P", "9", ""},
    };
    for (const auto& [type, data, name] : rows) {
        const ReaderCommand* command = ReaderCommand::carriedBy(type, data);
        EXPECT_STREQ(command ? command->name : "", name) << type << " " << data;
    }
    std::string unchanging;
    for (const ReaderCommand& command : ReaderCommand::all()) {
        const Arguments any{{"TProto", "0010"}, {"TMAC", "2"}, {"TBuzz", "010"}, {"RELE", "005"}, {"LED_V", "1"},
                            {"TMCODE", "050"}, {"BaudRate", "9600"}, {"NewAddress", "5"}, {"Buzzer", "1"},
                            {"CODICE", "0000000042"}, {"nIndirizzo", "5"}, {"sCodice", "0000000042"}};
        EXPECT_EQ(ReaderCommand::carriedBy(command.type, *command.dataField(any)), &command) << command.name;
        if (command.effectOf(false) == ReaderCommand::Effect::None)
            unchanging += std::string(unchanging.empty() ? "" : " ") + command.name;
    }
    EXPECT_EQ(unchanging, "VerificaBadge GetSetupBase GetVersioneFirmware GetTransazione");
    EXPECT_EQ(ReaderCommand::named("GetTransazione").effectOf(true), ReaderCommand::Effect::Confirms);
    EXPECT_EQ(ReaderCommand::find("Frobnicate"), nullptr);
}

}  // namespace
}  // namespace lettore::test
