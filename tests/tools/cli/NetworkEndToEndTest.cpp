// `lettore` and the link through Debian's ser2net in front of the virtual reader, and through its own server.
#include "DeviceServer.h"
#include "LettoreProcess.h"
#include "PortOpening.h"
#include "PtyLine.h"
#include "QtPort.h"
#include "ReaderCommand.h"
#include "clsLettori.h"

#include <QFile>
#include <QTemporaryDir>

#include <map>
#include <regex>

#include <gtest/gtest.h>

namespace lettore::test {
namespace {

// Reader 1 at 9600, readers 5 and 6 at 19200 only, on a line served by ser2net and by the virtual reader itself.
class NetworkEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.start()); }
    QTemporaryDir folder;
    const QString listen = "rfc2217://127.0.0.1:" + QString::number(freeLoopbackPort());
    SimProcess sim{folder.filePath("COM1"),
                   {"--multimaster", "--listen", listen, "--reader", "1", "--reader",
                    "5:baud=19200,transactions=00000000077", "--reader", "6:baud=19200,transactions=00000000077"}};
    DeviceServer server{sim.device().toStdString()};
};

TEST_F(NetworkEndToEndTest, CommandsRatesAndTheTable)
{
    const QString at = server.address();
    const QString lettore = folder.filePath("lettore");  // a copy reads the port table beside it
    ASSERT_TRUE(QFile::copy(LETTORE_BIN, lettore));
    QFile table(folder.filePath("PorteRete.cfg"));
    ASSERT_TRUE(table.open(QIODevice::WriteOnly));
    table.write("# the closet\n7 = " + at.toUtf8() + "\n8 = nowhere\n");
    table.close();
    const std::string problem = "lettore: PorteRete.cfg line 3: not NUMBER = tcp://HOST:PORT or rfc2217://HOST:PORT\n";
    const std::tuple<QString, QStringList, std::string> rows[] = {
        {LETTORE_BIN, {"--port", at, "--term", "1", "GetVersioneFirmware"}, Version + "|  => 0"},
        {lettore,
         {"--port", "7", "--term", "5", "--baud", "19200", "GetVersioneFirmware"},
         Version + "| " + problem + " => 0"},
    };
    for (const auto& [program, arguments, expected] : rows) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        EXPECT_EQ(outcomeOf(program, arguments), expected);
    }
    const std::string scanned
        = outcomeOf(LETTORE_BIN, {"--port", at, "--baud", "9600", "scan", "--from", "1", "--to", "1"});
    EXPECT_TRUE(std::regex_match(
        scanned, std::regex("trovato 1 9600 SIM LETTORE 1\\.00\ntrovati 1\n\\| scan: round trip to "
                            "the device server [1-9][0-9]* ms, added to each poll's time limit\n => 0")))
        << scanned;
    const std::string listed = outcomeOf(lettore, {"ports"});
    EXPECT_NE(listed.find("port 7 PorteRete.cfg -> " + at.toStdString() + "\n"), std::string::npos) << listed;
}

TEST_F(NetworkEndToEndTest, ServerKilledWhileListeningIsALineDrop)
{
    QProcess listener;
    listener.start(LETTORE_BIN, {"--port", server.address(), "listen", "--ack"});
    sim.command("present 1 0000004242");  // repeated until acknowledged, so one reaches the listener
    ASSERT_TRUE(processEventsUntil([&] { return listener.canReadLine(); }, 10000));
    server.stop();
    EXPECT_EQ(exitOf(listener, 12000), 74);
    EXPECT_EQ(listener.readAllStandardError().toStdString(), Dropped);
}

// The virtual reader's raw server ended during a range: the range ends as a port failure, told once.
TEST(SimListenTest, ServerEndedDuringARange)
{
    const QString at = "tcp://127.0.0.1:" + QString::number(freeLoopbackPort());
    QTemporaryDir folder;
    SimProcess sim(folder.filePath("COM1"), {"--listen", at, "--reader", "1", "--pace"});
    QProcess range;
    range.start(LETTORE_BIN, {"--port", at, "--term", "1", "InserisciBadge", "0", "1000"});
    ASSERT_TRUE(
        processEventsUntil([&] { return sim.state(1).find("0000000000 0000000001") != std::string::npos; }, 10000));
    sim.stop();
    EXPECT_EQ(exitOf(range), 74);
    EXPECT_TRUE(range.readAllStandardOutput().startsWith("esito 3\n"));
    EXPECT_EQ(range.readAllStandardError().toStdString(),
              "lettore: " + at.toStdString()
                  + " carries bytes only: the line settings 9600,N,8,1 and DTR stay on this side, the device server "
                    "keeps its own\n"
                  + Dropped);
}

// Every reader command through each server, a reader of its own at 19200: each answer shows the rate reached the line.
TEST_F(NetworkEndToEndTest, EveryReaderCommandThroughEachServer)
{
    for (const auto& [at, term] : {std::pair{listen.toStdString(), 6}, {server.address().toStdString(), 5}}) {
        SCOPED_TRACE(at);
        SteadyClock clock;
        clsLettori lettori([address = at](const std::string&) { return openPort(address, PortNaming()); }, clock,
                           processQtEvents);
        lettori.Comunicazione().setCommSettings("19200,N,8,1");
        lettori.Comunicazione().setAttivo(true);
        const std::map<std::string, std::vector<std::string>> arguments = {
            {"SetupBase", {"0002", "1", "002", "005", "1", "010"}},
            {"SetOUTPUT", {"1", "0", "1"}},
            {"CreaBadge", {"0000000042"}},
            {"VerificaBadge", {"0000000042"}},
            {"EliminaBadge", {"0000000042"}},
            {"SetIndirizzo", {"1", "0000000001"}},
            {"SetupSeriale", {"19200", std::to_string(term)}},
        };
        for (const ReaderCommand& command : ReaderCommand::all()) {
            const auto given = arguments.find(command.name);
            const auto result = command.run(
                lettori.Comunicazione(), term,
                command.arguments(given == arguments.end() ? std::vector<std::string>{} : given->second), true);
            EXPECT_EQ(result.esito, 0) << command.name;
        }
    }
}

}  // namespace
}  // namespace lettore::test
