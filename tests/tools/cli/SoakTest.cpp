// The longest range, unpaced, against the virtual reader: every code ends
// on the reader's list, and lettore's resident memory and open descriptors
// stay flat from the start of the run to its end (sampled from /proc).
#include "LettoreProcess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace lettore::test {
namespace {

struct Sample {
    long residentKb = 0;
    int descriptors = 0;
};

// Resident memory and open descriptors of process `pid`; nothing once it
// has gone.
std::optional<Sample> sample(qint64 pid)
{
    QFile status(QString("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return std::nullopt;
    Sample s;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            s.residentKb = line.mid(6).trimmed().split(' ').front().toLong();
    s.descriptors = static_cast<int>(QDir(QString("/proc/%1/fd").arg(pid)).entryList(QDir::NoDotAndDotDot).size());
    if (s.residentKb == 0)
        return std::nullopt;  // a zombie: the run has ended
    return s;
}

// Runs one InserisciBadge 0..32767 with its samples every 50 ms.
struct SampledRun {
    std::string out;
    int status = -1;
    std::vector<Sample> samples;
};

SampledRun insertAll(const QString& link)
{
    SampledRun run;
    QProcess lettore;
    lettore.start(LETTORE_BIN, {"--port", link, "--term", "1", "InserisciBadge", "0", "32767"});
    if (!lettore.waitForStarted())
        return run;
    while (!lettore.waitForFinished(50))
        if (const auto s = sample(lettore.processId()))
            run.samples.push_back(*s);
    run.out = lettore.readAllStandardOutput().toStdString();
    run.status = lettore.exitCode();
    return run;
}

TEST(SoakTest, LongestRangeLeavesEveryCodeOnTheListWithFlatMemory)
{
    QTemporaryDir folder;
    const QString link = folder.filePath("COM9");
    SimProcess sim(link, {"--reader", "1:capacity=32768"});

    // Status 0 for every code: each one was added.
    const SampledRun first = insertAll(link);
    EXPECT_EQ(first.out, "esito 0\naccettati 32768\nTxtRisposta 0000032767 0\ninviati 32768\nstato 0 32768\n");
    EXPECT_EQ(first.status, 0);

    // Status 1 for every code: each one is on the list.
    const SampledRun second = insertAll(link);
    EXPECT_EQ(second.out, "esito 0\naccettati 32768\nTxtRisposta 0000032767 1\ninviati 32768\nstato 1 32768\n");

    // The first tenth of the run against the last tenth.
    const std::vector<Sample>& s = first.samples;
    ASSERT_GE(s.size(), 20u) << "too few samples to see a trend";
    const size_t tenth = s.size() / 10;
    const auto maxKb = [](auto begin, auto end) {
        long most = 0;
        for (auto it = begin; it != end; ++it)
            most = std::max(most, it->residentKb);
        return most;
    };
    const long early = maxKb(s.begin() + 1, s.begin() + 1 + tenth);
    const long late = maxKb(s.end() - tenth, s.end());
    EXPECT_LE(late - early, 512) << "resident memory grew from " << early << " kB to " << late << " kB";
    EXPECT_EQ(s[1].descriptors, s.back().descriptors) << "descriptors opened and not closed";
    std::printf("soak: %zu samples, resident %ld kB early, %ld kB late, %d descriptors\n", s.size(),
                early, late, s.back().descriptors);
}

}  // namespace
}  // namespace lettore::test
