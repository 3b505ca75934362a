// Readers of every terminal model on one line, driven by the real link's
// dialect routines; a reader's state; and what the program refuses.
#include "ByteText.h"
#include "Dialect.h"
#include "Esito.h"
#include "FastClock.h"
#include "QtPort.h"
#include "VirtualLine.h"
#include "clsLettori.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace {

using namespace lettore;
using namespace lettore::sim;

const std::string Code = "0000000042";

struct Exchange { const char* type; std::string data, answer; };  // answer in hex, or "esito N"

TEST(Models, EachModelAnswersItsOwnDialectOnly)
{
    QTemporaryDir folder;
    std::vector<ReaderSettings> readers;
    for (const char* text : {"1", "2:model=sibrant", "3:model=PARLOW,transactions=10000000042", "4:model=quen",
                             "5:model=zem", "7:model=tolvane,transactions=10000000042"})
        readers.push_back(ReaderSettings::parse(text));
    std::ostringstream log;  // written by the line's thread; read after it stops
    auto line = std::make_unique<VirtualLine>(readers, LineSettings{}, &log);
    line->linkAs(folder.filePath("COM9").toStdString());
    line->start();
    test::FastClock clock;
    clsLettori lettori(std::make_unique<QtPort>(PortNaming(folder.path().toStdString())), clock, processQtEvents);
    clsComunicazioni& link = lettori.Comunicazione();
    link.setCommPort(9);
    link.setCommSettings("9600,N,8,1");
    const struct { const char* dialect; int16_t term; std::vector<Exchange> exchanges; } rows[] = {
        {"Sibrant2", 1, {{"P", "3", "02 30 21 30 03 20"}}},
        {"Sibrant", 2, {{"S", "41" + Code, "02 68 22 30 03 7B"}}},
        {"Parlow", 3, {{"P", "3", "02 61 23 31 30 30 30 30 30 30 30 30 34 32 03 74"}}},
        // Quen sends an ACK as data and waits: it is no command of the reader.
        {"Quen", 4, {{"S", "\x06", "15"}}},
        {"Zem", 5, {{"P", "7" + Code, "02 25 25 30 03 31"}}},
        // A poll asks for the oldest transaction, confirmed by the link's ACK after the answer.
        {"Tolvane", 7, {{"P", "", "3C 37 31 30 30 30 30 30 30 30 30 34 32 30 30 3E"},
                        {"P", "", "3C 37 30 30 37 3E"},
                        {"S", "41" + Code, "3C 37 30 30 37 3E"}}},
        // The Sibrant2 reader at 1 does not take a Parlow frame for its own.
        {"Parlow", 1, {{"P", "2", "esito " + std::to_string(Esito::TimedOut)}}},
    };
    for (const auto& row : rows) {
        for (const auto& exchange : row.exchanges) {
            SCOPED_TRACE(std::string(row.dialect) + " " + exchange.type + " " + exchange.data);
            int16_t esito = -1;
            std::string answer;
            link.speak(Dialect::named(row.dialect), row.term, exchange.type, exchange.data, esito, answer);
            EXPECT_EQ(esito == Esito::Accepted ? ByteText::hex(answer) : "esito " + std::to_string(esito),
                      exchange.answer);
        }
    }
    line.reset();
    // The log names each frame as the host's trace does, then the reader's reading of it.
    EXPECT_NE(log.str().find("RX 9600 [04 04 37 05] command Tolvane address 7 poll; reader 7 P: transaction query\n"),
              std::string::npos);
    EXPECT_NE(log.str().find("RX 9600 [06] ACK; reader 7: answer acknowledged\n"), std::string::npos);
}

TEST(Models, StateShowsModelSettingsListTransactionsAndSerials)
{
    VirtualReader reader(ReaderSettings::parse(
        "7:model=tolvane,baud=19200,transactions=10000000042,serials=0000000001+0000000002"));
    reader.handle(Request{Request::Kind::Set, 7, "41" + Code});
    EXPECT_EQ(reader.state(), "reader 7: model Tolvane, 19200 baud, card 0000000007\n"
                              "  firmware \"SIM LETTORE 1.00\", setup 000100501000211, outputs 000000000\n"
                              "  white list 1 of 10000: 0000000042\n"
                              "  transactions 1: 10000000042\n"
                              "  serial numbers 2, current 1: 0000000001 0000000002\n");
}

TEST(Models, ProgramRefusesClashesWithTheirStatus)
{
    QTemporaryDir folder;
    const std::string link = folder.filePath("COM9").toStdString();
    VirtualLine live({ReaderSettings{}}, {});
    live.linkAs(link);
    const struct { QStringList arguments; int status; const char* message; } rows[] = {
        {{"--reader", "1", "--reader", "1:model=zem"}, 64, "two readers at address 1"},
        {{"--reader", "1:model=tolvan"}, 64, "model \"tolvan\" is none of Sibrant2, Sibrant"},
        {{"--reader", "200:model=parlow"}, 64, "a Parlow reader cannot have address 200"},
        {{"--link", QString::fromStdString(link)}, 74, "a line still in use"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.join(' ').toStdString());
        QProcess program;
        program.start(LETTORE_SIM_PROGRAM, row.arguments);
        ASSERT_TRUE(program.waitForFinished());
        EXPECT_EQ(program.exitCode(), row.status);
        EXPECT_NE(program.readAllStandardError().toStdString().find(row.message), std::string::npos);
    }
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), live.slavePath());
}

}  // namespace
