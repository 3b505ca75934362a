#include "CommandLine.h"
#include "CommandHelp.h"
#include "CommandNames.h"
#include "ReaderRig.h"
#include "ReaderScan.h"
#include "ReadingListener.h"
#include "ResultText.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

namespace lettore {
namespace {

// A scan's poll waits for the rate's answer or the chosen limit, plus the round trip of a device server's connection.
TEST(ReaderScanTest, PollTimeLimit)
{
    const struct {
        int baud;
        std::optional<uint32_t> chosen, roundTrip;
        uint32_t expected;
    } rows[] = {
        {9600, {}, {}, 132},  // 100 + 31.25 ms rounded up
        {1200, {}, 0, 350},  {9600, {}, 600, 732}, {19200, 250, 600, 850}, {19200, 250, {}, 250},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ReaderScan::pollTimeoutMs(row.baud, row.chosen, row.roundTrip), row.expected) << row.baud;
}

TEST(CommandLineTest, OptionsAndArguments)
{
    Invocation inv
        = CommandLine::parse({"--port", "3", "--baud", "19200", "--term", "256", "--trace", "CreaBadge", "0000000042"});
    EXPECT_EQ(std::tie(inv.portNumber, inv.device, inv.term),
              std::make_tuple(std::optional<int16_t>(3), std::string(), 256));
    EXPECT_EQ(inv.args, std::vector<std::string>{"0000000042"});
    inv = CommandLine::parse({"getversionefirmware", "--port=/tmp/line", "--term=0"});
    EXPECT_EQ(std::tie(inv.portNumber, inv.device, inv.term),
              std::make_tuple(std::optional<int16_t>(), std::string("/tmp/line"), 0));
    EXPECT_EQ(inv.command->name, std::string("GetVersioneFirmware"));
    inv = CommandLine::parse({"CreaBadge", "--", "--trace"});  // what follows "--" is arguments
    EXPECT_FALSE(inv.trace);
    EXPECT_EQ(inv.args, std::vector<std::string>{"--trace"});
    EXPECT_TRUE(CommandLine::parse({"--help"}).help);
    EXPECT_EQ(CommandLine::parse({"help", "SCAN"}).helpTopic, &CommandNames::scan());
    EXPECT_TRUE(CommandLine::parse({"listen", "--ack"}).listen);
    EXPECT_EQ(CommandLine::parse({"InserisciBadge", "0", "1", "--quiet-gap=0"}).quietGapMs, 0u);
    EXPECT_NO_THROW(CommandLine::checkTerminal(CommandLine::parse({"--term=256", "CreaBadge", "x"}), 0));
    // scan polls 0..255 at every rate unless told otherwise.
    const Invocation all = CommandLine::parse({"scan", "--baud", "all"});
    EXPECT_EQ(std::tie(all.scanFrom, all.scanTo), std::make_tuple(0, 255));
    EXPECT_EQ(all.scanRates, (std::vector<std::string>{"1200", "2400", "4800", "9600", "19200", "38400"}));
    const Invocation one = CommandLine::parse({"--from=7", "--to", "7", "--baud", "19200", "scan", "--timeout", "80"});
    EXPECT_EQ(std::tie(one.scanFrom, one.scanTo, one.timeoutMs), std::make_tuple(7, 7, std::optional<uint32_t>(80)));
    EXPECT_EQ(one.scanRates, std::vector<std::string>{"19200"});
    EXPECT_FALSE(one.baud);
    const Invocation enrol = CommandLine::parse({"enrol", "l.csv", "--remove-others", "--range", "40-0000000042"});
    EXPECT_EQ(std::tie(enrol.args, enrol.removeOthers, enrol.range->first, enrol.range->last),
              std::make_tuple(std::vector<std::string>{"l.csv"}, true, 40u, 42u));
    EXPECT_EQ(CommandLine::parse({"transactions", "--out=t.csv"}).out, "t.csv");
}

// Each refusal names what is allowed, what was typed echoed on one line with control bytes escaped, a misspelt name
// the nearest one (the shared checks' words are ArgumentChecksTest's). A refusal about a command carries its usage
// line, one about an option before the command does not.
TEST(CommandLineTest, UsageErrors)
{
    const struct {
        std::vector<std::string> args;
        const char* message = "";  // "" where only the refusal matters
        const char* usage = nullptr;  // not checked when null
        int16_t stored = 0;  // the terminal of Seriale.cfg
    } rows[] = {
        {{"Get\nVersione"}, "unknown command \"Get\\x0AVersione\" (try --help)"},
        {{"GetVersioneFirmwar"}, "unknown command \"GetVersioneFirmwar\" (did you mean GetVersioneFirmware?)", ""},
        {{"scna"}, "unknown command \"scna\" (did you mean scan?)"},
        {{"help", "crea-badge"}, "unknown command \"crea-badge\" (did you mean CreaBadge?)"},
        {{"--a\rb", "CancellaWL"}, "unknown option --a\\x0Db"},
        {{"--term", "-1", "CancellaWL"}, "--term must be an integer from 0 to 256, not \"-1\""},
        {{"GetSetupBase", "--term"}},
        {{"--port", "99999", "GetSetupBase"}},
        {{"--port", "", "GetSetupBase"}},
        {{"--baud", "0", "GetSetupBase"}},
        {{"--port", "tcp://host", "GetSetupBase"},
         "--port address must be tcp://HOST:PORT or rfc2217://HOST:PORT, not \"tcp://host\""},
        {{"--timeout", "0", "CancellaWL"}, "--timeout must be an integer from 1 to 60000, not \"0\"", ""},
        {{"CreaBadge"}, "", "Usage: lettore [OPTIONS] CreaBadge CODE"},
        {{"--to", "256", "scan"}, "", ""},
        {{"SetupBase", "0001", "1", "050", "100", "0"}},
        {{"CancellaWL", "x"}},
        {{}},
        {{"GetSetupBase", "--from", "3"}, "--from applies only to scan", "Usage: lettore [OPTIONS] GetSetupBase"},
        {{"listen", "--strict"}, "", "Usage: lettore [OPTIONS] listen [--ack]"},
        {{"scan", "--from", "9", "--to", "3"},
         "",
         "Usage: lettore [OPTIONS] scan [--from A] [--to B] [--baud RATE|all] [--timeout MS]"},
        {{"--term", "1", "collaudo", "--scan", "0..3"},
         "--term and --scan do not go together: one reader, or those a scan finds"},
        {{"collaudo", "--scan", "3..1"}, "--scan A..B must not end below its start"},
        {{"collaudo", "--scan", "0-3"}, "--scan takes two addresses from 0 to 255 as A..B, not \"0-3\""},
        {{"collaudo", "--term", "256"}, "collaudo tests one reader: --term must be from 0 to 255"},
        {{"GetSetupBase", "--alone"}, "--alone applies only to collaudo"},
        {{"collaudo", "--json"}},
        {{"SetupSeriale", "9600", "-1"}, "NEWADDR must be an integer from 0 to 255, not \"-1\""},
        {{"SetupSeriale", "9600 ", "1"}},
        {{"--trace=1", "GetSetupBase"}},
        {{"SetIndirizzo", "256", "0000000001"}, "ADDR must be an integer from 0 to 255, not \"256\""},
        {{"InserisciBadge", "-1", "5"}, "FIRST must be an integer from 0 to 32767, not \"-1\""},
        {{"GetMatricolaNext", "--ack"}},
        {{"GetSetupBase", "--dialect", "Zem"}},
        {{"raw", "P", "2", "--dialect", "Modbus"}},
        {{"CancellaWL", "--quiet-gap", "100"}, "--quiet-gap does not apply to CancellaWL"},
        {{"InserisciBadge", "0", "1", "--quiet-gap", "1\n"},
         "--quiet-gap must be an integer from 0 to 5000, not \"1\\x0A\""},
        {{"InserisciBadge", "5", "2"}, "", "Usage: lettore [OPTIONS] InserisciBadge FIRST LAST"},
        {{"--term", "1", "CancellaWL", "--term=2"}, "--term is given more than once"},
        {{"-h", "--help"}},
        {{"--term", "256", "GetVersioneFirmware"}, "", "Usage: lettore [OPTIONS] GetVersioneFirmware"},
        {{"VerificaBadge", "x"},
         "terminal 256 reaches every reader at once and none answers: VerificaBadge asks one "
         "reader, 0 to 255 (the terminal of Seriale.cfg; --term chooses another)",
         nullptr,
         256},
        {{"enrol"}, "", "Usage: lettore [OPTIONS] enrol FILE [--dry-run] [--remove-others --range FIRST-LAST]"},
        {{"enrol", "l.csv", "--remove-others"},
         "--remove-others needs --range FIRST-LAST, the codes to look for extra ones in"},
        {{"enrol", "l.csv", "--range", "1-3"}, "--range applies only with --remove-others"},
        {{"enrol", "l.csv", "--remove-others", "--range", "3-1"},
         "--range must be FIRST-LAST, codes of 1 to 10 digits at most 100000 apart, not \"3-1\""},
        {{"--term", "256", "enrol", "l.csv"},
         "terminal 256 reaches every reader at once and none answers: enrol asks one reader, 0 to 255"},
        {{"transactions"},
         "transactions needs --out FILE, the CSV file the records go to",
         "Usage: lettore [OPTIONS] transactions --out FILE"},
        {{"CancellaWL", "--dry-run"}, "--dry-run applies only to enrol"},
        {{"GetSetupBase", "--out", "x"}, "--out applies only to transactions"},
        {{"transactions", "--out", "t.csv", "--strict"}},
    };
    for (const auto& row : rows) {
        const std::string line = testing::PrintToString(row.args);
        try {
            CommandLine::checkTerminal(CommandLine::parse(row.args), row.stored);
            ADD_FAILURE() << "accepted: " << line;
        } catch (const UsageError& error) {
            if (*row.message)
                EXPECT_EQ(std::string(error.what()), row.message) << line;
            if (row.usage)
                EXPECT_EQ(error.usage(), row.usage) << line;
        }
    }
}

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

// Values print as "NAME VALUE", bytes outside printable ASCII escaped; a whole frame in hex.
TEST(ResultTextTest, EscapesValues)
{
    const CommandResult text{2, {{"outVERSION", "V1\x01\\ x"}, {"Risposta", "\x02\x30\x21", true}}};
    EXPECT_EQ(ResultText::format(text), "esito 2\noutVERSION V1\\x01\\x5C x\nRisposta 02 30 21\n");
}

using ReadingListenerTest = test::ReaderRig;

const std::string Reading = "\x02\x30\x25"
                            "10000000042\x03\x23";  // reader 5's reading of 0000000042

// A reading prints as "lettura ADDR CODE status S TIME", acknowledged when asked, else marked repeated when it comes
// again. Anything else, a reading whose address does not decode included, prints in hex, never acknowledged. A
// reading that cannot reach standard output is not confirmed: the reader keeps it.
TEST_F(ReadingListenerTest, PrintsEachTextAndAcknowledgesReadingsWhenAsked)
{
    std::string odd = Reading;
    odd[1] = '@';
    for (bool acknowledge : {false, true}) {
        std::ostringstream out;
        ReadingListener listener(lettori, out, acknowledge, [] { return std::string("T"); });
        port.clearRecord();
        for (const std::string& text : {Reading, ack(), std::string(), odd, Reading})
            listener.ComRX(text);
        EXPECT_EQ(out.str(), "lettura 5 0000000042 status 1 T\nComRX 06 T\nComRX  T\n"
                             "ComRX 02 40 25 31 30 30 30 30 30 30 30 30 34 32 03 23 T\n"
                                 + std::string(acknowledge ? "lettura 5 0000000042 status 1 T\n"
                                                           : "lettura 5 0000000042 status 1 T repeated\n"));
        EXPECT_EQ(writtenHex(), std::vector<std::string>(acknowledge ? 2 : 0, "02 30 25 06 03 12")) << acknowledge;
    }
    std::ostringstream closed;
    closed.setstate(std::ios::badbit);
    port.clearRecord();
    ReadingListener(lettori, closed, true).ComRX(Reading);
    EXPECT_EQ(writtenHex(), std::vector<std::string>{});
}

}  // namespace
}  // namespace lettore
