#include "CommandHelp.h"
#include "CommandLine.h"
#include "CommandNames.h"
#include "LoneAnswer.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

namespace lettore {
namespace {

// Every command's help names its arguments and has an example that parses as that command.
TEST(CommandNamesTest, EveryHelpHasAWorkingExample)
{
    for (const CommandEntry* entry : CommandNames::all()) {
        const std::string text = CommandHelp::text(*entry);
        for (const auto& input : entry->inputs)
            EXPECT_NE(text.find(std::string("  ") + input.name + ": "), std::string::npos) << entry->name;
        const size_t start = text.find("Example:\n  lettore ");
        ASSERT_NE(start, std::string::npos) << entry->name;
        std::istringstream example(text.substr(start + 19, text.find('\n', start + 19) - start - 19));
        EXPECT_EQ(CommandLine::parse({std::istream_iterator<std::string>(example), {}}).command, entry);
    }
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
