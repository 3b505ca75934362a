#include "CommandHelp.h"
#include "CommandLine.h"
#include "CommandNames.h"
#include "LoneAnswer.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

namespace lettore {
namespace {

// Names are found in any case; a misspelt one gets the nearest name, an
// unrelated word none. A usage error about a command carries its usage
// line, one about an option before the command does not.
TEST(CommandNamesTest, SuggestionsAndUsageLines)
{
    EXPECT_EQ(CommandLine::parse({"getversionefirmware"}).command->name, std::string("GetVersioneFirmware"));
    EXPECT_EQ(CommandLine::parse({"help", "SCAN"}).helpTopic, &CommandNames::scan());
    const struct {
        std::vector<std::string> args;
        const char* message;  // "" where only the usage line matters
        const char* usage;
    } rows[] = {
        {{"GetVersioneFirmwar"}, "unknown command \"GetVersioneFirmwar\" (did you mean GetVersioneFirmware?)", ""},
        {{"scna"}, "unknown command \"scna\" (did you mean scan?)", ""},
        {{"Frobnicate"}, "unknown command \"Frobnicate\" (try --help)", ""},
        {{"help", "crea-badge"}, "unknown command \"crea-badge\" (did you mean CreaBadge?)", ""},
        {{"CreaBadge"}, "", "Usage: lettore [OPTIONS] CreaBadge CODE"},
        {{"GetSetupBase", "--from", "3"}, "--from applies only to scan", "Usage: lettore [OPTIONS] GetSetupBase"},
        {{"listen", "--strict"}, "", "Usage: lettore [OPTIONS] listen [--ack]"},
        {{"scan", "--from", "9", "--to", "3"}, "",
         "Usage: lettore [OPTIONS] scan [--from A] [--to B] [--baud RATE|all] [--timeout MS]"},
        {{"--timeout", "0", "CancellaWL"}, "--timeout must be an integer from 1 to 60000, not \"0\"", ""},
        {{"--to", "256", "scan"}, "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args.front());
        try {
            CommandLine::parse(row.args);
            ADD_FAILURE() << "accepted";
        } catch (const UsageError& error) {
            if (*row.message)
                EXPECT_EQ(std::string(error.what()), row.message);
            EXPECT_EQ(error.usage(), row.usage);
        }
    }
}

// Every command's help names its arguments and has an example that
// parses as that command.
TEST(CommandNamesTest, EveryHelpHasAWorkingExample)
{
    for (const CommandEntry* entry : CommandNames::all()) {
        SCOPED_TRACE(entry->name);
        const std::string text = CommandHelp::text(*entry);
        for (const auto& input : entry->inputs)
            EXPECT_NE(text.find(std::string("  ") + input.name + ": "), std::string::npos);
        const size_t start = text.find("Example:\n  lettore ");
        ASSERT_NE(start, std::string::npos);
        std::istringstream example(text.substr(start + 19, text.find('\n', start + 19) - start - 19));
        const std::vector<std::string> args{std::istream_iterator<std::string>(example), {}};
        EXPECT_EQ(CommandLine::parse(args).command, entry);
    }
}

// scan polls 0..255 at every rate unless told otherwise.
TEST(CommandNamesTest, ScanOptions)
{
    const Invocation all = CommandLine::parse({"scan", "--baud", "all"});
    EXPECT_EQ(std::make_pair(all.scanFrom, all.scanTo), std::make_pair(0, 255));
    EXPECT_EQ(all.scanRates, (std::vector<std::string>{"1200", "2400", "4800", "9600", "19200", "38400"}));
    const Invocation one = CommandLine::parse({"--from=7", "--to", "7", "--baud", "19200", "scan", "--timeout", "80"});
    EXPECT_EQ(std::make_pair(one.scanFrom, one.scanTo), std::make_pair(7, 7));
    EXPECT_EQ(one.scanRates, std::vector<std::string>{"19200"});
    EXPECT_FALSE(one.baud);
    EXPECT_EQ(one.timeoutMs, 80u);
}

// A lone NAK is always told; a lone ACK only where data was asked for.
TEST(LoneAnswerTest, TellsRefusalsAndBareAcknowledgements)
{
    const CommandResult none{0, {}};
    const CommandResult version{0, {{"outVERSION", "N"}}};
    const struct {
        std::vector<std::string> received;
        const char* command;
        const CommandResult& result;
        const char* shown;
    } rows[] = {
        {{"\x15"}, "SetupBase", none, "NAK"},
        {{"\x06"}, "GetVersioneFirmware", version, "ACK"},
        {{"\x06"}, "SetupBase", none, ""},
        {{"\x06"}, "raw", version, ""},
        {{"\x06", "\x15", "\x02\x30\x20\x31\x03\x20"}, "GetVersioneFirmware", version, "NAK"},
        {{"\x02\x15\x03\x16", ""}, "GetVersioneFirmware", version, ""},
    };
    for (const auto& row : rows) {
        LoneAnswer lone;
        for (const std::string& text : row.received)
            lone.ComRX(text);
        EXPECT_EQ(lone.shown(row.command, row.result), row.shown) << row.command;
    }
}

}  // namespace
}  // namespace lettore
