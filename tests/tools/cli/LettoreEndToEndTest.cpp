#include "LettoreProcess.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

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

    // `lettore listen` with `options`, given time to open the line.
    void listen(const QStringList& options)
    {
        listener.start(LETTORE_BIN, QStringList{"--port", linkPath(), "listen"} + options);
        ASSERT_TRUE(listener.waitForStarted());
        QThread::msleep(300);
    }

    QTemporaryDir folder;
    std::unique_ptr<SimProcess> sim;
    QProcess listener;
};

TEST_F(LettoreEndToEndTest, EveryCommand)
{
    startSim({"--reader", "1:serials=0000000011+0000000012+0000000013,transactions=00000000021+100000000220000000023"});
    expectAll(
        {
            {{"SetupBase", "0001", "1", "002", "005", "1", "010"}, "esito 0\n"},
            {{"GetSetupBase"},
             "esito 0\noutTPROTO 0001\noutTMAC 1\noutRELE 005\noutLED_V 1\noutTMCODE 010\noutTBUZZ 002\n"},
            {{"SetOUTPUT", "10", "5", "0"}, "esito 0\n"},
            {{"GetVersioneFirmware"}, "esito 0\noutVERSION SIM LETTORE 1.00\n"},
            {{"CreaBadge", "0000000042"}, "esito 0\noutst 0\n"},
            {{"VerificaBadge", "0000000042"}, "esito 0\noutESISTE 1\n"},
            {{"EliminaBadge", "0000000042"}, "esito 0\n"},
            {{"CancellaWL"}, "esito 0\n"},
            // Unacknowledged, the transaction stays; acknowledged, the next one comes.
            {{"GetTransazione"}, "esito 0\noutCODICE 0000000021\n"},
            {{"GetTransazione", "--ack"}, "esito 0\noutCODICE 0000000021\n"},
            {{"GetTransazione"}, "esito 0\noutCODICE 00000000220000000023\n"},
            {{"SendACK"}, "esito 0\n"},
            {{"GetTransazione"}, "esito 0\noutCODICE N\n"},
            // Serial numbers are acknowledged by the command itself.
            {{"GetMatricolaPrima"}, "esito 0\noutCODICE 0000000011\n"},
            {{"GetMatricolaNext"}, "esito 0\noutCODICE 0000000012\n"},
            {{"GetMatricolaCorrente"}, "esito 0\noutCODICE 0000000012\n"},
            {{"raw", "P", "2"},
             "esito 0\nRisposta 02 30 21 53 49 4D 20 4C 45 54 54 4F 52 45 20 31 2E 30 30 03 09\n"},
        },
        {"--term", "1"});
}

TEST_F(LettoreEndToEndTest, SetupSerialeMovesTheReader)
{
    startSim({"--reader", "1"});
    expectAll({
        {{"--term", "1", "SetupSeriale", "19200", "7"}, "esito 0\n"},
        {{"--term", "7", "--baud", "19200", "GetVersioneFirmware"}, "esito 0\noutVERSION SIM LETTORE 1.00\n"},
        {{"--term", "7", "--baud", "19200", "SetupSeriale", "57600", "1"}, "esito 2\n", 2},
    });
}

TEST_F(LettoreEndToEndTest, BroadcastAddressReachesTheReaderWithThatCard)
{
    startSim({"--reader", "1:card=0000012345", "--reader", "2"});
    expectAll({
        {{"SetIndirizzo", "12", "0000012345"}, "esito 0\n"},
        {{"--term", "12", "GetVersioneFirmware"}, "esito 0\noutVERSION SIM LETTORE 1.00\n"},
        {{"--term", "2", "GetVersioneFirmware"}, "esito 0\noutVERSION SIM LETTORE 1.00\n"},
    });
}

TEST_F(LettoreEndToEndTest, RangeInsertionLeavesEveryCodeOnTheList)
{
    startSim({"--reader", "1"});
    expectAll(
        {
            {{"InserisciBadge", "0", "100"}, "esito 0\naccettati 101\nTxtRisposta 0000000100 0\n"},
            {{"VerificaBadge", "0000000000"}, "esito 0\noutESISTE 1\n"},
            {{"VerificaBadge", "0000000100"}, "esito 0\noutESISTE 1\n"},
            {{"VerificaBadge", "0000000101"}, "esito 0\noutESISTE 0\n"},
        },
        {"--term", "1"});
}

TEST_F(LettoreEndToEndTest, ListenAcknowledgesAMultimasterReadingOnce)
{
    startSim({"--reader", "5", "--multimaster"});
    listen({"--ack"});
    sim->command("present 5 0000004242");

    std::string out;
    while (out.find('\n') == std::string::npos && listener.waitForReadyRead(5000))
        out += listener.readAllStandardOutput().toStdString();
    // Unacknowledged, the reader would send the reading again after 2 s.
    listener.waitForReadyRead(2500);
    out += listener.readAllStandardOutput().toStdString();
    EXPECT_EQ(out, "lettura 5 0000004242\n");

    ::kill(static_cast<pid_t>(listener.processId()), SIGTERM);
    ASSERT_TRUE(listener.waitForFinished(5000));
    EXPECT_EQ(listener.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(listener.exitCode(), 0);
}

TEST_F(LettoreEndToEndTest, ListenEndsWhenTheLineDrops)
{
    startSim({"--reader", "5", "--multimaster"});
    listen({});
    sim->command("drop");
    ASSERT_TRUE(listener.waitForFinished(5000));
    EXPECT_EQ(listener.exitCode(), 74);
    const QByteArray err = listener.readAllStandardError();
    EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
}

TEST_F(LettoreEndToEndTest, TraceAndFailures)
{
    startSim({"--reader", "1"});
    // Nobody at address 9: the time-out is the result and the exit status.
    ProgramRun run = lettore({"GetVersioneFirmware"}, {"--term", "9", "--trace"});
    EXPECT_EQ(run.out, "esito 1\noutVERSION N\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(" ComTO\n"), std::string::npos) << run.err;

    run = runProgram(LETTORE_BIN, {"--port", folder.filePath("missing"), "GetVersioneFirmware"});
    EXPECT_EQ(run.status, 74);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "lettore: cannot open " + folder.filePath("missing").toStdString()
                           + ": No such file or directory\n");

    run = lettore({"GetVersioneFirmware"}, {"--term", "40000"});
    EXPECT_EQ(run.status, 64);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
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
