// `lettore` as a process against the virtual reader: what only a real line, signals, exit statuses and streams show;
// collaudo's changes put back however a run ends.
#include "LettoreProcess.h"
#include "PtyLine.h"
#include "ResourceSampler.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

namespace lettore::test {
namespace {

class LettoreEndToEndTest : public SimFolderTest {
protected:
    std::string outcome(const QStringList& args) { return outcomeOf(LETTORE_BIN, on(args)); }
};

bool waitFor(const std::function<bool()>& done) { return processEventsUntil(done, 5000); }

// Ctrl-C stops a range with the result so far (130); SIGHUP ends listening at once though noise keeps coming (129).
TEST_F(LettoreEndToEndTest, SignalsStopARangeAndListening)
{
    startSim({"--reader", "1", "--pace"});  // 1001 codes would take about 25 s
    PseudoTerminal terminal;  // progress goes to a terminal only
    QProcess range;
    range.setChildProcessModifier([fd = terminal.slaveFd()] { ::dup2(fd, STDERR_FILENO); });
    range.start(LETTORE_BIN, on({"--term", "1", "InserisciBadge", "0", "1000"}));
    std::string shown;  // what the terminal shows, read without blocking
    ::fcntl(terminal.masterFd(), F_SETFL, O_NONBLOCK);
    ASSERT_TRUE(waitFor([&] {
        char buffer[256];
        shown.append(buffer, std::max<ssize_t>(::read(terminal.masterFd(), buffer, sizeof buffer), 0));
        return shown.find("\r0000000000 0") != std::string::npos;
    })) << shown;
    ::kill(static_cast<pid_t>(range.processId()), SIGINT);
    EXPECT_EQ(exitOf(range), 130);
    const std::string out = range.readAllStandardOutput().toStdString();
    std::smatch sent;  // N codes sent and accepted, the last one N - 1
    ASSERT_TRUE(std::regex_match(
        out, sent, std::regex("esito 0\naccettati ([0-9]+)\nTxtRisposta ([0-9]{10}) 0\ninviati \\1\nstato 0 \\1\n")))
        << out;
    EXPECT_EQ(std::stoi(sent[2]) + 1, std::stoi(sent[1]));
    EXPECT_LT(std::stoi(sent[1]), 1001);

    PseudoTerminal line;
    QProcess listener;
    listener.start(LETTORE_BIN, {"--port", QString::fromStdString(line.slavePath()), "listen"});
    ASSERT_TRUE(listener.waitForStarted());
    // A lone ACK is a whole frame: the listener is ready.
    ASSERT_EQ(::write(line.masterFd(), "\x06", 1), 1);
    ASSERT_TRUE(listener.waitForReadyRead(5000));
    ASSERT_EQ(listener.readLine().left(9).toStdString(), "ComRX 06 ");
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(::write(line.masterFd(), "Z", 1), 1);
        listener.waitForFinished(50);
    }
    QElapsedTimer stopping;
    stopping.start();
    ::kill(static_cast<pid_t>(listener.processId()), SIGHUP);
    EXPECT_EQ(exitOf(listener, 6000), 129);
    EXPECT_LT(stopping.elapsed(), 500);
}

// listen --ack prints a multimaster reading; a line drop while awaiting an answer is a port failure, not a time-out;
// the trace times the command as the simulator heard it.
TEST_F(LettoreEndToEndTest, ListenTraceAndALineDrop)
{
    startSim({"--log", folder.filePath("sim.log"), "--reader", "5", "--multimaster", "--reader", "1:fault=silent"});
    QProcess listener;
    listener.start(LETTORE_BIN, on({"listen", "--ack"}));
    ASSERT_TRUE(listener.waitForStarted());
    sim->command("present 5 0000004242");  // repeated until acknowledged, so one reaches the listener
    ASSERT_TRUE(waitFor([&] { return listener.canReadLine(); }));
    EXPECT_EQ(listener.readLine().left(30).toStdString(), "lettura 5 0000004242 status 0 ");
    listener.terminate();  // the line is the next run's
    exitOf(listener);

    QProcess waiting;
    waiting.setReadChannel(QProcess::StandardError);
    waiting.start(LETTORE_BIN, on({"--term", "1", "--trace", "GetVersioneFirmware"}));
    QByteArray err;
    while (!err.contains("TX command") && waiting.waitForReadyRead(5000))
        err += waiting.readAllStandardError();
    std::string trace = err.toStdString();
    const std::string command = trace.substr(trace.find('['), trace.find(']') - trace.find('[') + 1);
    std::string heard;  // the simulator's log line of the command: the reader is silent
    ASSERT_TRUE(waitFor([&] {
        std::ifstream simLog(folder.filePath("sim.log").toStdString());
        for (std::string line; heard.empty() && std::getline(simLog, line);)
            heard = line.find(" RX 9600 " + command) != std::string::npos ? line : "";
        return !heard.empty();
    })) << command;
    const auto at = [](const std::string& line) {
        return QDateTime::fromString(QString::fromStdString(line.substr(0, 24)), Qt::ISODateWithMs);
    };
    EXPECT_LT(std::abs(at(heard).msecsTo(at(trace))), 200) << heard << "\n" << trace;
    sim->command("drop 300");
    EXPECT_EQ(exitOf(waiting, 3000), 74) << "a hang-up, not a time-out";
    trace += waiting.readAllStandardError().toStdString();
    EXPECT_NE(trace.find(" -- port error"), std::string::npos) << trace;
    EXPECT_TRUE(trace.ends_with(Dropped)) << trace;
}

// --capture: tshark with the shipped dissector filters by address and names each frame's direction and fields;
// a full disk fails the run. --stats counts the run per reader.
TEST_F(LettoreEndToEndTest, CaptureOpensInTsharkAndStatsCountTheRun)
{
    startSim({"--reader", "1", "--reader", "5"});
    const QString capture = folder.filePath("run.pcapng");
    const ProgramRun run
        = runProgram(LETTORE_BIN, on({"--term", "5", "--capture", capture, "--stats", "GetVersioneFirmware"}));
    EXPECT_EQ(run.out, Version);
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(
        std::regex_search(run.err, std::regex("\n5 +1 +1 +0 +0 +0 +0 +[0-9]+/[0-9.]+/[0-9]+/[0-9]+\nline: 0 noise")))
        << run.err;
    EXPECT_EQ(outcome({"--capture", "/dev/full", "--term", "5", "GetVersioneFirmware"}),
              Version + "| lettore: cannot write the capture to /dev/full: No space left on device\n => 74");
    if (!QFileInfo::exists("/usr/bin/tshark"))
        GTEST_SKIP() << "tshark is not installed";
    QProcess tshark;
    QStringList arguments{
        "-r",     capture, "-X",         "lua_script:" LETTORE_DISSECTOR, "-Y", "lettore.address == 5", "-T",
        "fields", "-E",    "separator=|"};
    for (const char* field : {"rtacser.eventtype", "lettore.dialect", "lettore.type", "lettore.command", "lettore.data",
                              "lettore.check_good"})
        arguments << "-e" << field;
    tshark.start("/usr/bin/tshark", arguments);
    ASSERT_TRUE(tshark.waitForFinished(30000));
    const QStringList lines = QString::fromLatin1(tshark.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << tshark.readAllStandardError().toStdString();
    EXPECT_EQ(lines[0].toStdString(), "0x01|Sibrant2|P|GetVersioneFirmware|2|1");
    EXPECT_EQ(lines[1].toStdString(), "0x02|Sibrant2|P||SIM LETTORE 1.00|1");
}

// A copy of lettore finds Seriale.cfg and COM<N> links beside it; a moved reader answers at its new address and rate;
// a closed or full standard output, a trace file on a full disk or that nobody reads fail the run.
TEST_F(LettoreEndToEndTest, PortsOptionsStoredSettingsAndStreams)
{
    startSim({"--reader", "1", "--reader", "4:baud=19200"});
    const QString lettore = folder.filePath("lettore");
    ASSERT_TRUE(QFile::copy(LETTORE_BIN, lettore));
    const std::string device = QFileInfo(link()).canonicalFilePath().toStdString();
    const std::string missing = folder.filePath("missing").toStdString();
    const std::pair<QStringList, std::string> rows[]
        = {{{"--port", QString::fromStdString(missing), "GetVersioneFirmware"},
            "| lettore: cannot open " + missing + ": No such file or directory\n => 74"},
           {{"--term", "1", "SetupSeriale", "19200", "7"}, "esito 0\n|  => 0"},
           {{"--term", "7", "--baud", "19200", "GetVersioneFirmware"}, Version + "|  => 0"},
           {{"CreaBadge"},
            "| lettore: CreaBadge takes 1 argument(s), not 0\nUsage: lettore [OPTIONS] CreaBadge CODE\n => 64"}};
    for (const auto& [arguments, expected] : rows)
        EXPECT_EQ(outcomeOf(lettore, arguments), expected);
    EXPECT_EQ(runProgram(LETTORE_BIN, {"help", "scan"}).out.rfind("Usage: lettore [OPTIONS] scan [", 0), 0u);
    EXPECT_EQ(runProgram(LETTORE_BIN, {"--version"}).out.rfind("lettore 0.", 0), 0u);
    const std::string ports = outcomeOf(lettore, {"ports"});  // the machine's own devices come first
    EXPECT_TRUE(ports.ends_with("port 1 COM1 -> " + device + "\ndefault port 1 " + device + "\n|  => 0")) << ports;
    const QString shell = "exec \"$0\" --term 4 --baud 19200 ";
    EXPECT_EQ(outcomeOf("/bin/sh", {"-c", shell + "CreaBadge 0000000042 >&-", lettore}),
              "| lettore: standard output is closed; nothing was sent\n => 74");
    EXPECT_EQ(outcomeOf("/bin/sh", {"-c", shell + "GetVersioneFirmware >/dev/full", lettore}),
              "| lettore: cannot write to standard output: No space left on device\n => 74");
    const QString fifo = folder.filePath("fifo");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    EXPECT_EQ(outcomeOf(lettore,
                        {"--trace-file", "/dev/full", "--term", "4", "--baud", "19200", "InserisciBadge", "0", "2000"}),
              "esito 0\naccettati 1\nTxtRisposta 0000000000 0\ninviati 1\nstato 0 1\n"
              "| lettore: cannot write the trace to /dev/full: No space left on device\n => 74");
    EXPECT_EQ(outcomeOf(lettore, {"--trace-file", fifo, "GetVersioneFirmware"}),
              "| lettore: cannot write the trace to " + fifo.toStdString()
                  + ": a named pipe that nobody reads\n => 74");
    std::ofstream(folder.filePath("Seriale.cfg").toStdString()) << " 1 \r\n19200\r\n 4 \r\n";
    EXPECT_EQ(outcomeOf(lettore, {"VerificaBadge", "0000000042"}), "esito 0\noutESISTE 0\n|  => 0");
    std::ofstream(folder.filePath("Seriale.cfg").toStdString()) << " 1 \r\n19200\r\n 256 \r\n";
    EXPECT_EQ(runProgram(lettore, {"GetVersioneFirmware"}).status, 64);
    // The simulator refuses a wrong reader list, and a link to a line still served (left as it is).
    EXPECT_EQ(outcomeOf(LETTORE_SIM_BIN, {"--reader", "1", "--reader", "1:model=zem"}),
              "| lettore-sim: two readers at address 1: each --reader needs an address of its own\n => 64");
    EXPECT_EQ(outcomeOf(LETTORE_SIM_BIN, {"--link", link()}),
              "| lettore-sim: " + link().toStdString() + " leads to " + sim->device().toStdString()
                  + ", a line still in use: stop the program that serves it or choose another --link\n => 74");
    // The simulator printed its device, which the link names; SIGTERM ends it cleanly, the link removed.
    EXPECT_EQ(QFileInfo(link()).symLinkTarget(), sim->device());
    EXPECT_EQ(sim->stop(), 0);
    EXPECT_FALSE(QFileInfo(link()).isSymLink());
}

// A code added, then a wait for a badge, while which the test acts.
const char* const WaitingPlan = R"({"name": "attesa", "steps": [
  {"id": "wl_aggiunto", "title": "Codice aggiunto", "command": "CreaBadge", "args": {"CODICE": "0000054321"},
   "undo": {"command": "EliminaBadge", "args": {"CODICE": "0000054321"}}},
  {"id": "ATTESA", "title": "Badge", "kind": "badge", "withinMs": 20000}]})";

using CollaudoEndToEndTest = LettoreEndToEndTest;

// Whatever ends the run, the changes are put back: Ctrl-C (130), a line that drops and comes back (74).
TEST_F(CollaudoEndToEndTest, StoppedAndDroppedRunsLeaveTheReaderAsFound)
{
    const std::tuple<const char*, const char*, int> rows[] = {
        {"stopped", "", 128 + SIGINT},  // a request to end at the badge prompt
        {"dropped", "drop 500", 74},  // what the virtual reader is told at the prompt
    };
    const QString plan = folder.filePath("piano.json");
    std::ofstream(plan.toStdString()) << WaitingPlan;
    for (const auto& [name, atPrompt, status] : rows) {
        startSim({"--reader", "1"});
        const std::string before = sim->state(1);
        QProcess lettore;
        lettore.start(LETTORE_BIN, on({"collaudo", "--report", folder.filePath("rapporti"), "--operator",
                                       "Collaudatore", "--term", "1", "--badge", "--plan", plan}));
        std::string err;
        ASSERT_TRUE(processEventsUntil(
            [&] {
                err += lettore.readAllStandardError().toStdString();
                return err.find("presentare un badge") != std::string::npos;
            },
            10000))
            << name << ": " << err;
        if (*atPrompt)
            sim->command(atPrompt);
        else
            ::kill(static_cast<pid_t>(lettore.processId()), SIGINT);
        EXPECT_EQ(exitOf(lettore, 15000), status)
            << name << "\n"
            << lettore.readAllStandardOutput().toStdString() << lettore.readAllStandardError().toStdString();
        EXPECT_EQ(sim->state(1), before) << name;
        sim.reset();
    }
}

// The longest range, twice: every code ends on the list; memory and descriptors stay flat.
using SoakTest = LettoreEndToEndTest;
TEST_F(SoakTest, LongestRangeLeavesEveryCodeOnTheListWithFlatMemory)
{
    startSim({"--reader", "1:capacity=32768"});
    std::vector<ResourceSample> samples;
    for (const char status : {'0', '1'}) {  // each code added, then each one already there
        QProcess lettore;
        lettore.start(LETTORE_BIN, on({"--term", "1", "InserisciBadge", "0", "32767"}));
        while (lettore.waitForStarted() && !lettore.waitForFinished(50))
            if (const auto s = sampleResources(std::to_string(lettore.processId())); s && status == '0')
                samples.push_back(*s);
        EXPECT_EQ(lettore.readAllStandardOutput().toStdString(),
                  std::string("esito 0\naccettati 32768\nTxtRisposta 0000032767 ") + status + "\ninviati 32768\nstato "
                      + status + " 32768\n");
        EXPECT_EQ(exitOf(lettore), 0);
    }
    ASSERT_GE(samples.size(), 20u) << "too few samples to see a trend";
    samples.erase(samples.begin());  // the first may come before the port opened
    const ResidentGrowth growth = residentGrowth(samples);
    EXPECT_LE(growth.grownKb(), 512) << "resident memory grew from " << growth.earlyKb << " kB to " << growth.lateKb
                                     << " kB";
    // A tenth in to a tenth before the end: a loaded machine may sample before the port opened or after it closed.
    EXPECT_EQ(samples[samples.size() / 10].descriptors, samples[samples.size() * 9 / 10].descriptors)
        << "descriptors opened and not closed";
    std::printf("soak: %zu samples, resident %ld kB early, %ld kB late, %ld descriptors\n", samples.size(),
                growth.earlyKb, growth.lateKb, samples.back().descriptors);
}

}  // namespace
}  // namespace lettore::test
