// The longest range, unpaced, twice: every code ends on the reader's list,
// and lettore's resident memory and open descriptors stay flat.
#include "LettoreProcess.h"
#include "ResourceSampler.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

namespace lettore::test {
namespace {

TEST(SoakTest, LongestRangeLeavesEveryCodeOnTheListWithFlatMemory)
{
    QTemporaryDir folder;
    SimProcess sim(folder.filePath("COM9"), {"--reader", "1:capacity=32768"});
    std::vector<ResourceSample> samples;
    for (const char status : {'0', '1'}) {  // each code added, then each one already there
        QProcess lettore;
        lettore.start(LETTORE_BIN, {"--port", folder.filePath("COM9"), "--term", "1", "InserisciBadge", "0", "32767"});
        while (lettore.waitForStarted() && !lettore.waitForFinished(50))
            if (const auto s = sampleResources(std::to_string(lettore.processId())); s && status == '0')
                samples.push_back(*s);
        EXPECT_EQ(lettore.readAllStandardOutput().toStdString(),
                  std::string("esito 0\naccettati 32768\nTxtRisposta 0000032767 ") + status + "\ninviati 32768\nstato " + status + " 32768\n");
        EXPECT_EQ(exitOf(lettore), 0);
    }
    // From the second sample on: the first may come before the port opened.
    ASSERT_GE(samples.size(), 20u) << "too few samples to see a trend";
    samples.erase(samples.begin());
    const ResidentGrowth growth = residentGrowth(samples);
    EXPECT_LE(growth.grownKb(), 512) << "resident memory grew from " << growth.earlyKb << " kB to " << growth.lateKb << " kB";
    // A loaded machine may sample before the port opened: descriptors from a tenth in.
    EXPECT_EQ(samples[samples.size() / 10].descriptors, samples.back().descriptors) << "descriptors opened and not closed";
    std::printf("soak: %zu samples, resident %ld kB early, %ld kB late, %ld descriptors\n", samples.size(), growth.earlyKb,
                growth.lateKb, samples.back().descriptors);
}

}  // namespace
}  // namespace lettore::test
