#include "LettoreProcess.h"
#include "PseudoTerminal.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cctype>
#include <csignal>
#include <cstring>
#include <fstream>
#include <poll.h>
#include <regex>
#include <sstream>
#include <unistd.h>

namespace lettore::test {
namespace {

// `lettore` against the virtual reader over a real pseudo-terminal; the
// line is reached through a COM9 link in a temporary folder.
class LettoreEndToEndTest : public ::testing::Test {
protected:
    void startSim(const QStringList& arguments) { sim = std::make_unique<SimProcess>(linkPath(), arguments); }

    QString linkPath() const { return folder.filePath("COM9"); }

    // lettore on the line, with `options` before the command.
    ProgramRun lettore(const QStringList& command, const QStringList& options = {})
    {
        return runProgram(LETTORE_BIN, QStringList{"--port", linkPath()} + options + command);
    }

    // Runs each command and expects its whole output and status.
    struct Expected {
        QStringList command;
        std::string out;
        int status = 0;
    };
    void expectAll(const std::vector<Expected>& rows, const QStringList& options = {})
    {
        for (const auto& row : rows) {
            SCOPED_TRACE(row.command.join(' ').toStdString());
            const ProgramRun run = lettore(row.command, options);
            EXPECT_EQ(run.out, row.out);
            EXPECT_EQ(run.status, row.status) << run.err;
        }
    }

    // `lettore listen` with `options` on a multimaster line; returns its
    // first line of output, which shows it listens: a badge is held to
    // reader 5, and the reader repeats the reading every 2 s until it is
    // acknowledged, so one reaches the listener once it has the line open.
    std::string listenForFirstReading(const QStringList& options)
    {
        listener.start(LETTORE_BIN, QStringList{"--port", linkPath(), "listen"} + options);
        if (!listener.waitForStarted())
            return "did not start";
        sim->command("present 5 0000004242");
        while (!listener.canReadLine() && listener.waitForReadyRead(5000)) {
        }
        return listener.readLine().toStdString();
    }

    QTemporaryDir folder;
    std::unique_ptr<SimProcess> sim;
    QProcess listener;
};

// One path end to end: the command's result as printed, its options
// reaching the line (a reader moved to another address and rate answers
// there), and a rate the reader has no code for refused before anything is
// sent. Every command's frames and results are the command table's.
TEST_F(LettoreEndToEndTest, CommandsReachTheReaderWithTheirOptions)
{
    startSim({"--reader", "1"});
    const std::string version = "esito 0\noutVERSION SIM LETTORE 1.00\n";
    expectAll({
        {{"--term", "1", "GetVersioneFirmware"}, version},
        {{"--term", "1", "SetupSeriale", "19200", "7"}, "esito 0\n"},
        {{"--term", "7", "--baud", "19200", "SetupSeriale", "57600", "1"}, "", 64},
        {{"--term", "7", "--baud", "19200", "GetVersioneFirmware"}, version},
    });
}

// Reads `fd` until what it gave holds `text`, at most `limitMs`.
bool readUntil(int fd, const std::string& text, int limitMs)
{
    std::string seen;
    pollfd watched{fd, POLLIN, 0};
    while (seen.find(text) == std::string::npos) {
        if (::poll(&watched, 1, limitMs) != 1)
            return false;
        char buffer[256];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        seen.append(buffer, static_cast<size_t>(n));
    }
    return true;
}

// Ctrl-C stops a range insertion between two codes, the result so far is
// printed, and the status is 128 + SIGINT.
TEST_F(LettoreEndToEndTest, CtrlCStopsARangeAndPrintsWhatItDid)
{
    startSim({"--reader", "1", "--pace"});  // 1001 codes would take about 25 s
    // Progress goes to a terminal only: standard error is a pseudo-terminal.
    PseudoTerminal terminal;
    QProcess range;
    range.setChildProcessModifier([fd = terminal.slaveFd()] { ::dup2(fd, STDERR_FILENO); });
    range.start(LETTORE_BIN, {"--port", linkPath(), "--term", "1", "InserisciBadge", "0", "1000"});
    ASSERT_TRUE(range.waitForStarted());
    ASSERT_TRUE(readUntil(terminal.masterFd(), "\r0000000000 0", 5000));
    ::kill(static_cast<pid_t>(range.processId()), SIGINT);
    ASSERT_TRUE(range.waitForFinished(5000));
    EXPECT_EQ(range.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(range.exitCode(), 130);

    const std::string out = range.readAllStandardOutput().toStdString();
    std::smatch sent;
    ASSERT_TRUE(std::regex_search(out, sent, std::regex("inviati ([0-9]+)"))) << out;
    const int count = std::stoi(sent[1]);
    ASSERT_GE(count, 1);
    ASSERT_LT(count, 1001);
    const auto code = [](int n) { return QString("%1").arg(n, 10, 10, QChar('0')); };
    EXPECT_EQ(out, "esito 0\naccettati " + std::to_string(count) + "\nTxtRisposta "
                       + code(count - 1).toStdString() + " 0\ninviati " + std::to_string(count)
                       + "\nstato 0 " + std::to_string(count) + "\n");
}

// A reading is acknowledged once: unacknowledged, the reader would send it
// again after 2 s. SIGTERM ends listening with status 0.
TEST_F(LettoreEndToEndTest, ListenAcknowledgesAMultimasterReadingOnce)
{
    startSim({"--reader", "5", "--multimaster"});
    ASSERT_EQ(listenForFirstReading({"--ack"}).substr(0, 30), "lettura 5 0000004242 status 0 ");
    // Unacknowledged, the reader would send the reading again after 2 s.
    listener.waitForReadyRead(2500);
    EXPECT_EQ(listener.readAllStandardOutput().toStdString(), "");
    ::kill(static_cast<pid_t>(listener.processId()), SIGTERM);
    ASSERT_TRUE(listener.waitForFinished(5000));
    EXPECT_EQ(listener.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(listener.exitCode(), 0);
}

// A stray byte starts a reception that would wait 5 s for a frame; noise
// keeps coming. Ctrl-C still ends listening at once, with status 0.
TEST_F(LettoreEndToEndTest, CtrlCEndsListeningDuringAReception)
{
    PseudoTerminal line;
    listener.start(LETTORE_BIN, {"--port", QString::fromStdString(line.slavePath()), "listen"});
    ASSERT_TRUE(listener.waitForStarted());
    // A lone ACK is a whole frame: its line shows the listener is ready.
    const auto send = [&](const char* bytes) {
        ASSERT_EQ(::write(line.masterFd(), bytes, std::strlen(bytes)), static_cast<ssize_t>(std::strlen(bytes)));
    };
    send("\x06");
    ASSERT_TRUE(listener.waitForReadyRead(5000));
    ASSERT_EQ(listener.readLine().left(9).toStdString(), "ComRX 06 ");
    for (int i = 0; i < 4; ++i) {
        send("Z");
        listener.waitForFinished(50);
    }
    QElapsedTimer stopping;
    stopping.start();
    ::kill(static_cast<pid_t>(listener.processId()), SIGINT);
    ASSERT_TRUE(listener.waitForFinished(6000));
    EXPECT_LT(stopping.elapsed(), 500);
    EXPECT_EQ(listener.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(listener.exitCode(), 0);
}

TEST_F(LettoreEndToEndTest, ListenEndsWhenTheLineDrops)
{
    startSim({"--reader", "5", "--multimaster"});
    ASSERT_EQ(listenForFirstReading({}).substr(0, 30), "lettura 5 0000004242 status 0 ");
    sim->command("drop");
    ASSERT_TRUE(listener.waitForFinished(5000));
    EXPECT_EQ(listener.exitCode(), 74);
    EXPECT_EQ(listener.readAllStandardError().toStdString(),
              "lettore: the line dropped or the device was removed\n");
}

TEST_F(LettoreEndToEndTest, TraceAndFailures)
{
    startSim({"--reader", "1"});
    // Nobody at address 9: the time-out is the result and the exit status.
    ProgramRun run = lettore({"GetVersioneFirmware"}, {"--term", "9", "--trace"});
    EXPECT_EQ(run.out, "esito 1\noutVERSION N\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(" -- time-out\n"), std::string::npos) << run.err;

    run = runProgram(LETTORE_BIN, {"--port", folder.filePath("missing"), "GetVersioneFirmware"});
    EXPECT_EQ(run.status, 74);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "lettore: cannot open " + folder.filePath("missing").toStdString()
                           + ": No such file or directory\n");
}

// A result that cannot reach standard output fails the run, with the reason
// on standard error; with standard output closed nothing is even sent.
TEST_F(LettoreEndToEndTest, ResultThatCannotBeWrittenFailsTheRun)
{
    startSim({"--reader", "1"});
    const QStringList createBadge{"--port", linkPath(), "--term", "1", "CreaBadge", "0000000042"};
    QProcess closedOutput;
    closedOutput.setChildProcessModifier([] { ::close(STDOUT_FILENO); });
    closedOutput.start(LETTORE_BIN, createBadge);
    ASSERT_TRUE(closedOutput.waitForFinished(30000));
    EXPECT_EQ(closedOutput.exitCode(), 74);
    EXPECT_EQ(closedOutput.readAllStandardError().toStdString(),
              "lettore: standard output is closed; nothing was sent\n");

    QProcess fullDisk;
    fullDisk.setStandardOutputFile("/dev/full");
    fullDisk.start(LETTORE_BIN, {"--port", linkPath(), "--term", "1", "GetVersioneFirmware"});
    ASSERT_TRUE(fullDisk.waitForFinished(30000));
    EXPECT_EQ(fullDisk.exitCode(), 74);
    EXPECT_EQ(fullDisk.readAllStandardError().toStdString(),
              "lettore: cannot write to standard output: No space left on device\n");

    expectAll({{{"VerificaBadge", "0000000042"}, "esito 0\noutESISTE 0\n"}}, {"--term", "1"});
}

// The trace of a run, without its timestamps: one row a line.
std::vector<std::string> traced(const std::string& err)
{
    std::vector<std::string> events;
    std::istringstream lines(err);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && std::isdigit(static_cast<unsigned char>(line[0])))
            events.push_back(line.substr(line.find(' ') + 1));
    return events;
}

// Milliseconds of the day of an ISO 8601 UTC time at the start of `line`.
long long timeOfDayMs(const std::string& line)
{
    return ((std::stoll(line.substr(11, 2)) * 60 + std::stoll(line.substr(14, 2))) * 60
            + std::stoll(line.substr(17, 2))) * 1000 + std::stoll(line.substr(20, 3));
}

// The trace shows every byte of a faulty answer, noise and a rejected
// answer too, at the time the simulator's log gives it.
TEST_F(LettoreEndToEndTest, TraceShowsNoiseAndRejectedAnswersInStepWithTheSimulator)
{
    startSim({"--log", folder.filePath("sim.log"), "--pace", "--reader", "2:baud=1200,fault=noise",
              "--reader", "4:baud=1200,fault=badbcc"});
    const std::string version = "esito 0\noutVERSION SIM LETTORE 1.00\n";
    const struct {
        const char* name;
        const char* term;
        std::string out;
        int status;
        std::vector<std::string> rows;  // each row's start, after its time
    } rows[] = {
        {"noise before the answer", "2", version, 0,
         {"TX command Sibrant2 address 2 P", "RX noise [FF 7E 00 55]", "RX answer Sibrant2 address 2 P"}},
        {"wrong check character", "4", "esito 2\noutVERSION N\n", 2,
         {"TX command", "RX answer Sibrant2 address 4 P data \"SIM LETTORE 1.00\" check character wrong"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const ProgramRun run = lettore({"GetVersioneFirmware"}, {"--baud", "1200", "--trace", "--term", row.term});
        EXPECT_EQ(run.out, row.out);
        EXPECT_EQ(run.status, row.status) << run.err;
        const std::vector<std::string> events = traced(run.err);
        ASSERT_EQ(events.size(), row.rows.size()) << run.err;
        for (std::size_t i = 0; i < events.size(); ++i)
            EXPECT_EQ(events[i].substr(0, row.rows[i].size()), row.rows[i]) << run.err;
        // The simulator heard the command when the trace says it went.
        std::ifstream simLog(folder.filePath("sim.log").toStdString());
        const std::string command = run.err.substr(run.err.find('['), run.err.find(']') - run.err.find('[') + 1);
        std::string heard;
        for (std::string line; std::getline(simLog, line);)
            if (line.find(" RX 1200 " + command) != std::string::npos)
                heard = line;
        ASSERT_FALSE(heard.empty()) << command;
        EXPECT_LT(std::abs(timeOfDayMs(heard) - timeOfDayMs(run.err)), 200) << heard << "\n" << run.err;
    }
}

// Every answer of reader 1 comes 300 ms after the 5 s time-out. The quiet
// gap drops code 0's answer, which would otherwise be taken for code 1's;
// both codes reached the reader all the same.
TEST_F(LettoreEndToEndTest, LateAnswerIsNotTakenForTheNextCodes)
{
    startSim({"--late-ms", "5300", "--reader", "1:fault=late"});
    const ProgramRun run = lettore({"InserisciBadge", "0", "1"}, {"--term", "1"});
    EXPECT_EQ(run.out, "esito 1\naccettati 0\nTxtRisposta 0000000001 \ninviati 2\n");
    EXPECT_EQ(run.status, 1) << run.err;
    sim->command("fault 1 none");
    expectAll({{{"VerificaBadge", "0000000001"}, "esito 0\noutESISTE 1\n"}}, {"--term", "1"});
}

// The line hangs up while lettore waits for an answer: a port failure,
// said as such; once the line is back behind the same link the next
// exchange works.
TEST_F(LettoreEndToEndTest, LineDroppingDuringAnExchangeAndComingBack)
{
    startSim({"--reader", "1:fault=silent"});
    QProcess waiting;
    waiting.setReadChannel(QProcess::StandardError);
    waiting.start(LETTORE_BIN, {"--port", linkPath(), "--term", "1", "--trace", "GetVersioneFirmware"});
    ASSERT_TRUE(waiting.waitForStarted());
    QByteArray err;
    while (!err.contains("TX command") && waiting.waitForReadyRead(5000))
        err += waiting.readAllStandardError();
    ASSERT_TRUE(err.contains("TX command")) << err.toStdString();
    sim->command("drop 300");
    ASSERT_TRUE(waiting.waitForFinished(3000)) << "a hang-up, not a time-out";
    err += waiting.readAllStandardError();
    EXPECT_EQ(waiting.readAllStandardOutput().toStdString(), "esito 3\noutVERSION N\n");
    EXPECT_EQ(waiting.exitCode(), 74);
    EXPECT_EQ(traced(err.toStdString()).back().rfind("-- port error", 0), 0u) << err.toStdString();
    EXPECT_NE(traced(err.toStdString()).back().find("the line dropped or the device was removed"), std::string::npos);
    EXPECT_TRUE(err.endsWith("lettore: the line dropped or the device was removed\n")) << err.toStdString();

    QElapsedTimer back;
    back.start();
    while (!QFile::exists(linkPath()) && back.elapsed() < 3000)
        QThread::msleep(20);
    sim->command("fault 1 none");
    expectAll({{{"GetVersioneFirmware"}, "esito 0\noutVERSION SIM LETTORE 1.00\n"}}, {"--term", "1"});
    EXPECT_TRUE(sim->running());
}

// Port, rate and terminal come from Seriale.cfg in the program's folder,
// and the port number reaches the COM<N> link there.
TEST_F(LettoreEndToEndTest, StoredSettingsAndPortNumber)
{
    startSim({"--reader", "4:baud=19200"});
    const QString program = folder.filePath("lettore");
    ASSERT_TRUE(QFile::copy(LETTORE_BIN, program));
    QFile cfg(folder.filePath("Seriale.cfg"));
    ASSERT_TRUE(cfg.open(QIODevice::WriteOnly));
    cfg.write(" 9 \r\n19200\r\n 4 \r\n");
    cfg.close();

    ProgramRun run = runProgram(program, {"GetVersioneFirmware"});
    EXPECT_EQ(run.out, "esito 0\noutVERSION SIM LETTORE 1.00\n");
    EXPECT_EQ(run.status, 0) << run.err;
    run = runProgram(program, {"--port", "8", "GetVersioneFirmware"});
    EXPECT_EQ(run.status, 74);
}

}  // namespace
}  // namespace lettore::test

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
