// `lettore transactions` and `lettore enrol` killed with SIGKILL against the virtual reader, and the next run.
#include "LettoreProcess.h"
#include "PtyLine.h"

#include <csignal>
#include <fstream>
#include <map>
#include <regex>

namespace lettore::test {
namespace {

std::vector<std::string> linesOf(const QString& path)
{
    std::ifstream in(path.toStdString());
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Kills `lettore` `delayMs` after `file` has `lines` lines (the header counts); true when it was still running.
bool killWhen(const QString& file, std::size_t lines, int delayMs, const QStringList& arguments)
{
    QProcess run;
    run.start(LETTORE_BIN, arguments);
    if (!run.waitForStarted())
        return false;
    processEventsUntil([&] { return linesOf(file).size() >= lines || run.state() == QProcess::NotRunning; }, 20000);
    if (delayMs > 0)
        run.waitForFinished(delayMs);
    const bool running = run.state() == QProcess::Running;
    ::kill(static_cast<pid_t>(run.processId()), SIGKILL);
    run.waitForFinished();
    return running;
}

// Forty records downloaded by runs killed at various moments, each into its own file: every record is there once
// unmarked, and a record a killed run stored without confirming comes again marked as a repeat.
using KilledRunsTest = SimFolderTest;

TEST_F(KilledRunsTest, KilledDownloadsLoseNoRecordAndMarkEachRepeat)
{
    std::map<std::string, int> stored;  // status and code, as a row shows them
    QString transactions;
    for (int i = 0; i < 40; ++i) {
        const std::string record = std::string(1, '0' + i % 2) + "00000" + std::to_string(10000 + i);
        transactions += (i ? "+" : "") + QString::fromStdString(record);
        stored[record.substr(0, 1) + ",=\"" + record.substr(1) + "\""] = 0;
    }
    startSim({"--reader", "1:transactions=" + transactions, "--pace"});
    const auto download = [&](int run) {
        const QString file = folder.filePath(QString("run%1.csv").arg(run));
        return std::pair(file, on({"--term", "1", "transactions", "--out", file}));
    };
    const std::pair<std::size_t, int> kills[] = {{2, 0}, {4, 0}, {3, 7}, {5, 0}, {4, 20}, {2, 13}, {6, 0}};
    int run = 0, killed = 0;
    for (const auto& [lines, delayMs] : kills) {
        const auto [file, arguments] = download(++run);
        killed += killWhen(file, lines, delayMs, arguments);
    }
    EXPECT_EQ(killed, 7) << "every kill came before the download ended";
    const auto [file, arguments] = download(++run);
    const ProgramRun last = runProgram(LETTORE_BIN, arguments);
    EXPECT_EQ(last.status, 0) << last.err;

    int repeats = 0;
    const std::regex row("1,[^,]+,([01],=\"[0-9]{10}\"),(yes)?\r");  // reader, time, status and code, repeated
    for (int r = 1; r <= run; ++r)
        for (const std::string& line : linesOf(download(r).first)) {
            std::smatch cells;
            if (line.starts_with("reader"))
                continue;
            ASSERT_TRUE(std::regex_match(line, cells, row) && stored.count(cells[1])) << line;
            EXPECT_EQ(cells[2].matched, stored[cells[1]]++ > 0) << "run " << r << ": " << line;
            repeats += cells[2].matched;
        }
    for (const auto& [record, rows] : stored)
        EXPECT_GE(rows, 1) << record;
    std::cout << "[ repeats marked: " << repeats << " ]\n";
}

// An enrolment killed halfway resumes from its journal: every code read back, the journal removed; a dry run then
// finds every code of the list, whatever form it was written in.
TEST_F(KilledRunsTest, AKilledEnrolmentResumesFromItsJournal)
{
    startSim({"--reader", "1:baud=38400", "--pace"});
    const QString list = folder.filePath("list.csv");
    std::ofstream(list.toStdString()) << "Badge;Nome\n12001;a\n0000012002;b\n=\"0012003\";c\n";
    std::ofstream(list.toStdString(), std::ios::app) << [] {
        std::string more;
        for (int n = 12004; n < 12150; ++n)
            more += "000" + std::to_string(n) + ";x\n";
        return more;
    }();
    const QStringList enrol = on({"--baud", "38400", "--term", "1", "enrol", list});
    const QString journal = list + ".journal";
    ASSERT_TRUE(killWhen(journal, 60, 0, enrol));
    const ProgramRun resumed = runProgram(LETTORE_BIN, enrol);
    EXPECT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_NE(resumed.err.find("lettore: resuming: "), std::string::npos) << resumed.err;
    // The code the killed run sent last, after its last journal line, is found listed already.
    std::smatch counts;
    ASSERT_TRUE(std::regex_match(resumed.out, counts,
                                 std::regex("codici 149\naggiunti ([0-9]+)\npresenti ([0-9]+)\n"
                                            "verificati 149\ndiscordanti 0\nripresi ([0-9]+)\n")))
        << resumed.out;
    EXPECT_EQ(std::stoi(counts[1]) + std::stoi(counts[2]), 149);
    EXPECT_GE(std::stoi(counts[3]), 59);
    EXPECT_FALSE(QFile::exists(journal));
    EXPECT_EQ(runProgram(LETTORE_BIN, enrol + QStringList{"--dry-run"}).out,
              "codici 149\npresenti 149\nmancanti 0\nignoti 0\n");
}

}  // namespace
}  // namespace lettore::test
