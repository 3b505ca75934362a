// One run of the command line on a simulated line of virtual readers, the clock moved by the line's waits.
#include "CliSession.h"
#include "FrameSplitter.h"
#include "PortNaming.h"
#include "ReaderRig.h"
#include "ReaderSettings.h"
#include "TrafficCapture.h"
#include "VirtualReader.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

#include <fstream>
#include <map>
#include <sstream>

namespace lettore::test {
namespace {

const std::string Dropped = "lettore: the line dropped or the device was removed\n";

// Readers 1 (9600 baud), 3 (1200), 4 (19200) and 2 (1200, answering 250 ms late) on the line; a reader hears only
// frames at its rate and answers 10 ms after the frame, plus its delay in lateMs.
class CliSessionTest : public ReaderRig {
protected:
    CliSessionTest()
    {
        for (const char* reader : {"1", "3:baud=1200", "4:baud=19200", "2:baud=1200"})
            readers.emplace_back(sim::ReaderSettings::parse(reader));
        port.onWrite = [this](const std::string& bytes) {
            for (const std::string& frame : splitter.feed(bytes))
                for (sim::VirtualReader& reader : readers) {
                    const auto request = sim::Request::heardBy(frame, reader.model(), reader.address());
                    if (!request || reader.baudRate() != std::stoi(port.settings()))
                        continue;
                    const int address = reader.address();
                    const std::string answer = request->bccOk ? reader.handle(*request) : "\x15";
                    if (!answer.empty())
                        port.feedAt(clock.nowMs() + 10 + lateMs[address], answer);
                }
        };
    }

    // Standard output and standard error of a run, "| " between them, then " => STATUS".
    std::string outcome(const std::vector<std::string>& args, const ConnectionSettings& stored = {})
    {
        const Invocation invocation = CommandLine::parse(args);
        std::ostringstream out, err;
        TrafficCapture traffic;
        const int status
            = CliSession(lettori, clock, invocation, stored, PortNaming(), out, err, nullptr, outputFailed, &traffic)
                  .run();
        return out.str() + "| " + err.str() + " => " + std::to_string(status);
    }

    sim::FrameSplitter splitter;
    std::vector<sim::VirtualReader> readers;
    std::map<int, uint32_t> lateMs{{2, 250}};
    std::function<bool()> outputFailed = [] { return false; };
};

// What a run prints and its status: a silent reader names the port used, the lone answer and --strict, the port,
// rate and terminal from the command line or else the stored settings, and the scan's report.
TEST_F(CliSessionTest, RunsPrintTheirResultAndStatus)
{
    const std::string hint = "is the port Seriale.cfg or the default gives; choose the reader's port with --port "
                             "N|DEVICE (lettore ports lists them)\n";
    const struct {
        const char* name;
        std::vector<std::string> args;
        std::string expected;
        ConnectionSettings stored = {};
    } rows[] = {
        {"silence",
         {"--term", "7", "--timeout", "100", "GetVersioneFirmware"},
         "esito 1\noutVERSION N\n| lettore: no answer: port 1 (/dev/ttyS0) " + hint + " => 1"},
        {"given port",
         {"--port", "1", "--term", "7", "--timeout", "100", "GetVersioneFirmware"},
         "esito 1\noutVERSION N\n|  => 1"},
        {"json",
         {"--json", "--term", "1", "GetVersioneFirmware"},
         R"({"command":"GetVersioneFirmware","esito":0,"values":{"outVERSION":"SIM LETTORE 1.00"}})"
         "\n|  => 0"},
        {"lone NAK", {"--term", "1", "EliminaBadge", "0000000001"}, "esito 0\nrisposta NAK\n|  => 0"},
        {"strict", {"--strict", "--term", "1", "EliminaBadge", "0000000001"}, "esito 0\nrisposta NAK\n|  => 2"},
        {"missing port",
         {"--port", "8", "GetVersioneFirmware"},
         "| lettore: cannot open port 8 (/dev/ttyS7): Invalid port number\n => 74"},
        {"stored port",
         {"GetVersioneFirmware"},
         "| lettore: cannot open port 8 (/dev/ttyS7): Invalid port number\nlettore: port 8 (/dev/ttyS7) " + hint
             + " => 74",
         {8}},
        {"stored rate and terminal", {"VerificaBadge", "0000000042"}, "esito 0\noutESISTE 0\n|  => 0", {1, "19200", 4}},
        {"scan",
         {"scan", "--to", "5", "--timeout", "100"},
         "trovato 3 1200 SIM LETTORE 1.00\ntrovato 1 9600 SIM LETTORE 1.00\n"
         "trovato 4 19200 SIM LETTORE 1.00\ntrovati 3\n|  => 0"},
        {"scan json",
         {"--json", "scan", "--from", "4", "--to", "5", "--baud", "19200"},
         R"({"command":"scan","readers":[{"address":4,"baud":19200,"firmware":"SIM LETTORE 1.00"}],"stopped":false})"
         "\n|  => 0"},
        {"scan finding none", {"scan", "--from", "5", "--to", "5", "--baud", "9600"}, "trovati 0\n|  => 1"},
    };
    port.markMissing(8);
    for (const auto& row : rows) {
        EXPECT_EQ(outcome(row.args, row.stored), row.expected) << row.name;
        EXPECT_FALSE(port.open()) << row.name << ": the port is closed at the end";
    }
}

// Reader 2 answers after the time-out: the quiet gap after it drops code 0's answer, not taken for code 1's, unless
// --quiet-gap 0 lets it through.
TEST_F(CliSessionTest, QuietGapDropsALateAnswer)
{
    lateMs[2] = 5300;
    const std::vector<std::string> range{"--port", "1", "--baud", "1200", "--term", "2", "InserisciBadge", "0", "1"};
    EXPECT_EQ(outcome(range), "esito 1\naccettati 0\nTxtRisposta 0000000001 \ninviati 2\n|  => 1");
    std::vector<std::string> noGap = range;
    noGap.insert(noGap.end(), {"--quiet-gap", "0"});
    EXPECT_EQ(outcome(noGap), "esito 1\naccettati 1\nTxtRisposta 0000000001 \ninviati 2\nstato 0 1\n|  => 1");
}

// A file the run writes that fails stops a range after the exchange under way, and a scan before its next poll.
TEST_F(CliSessionTest, AFailedOutputStopsALongRun)
{
    outputFailed = [this] { return !port.writes().empty(); };
    EXPECT_EQ(outcome({"--term", "1", "InserisciBadge", "0", "2000"}),
              "esito 0\naccettati 1\nTxtRisposta 0000000000 0\ninviati 1\nstato 0 1\n|  => 128");
    EXPECT_EQ(outcome({"scan", "--to", "5"}), "trovati 0\n|  => 128");
}

// A line that drops while awaiting an answer is a port failure, not a time-out.
TEST_F(CliSessionTest, ALineDropAwaitingAnAnswerIsAPortFailure)
{
    port.failAlways("wait", PortError(PortFailure::Other, 0, LineDroppedText));
    EXPECT_EQ(outcome({"--term", "1", "GetVersioneFirmware"}), "esito 3\noutVERSION N\n| " + Dropped + " => 74");
}

// Listening prints each reading as it comes; a line that drops then ends it as a port failure.
TEST_F(CliSessionTest, ALineDropWhileListeningIsAPortFailure)
{
    QTimer::singleShot(0, [this] {
        port.feed("\x02\x30\x25"
                  "10000000042\x03\x23");  // reader 5's reading of 0000000042
        port.notify();
        port.dropLine(PortError(PortFailure::Other, 0, LineDroppedText));
    });
    const std::string run = outcome({"listen"});
    EXPECT_TRUE(run.starts_with("lettura 5 0000000042 status 1 ")) << run;
    EXPECT_TRUE(run.ends_with("| " + Dropped + " => 74")) << run;
}

// collaudo, failing or passing, leaves the reader as it found it; with --scan each reader found is tested at its own
// rate, with its reports and a summary page.
TEST_F(CliSessionTest, CollaudoLeavesTheReaderAsFound)
{
    QTemporaryDir folder;
    const std::string plan = folder.filePath("piano.json").toStdString();
    std::ofstream(plan) << R"({"name": "prova", "steps": [
      {"id": "wl_aggiunto", "title": "Aggiunto", "command": "CreaBadge", "args": {"CODICE": "0000054321"},
       "undo": {"command": "EliminaBadge", "args": {"CODICE": "0000054321"}}},
      {"id": "wl_assente", "title": "Assente", "command": "VerificaBadge", "args": {"CODICE": "0000054321"},
       "expect": {"fields": {"outESISTE": "0"}}}]})";
    QDir reports(folder.filePath("rapporti"));
    const auto run = [&](std::vector<std::string> args) {
        reports.removeRecursively();
        args.insert(args.begin(), {"collaudo", "--report", folder.filePath("rapporti").toStdString()});
        const std::string before = readers[0].state();
        const std::string result = outcome(args);
        EXPECT_EQ(readers[0].state(), before) << result;
        return result.substr(result.rfind(" => "));
    };
    EXPECT_EQ(run({"--term", "1", "--plan", plan}), " => 1");
    EXPECT_EQ(run({"--term", "1", "--alone"}), " => 0");
    EXPECT_EQ(run({"--scan", "0..3"}), " => 0");
    for (const char* reader : {"collaudo-001-*", "collaudo-002-*", "collaudo-003-*", "*-riepilogo.html"})
        EXPECT_EQ(reports.entryList({reader}).size(), reader[0] == '*' ? 1 : 3) << reader;
}

}  // namespace
}  // namespace lettore::test
