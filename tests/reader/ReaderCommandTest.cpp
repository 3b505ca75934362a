#include "ReaderCommand.h"
#include "Esito.h"
#include "ReaderRig.h"

namespace lettore::test {
namespace {

using Arguments = ReaderCommand::Arguments;

// "name=value" joined by "|".
std::string valuesOf(const ReaderCommand::Result& result)
{
    return joined(result.values, [](const auto& value) { return value.name + "=" + value.text; });
}

using ReaderCommandTest = ReaderRig;

// Each command's frames and its result from the answer to the first; a field of the wrong length is "N".
TEST_F(ReaderCommandTest, FramesAndAnswersOfEveryCommand)
{
    const std::string Ack = "02 30 21 06 03 16", Add = "02 30 31 34 31 30 30 30 30 30 30 30 30 34 32 03 03",
                      Verify = "02 30 21 37 30 30 30 30 30 30 30 30 34 32 03 21", SetupQuery = "02 30 21 31 03 21",
                      VersionQuery = "02 30 21 32 03 22", TransactionQuery = "02 30 21 33 03 23",
                      NextQuery = "02 30 21 36 03 26";
    const std::string Serial = "02 30 21 30 30 30 30 30 30 30 30 37 37 03 10", Read = "outCODICE=0000000077";
    const std::string Transaction = "02 30 21 31 30 30 30 30 30 30 30 30 34 32 03 27";  // status 1, 0000000042
    const std::string N6 = "outTPROTO=N|outTMAC=N|outRELE=N|outLED_V=N|outTMCODE=N|outTBUZZ=N";
    const std::vector<std::string> Code{"0000000042"};
    const struct {
        const char* command;
        std::vector<std::string> arguments;  // in the command's order
        bool acknowledge;
        std::string answer;
        std::vector<std::string> frames;
        int16_t esito;
        std::string values;
    } rows[] = {
        {"SetupBase",
         {"0123", "4", "567", "890", "1", "234"},
         false,
         "06",
         {"02 30 31 31 30 31 32 33 38 39 30 32 33 34 35 36 37 34 31 03 04"},
         0,
         ""},
        {"SetupSeriale", {"38400", "31"}, false, "06", {"02 30 31 32 31 3F 35 03 09"}, 0, ""},
        {"SetupSeriale", {"1200", "256"}, false, "06", {"02 30 31 32 30 30 30 03 02"}, 0, ""},
        {"SetupSeriale", {"57600", "1"}, false, "06", {}, 2, ""},
        {"SetOUTPUT", {"1234", "", "7"}, false, "", {"02 30 31 33 32 33 34 30 30 30 30 30 37 03 01"}, 1, ""},
        {"CreaBadge", Code, false, "02 30 21 30 03 20", {Add}, 0, "outst=0"},
        {"CreaBadge", Code, false, "02 30 21 30 78 79 7A 03 5B", {Add}, 0, "outst=0"},
        {"EliminaBadge", {""}, false, "15", {"02 30 31 34 32 03 06"}, 0, ""},
        {"VerificaBadge", Code, false, "02 30 21 31 03 21", {Verify}, 0, "outESISTE=1"},
        {"VerificaBadge", Code, false, "06", {Verify}, 0, "outESISTE="},
        {"VerificaBadge", Code, false, "", {Verify}, 1, "outESISTE=E"},
        {"CancellaWL", {}, false, "06", {"02 30 31 34 33 30 30 30 30 30 30 30 30 30 30 03 07"}, 0, ""},
        {"SetIndirizzo",
         {"12", "0000012345"},
         false,
         "",
         {"02 60 60 35 30 3C 30 30 30 30 30 31 32 33 34 35 03 39"},
         0,
         ""},
        {"GetSetupBase",
         {},
         false,
         "02 30 21 31 32 33 34 30 30 35 30 31 30 30 32 30 33 30 03 21",
         {SetupQuery},
         0,
         "outTPROTO=1234|outTMAC=3|outRELE=005|outLED_V=0|outTMCODE=010|outTBUZZ=020"},
        {"GetSetupBase",
         {},
         false,
         "02 30 21 31 32 33 34 30 30 35 30 31 30 30 32 30 33 30 31 03 10",
         {SetupQuery},
         0,
         N6},
        {"GetVersioneFirmware",
         {},
         false,
         "02 30 21 53 49 4D 20 4C 45 54 54 4F 52 45 20 31 2E 30 30 03 09",
         {VersionQuery},
         0,
         "outVERSION=SIM LETTORE 1.00"},
        {"GetVersioneFirmware",
         {},
         false,
         "02 30 21 53 49 4D 20 4C 45 54 54 4F 52 45 20 31 2E 30 30 30 03 39",
         {VersionQuery},
         0,
         "outVERSION=N"},
        {"GetTransazione", {}, false, Transaction, {TransactionQuery}, 0, "outCODICE=0000000042"},
        {"GetTransazione", {}, true, Transaction, {TransactionQuery, Ack}, 0, "outCODICE=0000000042"},
        {"GetTransazione",
         {},
         false,
         "02 30 21 31 30 30 30 30 30 30 30 30 34 32 30 30 30 30 03 27",
         {TransactionQuery},
         0,
         "outCODICE=00000000420000"},
        {"GetTransazione",
         {},
         true,
         "02 30 21 31 30 30 30 30 30 30 30 30 34 03 15",
         {TransactionQuery},
         0,
         "outCODICE=N"},
        {"GetMatricolaPrima", {}, false, Serial, {"02 30 21 34 03 24", Ack}, 0, Read},
        {"GetMatricolaCorrente", {}, false, Serial, {"02 30 21 35 03 25", Ack}, 0, Read},
        {"GetMatricolaNext", {}, false, Serial, {NextQuery, Ack}, 0, Read},
        {"GetMatricolaNext",
         {},
         false,
         "02 30 21 30 30 30 30 30 30 30 30 37 37 30 03 20",
         {NextQuery},
         0,
         "outCODICE=N"},
        {"SendACK", {}, false, "", {Ack}, 0, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.command) + " answered " + row.answer);
        port.clearRecord();
        int written = 0;
        reply = [&](const std::string&) { return ++written == 1 ? unhex(row.answer) : std::string(); };
        const ReaderCommand& command = ReaderCommand::named(row.command);
        const ReaderCommand::Result result
            = command.run(lettori.Comunicazione(), 1, command.arguments(row.arguments), row.acknowledge);
        EXPECT_EQ(writtenHex(), row.frames);
        EXPECT_EQ(result.esito, row.esito);
        EXPECT_EQ(valuesOf(result), row.values);
    }
}

// No data field from a rate not written exactly, an address not a whole number, or one missing.
TEST(ReaderCommandFieldTest, ArgumentsThatGiveNoDataField)
{
    const ReaderCommand& setup = ReaderCommand::named("SetupSeriale");
    for (const char* rate : {"57600", "9600 ", "09600", ""})
        EXPECT_FALSE(setup.dataField({{"BaudRate", rate}, {"NewAddress", "1"}})) << rate;
    for (const char* address : {"", "x", "1x"})
        EXPECT_FALSE(setup.dataField({{"BaudRate", "9600"}, {"NewAddress", address}})) << address;
    EXPECT_FALSE(setup.dataField({{"BaudRate", "9600"}}));
    EXPECT_EQ(setup.dataField(setup.arguments({"19200", "7", "extra"})), "2074");
}

// The command a frame carries; each command's own data field leads back to it; which change nothing.
TEST(ReaderCommandFieldTest, CommandFromTypeAndDataField)
{
    const std::tuple<const char*, std::string, const char*> rows[] = {
        {"S", "1001000505001021", "SetupBase"},
        {"P", "1", "GetSetupBase"},
        {"S", "410000000042", "CreaBadge"},
        {"S", "42", "EliminaBadge"},
        {"S", "430000000000", "CancellaWL"},
        {"S", "50<0000012345", "SetIndirizzo"},
        {"P", "5", "GetMatricolaCorrente"},
        {"P", "70000000042", "VerificaBadge"},
        {"P", "\x06", "SendACK"},
        {"S", "\x06", ""},
        {"S", "44", ""},
        {"P", "", ""},
    };
    for (const auto& [type, data, name] : rows) {
        const ReaderCommand* command = ReaderCommand::carriedBy(type, data);
        EXPECT_STREQ(command ? command->name : "", name) << type << " " << data;
    }
    std::string unchanging;
    for (const ReaderCommand& command : ReaderCommand::all()) {
        Arguments any;
        for (const std::string input : command.inputs)
            any[input] = input == "BaudRate" ? "9600" : "1";
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
