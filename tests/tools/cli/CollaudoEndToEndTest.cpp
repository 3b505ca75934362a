// `lettore collaudo` as a process against the virtual reader: the reader's state, as it prints it, the same
// after a passing, a failing, a stopped and a dropped run; exit statuses; the reports written.
#include "LettoreProcess.h"
#include "PlanFile.h"
#include "PtyLine.h"

#include <QDir>
#include <QFile>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <csignal>

namespace lettore::test {
namespace {

// Setup written and a code added, then a wait for a badge, while which the test acts.
const char* const WaitingPlan = R"({"name": "attesa", "steps": [
  {"id": "setup_letto", "title": "Setup letto", "command": "GetSetupBase"},
  {"id": "setup_prova", "title": "Setup di prova", "command": "SetupBase", "needs": ["setup_letto"],
   "args": {"TProto": "0020", "RELE": "003", "TMCODE": "040", "TBuzz": "005", "TMAC": "3", "LED_V": "2"},
   "undo": {"command": "SetupBase", "args": {"TProto": "${setup_letto.outTPROTO}", "RELE": "${setup_letto.outRELE}",
            "TMCODE": "${setup_letto.outTMCODE}", "TBuzz": "${setup_letto.outTBUZZ}", "TMAC": "${setup_letto.outTMAC}",
            "LED_V": "${setup_letto.outLED_V}"}}},
  {"id": "wl_aggiunto", "title": "Codice aggiunto", "command": "CreaBadge", "args": {"CODICE": "0000054321"},
   "undo": {"command": "EliminaBadge", "args": {"CODICE": "0000054321"}}},
  {"id": "ATTESA", "title": "Badge", "kind": "badge", "withinMs": 20000}]})";

class CollaudoEndToEndTest : public ::testing::Test {
protected:
    void startSim(const QStringList& args) { sim = std::make_unique<SimProcess>(folder.filePath("COM1"), args); }
    QStringList collaudo(const QStringList& args) const
    {
        return QStringList{"--port",     folder.filePath("COM1"), "collaudo", "--report", folder.filePath("rapporti"),
                           "--operator", "Collaudatore"}
               + args;
    }
    QString planFile(std::string text)
    {
        QFile file(folder.filePath("piano.json"));
        file.open(QIODevice::WriteOnly);
        file.write(text.c_str());
        return file.fileName();
    }
    QStringList reports() const { return QDir(folder.filePath("rapporti")).entryList(QDir::Files, QDir::Name); }
    QTemporaryDir folder;
    std::unique_ptr<SimProcess> sim;
};

// Alone on the line, every step passes and the reader is as it was; the JUnit report names each step of the plan.
TEST_F(CollaudoEndToEndTest, PassingRunLeavesTheReaderAsFound)
{
    startSim({"--reader", "1:transactions=10000000042"});
    const std::string before = sim->state(1);
    const ProgramRun run = runProgram(LETTORE_BIN, collaudo({"--term", "1", "--alone"}));
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("esito collaudo SUPERATO: 21 superati, 0 falliti, 2 saltati, 0 non eseguiti"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(sim->state(1), before);
    const QStringList files = reports();
    ASSERT_EQ(files.size(), 3) << files.join(' ').toStdString();
    QFile junit(folder.filePath("rapporti/" + files.filter(".xml").front()));
    ASSERT_TRUE(junit.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&junit);
    std::vector<std::string> named;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("testcase"))
            named.push_back(xml.attributes().value("name").toString().toStdString());
    EXPECT_FALSE(xml.hasError());
    const TestPlan plan = PlanFile::parse(PlanFile::defaultText());
    for (std::size_t i = 0; i < plan.steps.size(); ++i)
        EXPECT_TRUE(i < named.size() && named[i].starts_with(plan.steps[i].id + ": ")) << plan.steps[i].id;
}

struct EndingRow {
    const char* name;
    const char* atPrompt;  // what the virtual reader is told at the badge prompt; "" a request to end
    const char* failingCheck;  // a plan step after the changes that fails; "" none
    int status;
};

// Whatever ends the run, the changes are put back: a failing later step (1), Ctrl-C (130), a line that drops and
// comes back (74).
TEST_F(CollaudoEndToEndTest, FailingStoppedAndDroppedRunsLeaveTheReaderAsFound)
{
    const EndingRow rows[] = {
        {"failing", nullptr,
         R"({"id": "wl_assente", "title": "Assente", "command": "VerificaBadge", "args": {"CODICE": "0000054321"},
             "expect": {"fields": {"outESISTE": "0"}}})",
         1},
        {"stopped", "", "", 128 + SIGINT},
        {"dropped", "drop 500", "", 74},
    };
    for (const EndingRow& row : rows) {
        startSim({"--reader", "1"});
        const std::string before = sim->state(1);
        std::string plan = WaitingPlan;
        if (*row.failingCheck)
            plan.replace(plan.find(R"({"id": "ATTESA")"), std::string::npos, std::string(row.failingCheck) + "]}");
        QProcess lettore;
        lettore.start(LETTORE_BIN, collaudo({"--term", "1", "--badge", "--plan", planFile(plan)}));
        if (row.atPrompt) {
            std::string err;
            ASSERT_TRUE(processEventsUntil(
                [&] {
                    err += lettore.readAllStandardError().toStdString();
                    return err.find("presentare un badge") != std::string::npos;
                },
                10000))
                << row.name << ": " << err;
            if (*row.atPrompt)
                sim->command(row.atPrompt);
            else
                ::kill(static_cast<pid_t>(lettore.processId()), SIGINT);
        }
        EXPECT_EQ(exitOf(lettore, 15000), row.status)
            << row.name << "\n"
            << lettore.readAllStandardOutput().toStdString() << lettore.readAllStandardError().toStdString();
        EXPECT_EQ(sim->state(1), before) << row.name;
        sim.reset();
    }
}

// With --scan each reader found is tested at its own rate, with a report each and a summary page.
TEST_F(CollaudoEndToEndTest, ScanTestsEachReaderFound)
{
    startSim({"--reader", "1", "--reader", "3:baud=19200"});
    const ProgramRun run = runProgram(LETTORE_BIN, collaudo({"--scan", "0..3"}), 60000);
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("trovati 2\n"), std::string::npos) << run.out;
    const QStringList files = reports();
    EXPECT_EQ(files.filter("collaudo-001-").size(), 3);
    EXPECT_EQ(files.filter("collaudo-003-").size(), 3);
    EXPECT_EQ(files.filter("-riepilogo.html").size(), 1) << files.join(' ').toStdString();
}

}  // namespace
}  // namespace lettore::test
