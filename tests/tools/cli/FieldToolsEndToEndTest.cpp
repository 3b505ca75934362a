#include "LettoreProcess.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lettore::test {
namespace {

QJsonObject parsed(const std::string& out)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(out), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << out;
    return document.object();
}

// Three readers at three rates are found, each once, and nothing else: a
// reader that always answers after the time limit is neither found nor
// taken for the address polled after it.
TEST(FieldToolsEndToEndTest, ScanFindsEachReaderOnce)
{
    QTemporaryDir folder;
    const QString link = folder.filePath("COM9");
    SimProcess sim(link, {"--reader", "1", "--reader", "4:baud=19200", "--reader", "3:baud=1200", "--reader",
                          "2:baud=1200,fault=late", "--late-ms", "250"});
    ProgramRun run = runProgram(LETTORE_BIN, {"--port", link, "scan", "--to", "5", "--timeout", "100"});
    EXPECT_EQ(run.out, "trovato 3 1200 SIM LETTORE 1.00\n"
                       "trovato 1 9600 SIM LETTORE 1.00\n"
                       "trovato 4 19200 SIM LETTORE 1.00\n"
                       "trovati 3\n");
    EXPECT_EQ(run.status, 0) << run.err;

    run = runProgram(LETTORE_BIN, {"--port", link, "--json", "scan", "--from", "4", "--to", "5", "--baud", "19200"});
    const QJsonObject scan = parsed(run.out);
    EXPECT_EQ(scan["readers"].toArray(),
              (QJsonArray{QJsonObject{{"address", 4}, {"baud", 19200}, {"firmware", "SIM LETTORE 1.00"}}}));
    EXPECT_FALSE(scan["stopped"].toBool(true));
}

// A copy of lettore in a folder with a COM1 link to the line: ports shows
// the link and its device; a command without --port that meets silence
// says which port it used; JSON output and --strict.
TEST(FieldToolsEndToEndTest, PortsJsonAndStrict)
{
    QTemporaryDir folder;
    const QString program = folder.filePath("lettore");
    ASSERT_TRUE(QFile::copy(LETTORE_BIN, program));
    SimProcess sim(folder.filePath("COM1"), {"--reader", "1"});
    const QString device = QFileInfo(folder.filePath("COM1")).canonicalFilePath();

    ProgramRun run = runProgram(program, {"--json", "ports"});
    const QJsonObject ports = parsed(run.out);
    EXPECT_EQ(ports["links"].toArray(),
              (QJsonArray{QJsonObject{{"link", "COM1"}, {"port", 1}, {"device", device}, {"present", true}}}));
    EXPECT_EQ(ports["default"].toObject(), (QJsonObject{{"port", 1}, {"device", device}}));

    run = runProgram(program, {"--term", "7", "--timeout", "100", "GetVersioneFirmware"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "lettore: no answer: port 1 (" + device.toStdString()
                           + ") is the port Seriale.cfg or the default gives; choose the reader's port"
                             " with --port N|DEVICE (lettore ports lists them)\n");

    const QJsonObject result = parsed(runProgram(program, {"--json", "--term", "1", "getversionefirmware"}).out);
    EXPECT_EQ(result, (QJsonObject{{"command", "GetVersioneFirmware"},
                                   {"esito", 0},
                                   {"values", QJsonObject{{"outVERSION", "SIM LETTORE 1.00"}}}}));

    // The reader refuses to delete a code it does not hold.
    for (const bool strict : {false, true}) {
        const QStringList options = strict ? QStringList{"--strict"} : QStringList{};
        run = runProgram(program, options + QStringList{"--term", "1", "EliminaBadge", "0000000001"});
        EXPECT_EQ(run.out, "esito 0\nrisposta NAK\n");
        EXPECT_EQ(run.status, strict ? 2 : 0);
    }
}

// help COMMAND, --version and a usage error as the user sees them.
TEST(FieldToolsEndToEndTest, HelpAndUsage)
{
    EXPECT_EQ(runProgram(LETTORE_BIN, {"help", "scan"}).out.rfind("Usage: lettore [OPTIONS] scan [", 0), 0u);
    EXPECT_EQ(runProgram(LETTORE_BIN, {"--version"}).out.rfind("lettore 0.", 0), 0u);
    const ProgramRun run = runProgram(LETTORE_BIN, {"CreaBadge"});
    EXPECT_EQ(run.err, "lettore: CreaBadge takes 1 argument(s), not 0\nUsage: lettore [OPTIONS] CreaBadge CODE\n");
    EXPECT_EQ(run.status, 64);
}

}  // namespace
}  // namespace lettore::test
