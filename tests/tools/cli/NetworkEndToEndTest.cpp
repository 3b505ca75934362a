// `lettore` through Debian's ser2net in front of the virtual reader, and through the virtual reader's own server.
#include "DeviceServer.h"
#include "LettoreProcess.h"
#include "PtyLine.h"

#include <QFile>
#include <QTemporaryDir>

#include <regex>

#include <gtest/gtest.h>

namespace lettore::test {
namespace {

const std::string Version = "esito 0\noutVERSION SIM LETTORE 1.00\n";

// Reader 1 at 9600, reader 5 at 19200 only, on a line served by ser2net.
class NetworkEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        sim = std::make_unique<SimProcess>(folder.filePath("COM1"),
                                           QStringList{"--multimaster", "--reader", "1", "--reader", "5:baud=19200"});
        server = std::make_unique<DeviceServer>(sim->device().toStdString(), DeviceServer::Kind::Rfc2217);
        ASSERT_TRUE(server->start());
    }
    static std::string outcome(const QString& program, const QStringList& arguments)
    {
        const ProgramRun run = runProgram(program, arguments);
        return run.out + "| " + run.err + " => " + std::to_string(run.status);
    }
    QTemporaryDir folder;
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<DeviceServer> server;
};

TEST_F(NetworkEndToEndTest, CommandsRatesAndTheTable)
{
    const QString at = server->address();
    const std::string absent
        = DeviceServer(sim->device().toStdString(), DeviceServer::Kind::Rfc2217).address().toStdString();
    const QString lettore = folder.filePath("lettore");  // a copy reads the port table beside it
    ASSERT_TRUE(QFile::copy(LETTORE_BIN, lettore));
    QFile table(folder.filePath("PorteRete.cfg"));
    ASSERT_TRUE(table.open(QIODevice::WriteOnly));
    table.write("# the closet\n7 = " + at.toUtf8() + "\n8 = nowhere\n");
    table.close();
    const std::string problem = "lettore: PorteRete.cfg line 3: not NUMBER = tcp://HOST:PORT or rfc2217://HOST:PORT\n";
    const std::pair<QStringList, std::string> rows[] = {
        {{"--port", at, "--term", "1", "GetVersioneFirmware"}, Version + "|  => 0"},
        {{"--port", at, "--term", "5", "--baud", "19200", "GetVersioneFirmware"}, Version + "|  => 0"},
        {{"--port", QString::fromStdString(absent), "GetVersioneFirmware"},
         "| lettore: cannot open " + absent + ": the device server at " + absent.substr(10)
             + " refused the connection\n => 74"},
    };
    for (const auto& [arguments, expected] : rows) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        EXPECT_EQ(outcome(LETTORE_BIN, arguments), expected);
    }
    EXPECT_EQ(outcome(lettore, {"--port", "7", "--term", "5", "--baud", "19200", "GetVersioneFirmware"}),
              Version + "| " + problem + " => 0");
    const std::string scanned
        = outcome(LETTORE_BIN, {"--port", at, "--baud", "9600", "scan", "--from", "1", "--to", "1"});
    EXPECT_TRUE(std::regex_match(
        scanned, std::regex("trovato 1 9600 SIM LETTORE 1\\.00\ntrovati 1\n\\| scan: round trip to "
                            "the device server [1-9][0-9]* ms, added to each poll's time limit\n => 0")))
        << scanned;
    const std::string listed = outcome(lettore, {"ports"});
    EXPECT_NE(listed.find("port 7 PorteRete.cfg -> " + at.toStdString() + "\n"), std::string::npos) << listed;
}

TEST_F(NetworkEndToEndTest, ServerKilledWhileListeningIsALineDrop)
{
    QProcess listener;
    listener.start(LETTORE_BIN, {"--port", server->address(), "listen", "--ack"});
    sim->command("present 1 0000004242");  // repeated until acknowledged, so one reaches the listener
    ASSERT_TRUE(processEventsUntil([&] { return listener.canReadLine(); }, 10000));
    server->stop();
    EXPECT_EQ(exitOf(listener, 12000), 74);
    EXPECT_EQ(listener.readAllStandardError().toStdString(), "lettore: the line dropped or the device was removed\n");
}

TEST(SimListenTest, TheVirtualReaderAsADeviceServer)
{
    for (const QString scheme : {"rfc2217", "tcp"}) {
        const QString at = scheme + "://127.0.0.1:" + QString::number(freeLoopbackPort());
        QTemporaryDir folder;
        SimProcess sim(folder.filePath("COM1"), {"--listen", at, "--reader", "1", "--reader", "5:baud=19200"});
        const QStringList query = {"--port",
                                   at,
                                   "--term",
                                   scheme == "tcp" ? "1" : "5",
                                   "--baud",
                                   scheme == "tcp" ? "9600" : "19200",
                                   "GetVersioneFirmware"};
        EXPECT_EQ(runProgram(LETTORE_BIN, query).out, Version) << scheme.toStdString();
    }
}

}  // namespace
}  // namespace lettore::test
