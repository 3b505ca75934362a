// The longest range, unpaced, against the virtual reader: every code ends
// on the reader's list, and lettore's resident memory and open descriptors
// stay flat from the start of the run to its end (sampled from /proc).
#include "LettoreProcess.h"
#include "ResourceSampler.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace lettore::test {
namespace {

// Runs one InserisciBadge 0..32767 with its samples every 50 ms.
struct SampledRun {
    std::string out;
    int status = -1;
    std::vector<ResourceSample> samples;
};

SampledRun insertAll(const QString& link)
{
    SampledRun run;
    QProcess lettore;
    lettore.start(LETTORE_BIN, {"--port", link, "--term", "1", "InserisciBadge", "0", "32767"});
    if (!lettore.waitForStarted())
        return run;
    while (!lettore.waitForFinished(50))
        if (const auto s = sampleResources(std::to_string(lettore.processId())))
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

    // From the second sample on: the first may come before the port opened.
    ASSERT_GE(first.samples.size(), 20u) << "too few samples to see a trend";
    const std::vector<ResourceSample> s(first.samples.begin() + 1, first.samples.end());
    const ResidentGrowth growth = residentGrowth(s);
    EXPECT_LE(growth.grownKb(), 512) << "resident memory grew from " << growth.earlyKb << " kB to " << growth.lateKb << " kB";
    EXPECT_EQ(s.front().descriptors, s.back().descriptors) << "descriptors opened and not closed";
    std::printf("soak: %zu samples, resident %ld kB early, %ld kB late, %ld descriptors\n", s.size(),
                growth.earlyKb, growth.lateKb, s.back().descriptors);
}

}  // namespace
}  // namespace lettore::test
