#include "ArgumentChecks.h"

#include <gtest/gtest.h>

namespace lettore {
namespace {

const CommandEntry& entry(const char* name) { return *CommandTable::find(name); }

// Each refusal names what is allowed and quotes what was given, escaped and cut short; "" is accepted.
TEST(ArgumentChecksTest, RefusalsNameWhatIsAllowed)
{
    std::set<std::string, std::less<>> given{"--term"};
    const std::string pasted = "\x1b[2J" + std::string(1000000, '9');
    const std::pair<std::string, std::string> rows[] = {
        // refusal, expected
        {ArgumentChecks::integer("--term", "257", 0, 256), "--term must be an integer from 0 to 256, not \"257\""},
        {ArgumentChecks::integer("--term", "256", 0, 256), ""},
        {ArgumentChecks::integer("MS", pasted, 0, 5),
         "MS must be an integer from 0 to 5, not \"\\x1B[2J" + std::string(36, '9') + "...\""},
        {ArgumentChecks::baudRate("--baud", "115200"),
         "--baud must be one of 1200 2400 4800 9600 19200 38400, not \"115200\""},
        {ArgumentChecks::baudRate("--baud", "38400"), ""},
        {ArgumentChecks::arguments(entry("InserisciBadge"), {"5", "2"}), "LAST (2) must not be below FIRST (5)"},
        {ArgumentChecks::arguments(entry("InserisciBadge"), {"5", "5"}), ""},
        {ArgumentChecks::arguments(entry("InserisciBadge"), {"0", "32768"}),
         "LAST must be an integer from 0 to 32767, not \"32768\""},
        {ArgumentChecks::arguments(entry("InserisciBadge"), {"5"}), "InserisciBadge takes 2 argument(s), not 1"},
        {ArgumentChecks::arguments(entry("SetupSeriale"), {"9600", "256"}),
         "NEWADDR must be an integer from 0 to 255, not \"256\""},
        {ArgumentChecks::arguments(entry("SetupSeriale"), {"57600", "1"}),
         "BAUD must be one of 1200 2400 4800 9600 19200 38400, not \"57600\""},
        {ArgumentChecks::arguments(entry("raw"), {"P", "\\x6"}), "DATA: a backslash must start \\xHH or \\\\"},
        {ArgumentChecks::arguments(entry("raw"), {"P", "\\x06\\\\"}), ""},
        {ArgumentChecks::terminal(entry("GetVersioneFirmware"), 256),
         "terminal 256 reaches every reader at once and none answers: GetVersioneFirmware asks one reader, 0 to 255"},
        {ArgumentChecks::terminal(entry("GetVersioneFirmware"), 255), ""},
        {ArgumentChecks::repeated("--term", given), "--term is given more than once"},
        {ArgumentChecks::repeated("--baud", given), ""},
        {ArgumentChecks::repeated("--baud", given), "--baud is given more than once"},
    };
    for (const auto& [refusal, expected] : rows)
        EXPECT_EQ(refusal, expected);
}

// Every command whose result is read out of the answer is refused at 256; those that set something may go to all.
TEST(ArgumentChecksTest, OnlyQueriesAreRefusedTheBroadcastAddress)
{
    std::string refused;
    for (const CommandEntry& command : CommandTable::all())
        refused += ArgumentChecks::terminal(command, 256).empty()
                       ? ""
                       : std::string(refused.empty() ? "" : " ") + command.name;
    EXPECT_EQ(refused, "VerificaBadge GetSetupBase GetVersioneFirmware GetTransazione GetMatricolaPrima "
                       "GetMatricolaCorrente GetMatricolaNext");
}

}  // namespace
}  // namespace lettore
