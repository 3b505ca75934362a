#include "CommandLine.h"
#include "ResultText.h"

#include <gtest/gtest.h>

namespace lettore {
namespace {

TEST(CommandLineTest, OptionsAndArguments)
{
    Invocation inv = CommandLine::parse({"--port", "3", "--baud", "19200", "--term", "256", "--trace", "CreaBadge", "0000000042"});
    EXPECT_EQ(inv.portNumber, 3);
    EXPECT_EQ(inv.device, "");
    EXPECT_EQ(inv.term, 256);
    EXPECT_EQ(inv.args, std::vector<std::string>{"0000000042"});

    inv = CommandLine::parse({"GetVersioneFirmware", "--port=/tmp/line", "--term=0"});
    EXPECT_FALSE(inv.portNumber);
    EXPECT_EQ(inv.device, "/tmp/line");
    EXPECT_EQ(inv.term, 0);

    // Arguments that follow "--" are arguments.
    inv = CommandLine::parse({"CreaBadge", "--", "--trace"});
    EXPECT_FALSE(inv.trace);
    EXPECT_EQ(inv.args, std::vector<std::string>{"--trace"});
    EXPECT_TRUE(CommandLine::parse({"--help"}).help);
    EXPECT_TRUE(CommandLine::parse({"listen", "--ack"}).listen);
    EXPECT_EQ(CommandLine::parse({"InserisciBadge", "0", "1", "--quiet-gap=0"}).quietGapMs, 0u);
}

// Each refusal names what is allowed, so the user sees the range; a value
// that would reach another reader (the address byte keeps only the low
// bits) is refused rather than sent.
TEST(CommandLineTest, UsageErrors)
{
    const struct {
        const char* name;
        std::vector<std::string> args;
        const char* message;  // "" where only the refusal matters
    } rows[] = {
        {"no command", {}, ""},
        {"unknown command", {"Frobnicate"}, ""},
        // What the user typed is echoed on one line, control bytes escaped.
        {"unknown command with a line break", {"Get\nVersione"}, "unknown command \"Get\\x0AVersione\" (try --help)"},
        {"option with a line break", {"--a\rb", "CancellaWL"}, "unknown option --a\\x0Db"},
        {"term with an escape byte", {"--term", "\x1b[2J", "CancellaWL"},
         "--term must be an integer from 0 to 256, not \"\\x1B[2J\""},
        {"term 257", {"--term", "257", "CancellaWL"}, "--term must be an integer from 0 to 256, not \"257\""},
        {"term -1", {"--term", "-1", "CancellaWL"}, "--term must be an integer from 0 to 256, not \"-1\""},
        {"term not numeric", {"--term", "abc", "GetSetupBase"}, ""},
        {"term with trailing text", {"--term", "12x", "GetSetupBase"}, ""},
        {"term empty", {"--term=", "GetSetupBase"}, ""},
        {"term without value", {"GetSetupBase", "--term"}, ""},
        {"port number beyond 16 bits", {"--port", "99999", "GetSetupBase"}, ""},
        {"port empty", {"--port", "", "GetSetupBase"}, ""},
        {"baud zero", {"--baud", "0", "GetSetupBase"}, ""},
        {"unknown option", {"--verbose", "GetSetupBase"}, ""},
        {"flag with value", {"--trace=1", "GetSetupBase"}, ""},
        {"too few arguments", {"SetupBase", "0001", "1", "050", "100", "0"}, ""},
        {"too many arguments", {"CancellaWL", "x"}, ""},
        {"new address 256", {"SetupSeriale", "9600", "256"}, "NEWADDR must be an integer from 0 to 255, not \"256\""},
        {"new address 300", {"SetupSeriale", "9600", "300"}, "NEWADDR must be an integer from 0 to 255, not \"300\""},
        {"new address -1", {"SetupSeriale", "9600", "-1"}, "NEWADDR must be an integer from 0 to 255, not \"-1\""},
        {"unknown baud rate", {"SetupSeriale", "57600", "1"},
         "BAUD must be one of 1200 2400 4800 9600 19200 38400, not \"57600\""},
        {"baud rate with a blank", {"SetupSeriale", "9600 ", "1"}, ""},
        {"SetIndirizzo address 256", {"SetIndirizzo", "256", "0000000001"},
         "ADDR must be an integer from 0 to 255, not \"256\""},
        {"SetIndirizzo address negative", {"SetIndirizzo", "-1", "0000000001"}, ""},
        {"range bound negative", {"InserisciBadge", "-1", "5"}, "FIRST must be an integer from 0 to 32767, not \"-1\""},
        {"range bound above 32767", {"InserisciBadge", "0", "32768"}, "LAST must be an integer from 0 to 32767, not \"32768\""},
        {"ack on a command without it", {"GetMatricolaNext", "--ack"}, ""},
        {"dialect on a command without it", {"GetSetupBase", "--dialect", "Zem"}, ""},
        {"unknown dialect", {"raw", "P", "2", "--dialect", "Modbus"}, ""},
        {"bad escape", {"raw", "P", "\\x6"}, ""},
        {"quiet gap on another command", {"CancellaWL", "--quiet-gap", "100"}, "--quiet-gap does not apply to CancellaWL"},
        {"quiet gap above the limit", {"InserisciBadge", "0", "1", "--quiet-gap", "5001"},
         "--quiet-gap must be an integer from 0 to 5000, not \"5001\""},
        {"quiet gap with a line break", {"InserisciBadge", "0", "1", "--quiet-gap", "1\n"},
         "--quiet-gap must be an integer from 0 to 5000, not \"1\\x0A\""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            CommandLine::parse(row.args);
            ADD_FAILURE() << "accepted";
        } catch (const UsageError& error) {
            if (*row.message)
                EXPECT_EQ(std::string(error.what()), row.message);
        }
    }
    // The edges themselves are accepted.
    EXPECT_EQ(CommandLine::parse({"SetupSeriale", "38400", "255"}).args, (std::vector<std::string>{"38400", "255"}));
    EXPECT_EQ(CommandLine::parse({"InserisciBadge", "0", "32767"}).args, (std::vector<std::string>{"0", "32767"}));
}

// Values are printed as "NAME VALUE", bytes outside printable ASCII
// escaped; a whole frame in hex.
TEST(ResultTextTest, EscapesValuesAndHexFrames)
{
    const CommandResult result{2, {{"outVERSION", "V1\x01\\ x"}, {"Risposta", "\x02\x30\x21", true}}};
    EXPECT_EQ(ResultText::format(result), "esito 2\noutVERSION V1\\x01\\x5C x\nRisposta 02 30 21\n");
}

}  // namespace
}  // namespace lettore
