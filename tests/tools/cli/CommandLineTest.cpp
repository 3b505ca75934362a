#include "ByteText.h"
#include "CommandLine.h"

#include <gtest/gtest.h>

namespace lettore {
namespace {

TEST(CommandLineTest, OptionsAndArguments)
{
    Invocation inv = CommandLine::parse({"--port", "3", "--baud", "19200", "--term", "256", "--trace", "CreaBadge", "0000000042"});
    EXPECT_EQ(inv.portNumber, 3);
    EXPECT_EQ(inv.device, "");
    EXPECT_EQ(inv.args, std::vector<std::string>{"0000000042"});

    inv = CommandLine::parse({"GetVersioneFirmware", "--port=/tmp/line", "--term=-1"});
    EXPECT_FALSE(inv.portNumber);
    EXPECT_EQ(inv.device, "/tmp/line");
    EXPECT_EQ(inv.term, -1);

    // Arguments that look like negative numbers, or follow "--", are arguments.
    inv = CommandLine::parse({"SetupSeriale", "9600", "-1"});
    EXPECT_EQ(inv.args, (std::vector<std::string>{"9600", "-1"}));
    inv = CommandLine::parse({"CreaBadge", "--", "--trace"});
    EXPECT_FALSE(inv.trace);
    EXPECT_EQ(inv.args, std::vector<std::string>{"--trace"});
    EXPECT_TRUE(CommandLine::parse({"--help"}).help);
}

TEST(CommandLineTest, UsageErrors)
{
    const struct {
        const char* name;
        std::vector<std::string> args;
    } rows[] = {
        {"no command", {}},
        {"unknown command", {"Frobnicate"}},
        {"term above 16 bits", {"--term", "32768", "GetSetupBase"}},
        {"term below 16 bits", {"--term", "-32769", "GetSetupBase"}},
        {"term not numeric", {"--term", "abc", "GetSetupBase"}},
        {"term with trailing text", {"--term", "12x", "GetSetupBase"}},
        {"term empty", {"--term=", "GetSetupBase"}},
        {"term without value", {"GetSetupBase", "--term"}},
        {"port number beyond 16 bits", {"--port", "99999", "GetSetupBase"}},
        {"port empty", {"--port", "", "GetSetupBase"}},
        {"baud zero", {"--baud", "0", "GetSetupBase"}},
        {"unknown option", {"--verbose", "GetSetupBase"}},
        {"flag with value", {"--trace=1", "GetSetupBase"}},
        {"too few arguments", {"SetupBase", "0001", "1", "050", "100", "0"}},
        {"too many arguments", {"CancellaWL", "x"}},
        {"new address above 16 bits", {"SetupSeriale", "9600", "40000"}},
        {"SetIndirizzo address above 255", {"SetIndirizzo", "256", "0000000001"}},
        {"SetIndirizzo address negative", {"SetIndirizzo", "-1", "0000000001"}},
        {"range bound negative", {"InserisciBadge", "-1", "5"}},
        {"range bound above 32767", {"InserisciBadge", "0", "32768"}},
        {"ack on a command without it", {"GetMatricolaNext", "--ack"}},
        {"dialect on a command without it", {"GetSetupBase", "--dialect", "Zem"}},
        {"unknown dialect", {"raw", "P", "2", "--dialect", "Modbus"}},
        {"bad escape", {"raw", "P", "\\x6"}},
    };
    for (const auto& row : rows)
        EXPECT_THROW(CommandLine::parse(row.args), UsageError) << row.name;
}

// Control characters, DEL, bytes above 127 and the backslash itself are
// escaped; the printable rest stays as it is.
TEST(ByteTextTest, EscapesRoundTripAndHex)
{
    const std::string bytes("\x02\x30\x21\x00\x7F\xFF\\", 7);
    EXPECT_EQ(ByteText::escape(bytes), "\\x020!\\x00\\x7F\\xFF\\x5C");
    EXPECT_EQ(ByteText::unescape(ByteText::escape(bytes)), bytes);
    EXPECT_EQ(ByteText::hex(bytes), "02 30 21 00 7F FF 5C");
    EXPECT_EQ(ByteText::unescape("\\\\x41\\x4a"), "\\x41J");
    for (const char* bad : {"\\", "\\x", "\\x4", "\\xG1", "\\n"})
        EXPECT_FALSE(ByteText::unescape(bad)) << bad;
}

}  // namespace
}  // namespace lettore
