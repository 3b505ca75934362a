// `lettore collaudo` as a process against the virtual reader: the reader's state, as it prints it, the same after a
// run stopped by Ctrl-C and one whose line dropped; their exit statuses.
#include "LettoreProcess.h"
#include "PtyLine.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>

namespace lettore::test {
namespace {

// A code added, then a wait for a badge, while which the test acts.
const char* const WaitingPlan = R"({"name": "attesa", "steps": [
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
    QTemporaryDir folder;
    std::unique_ptr<SimProcess> sim;
};

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
        lettore.start(LETTORE_BIN, collaudo({"--term", "1", "--badge", "--plan", plan}));
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

}  // namespace
}  // namespace lettore::test
