#include "clsLettori.h"
#include "ManualClock.h"
#include "SimulatedPort.h"
#include "modLettori.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace lettore {
namespace {

// The port starts closed; the event loop gets a turn between exchanges only after 100 ms without one.
TEST(clsLettoriTest, LinkReadyCommandsMadeOnceAndTheEventLoopNotStarved)
{
    test::ManualClock clock;
    test::SimulatedPort port(clock);
    int turns = 0;
    clsLettori lettori(port.opener(), clock, [&] { ++turns, clock.advance(1); });
    EXPECT_FALSE(port.open());
    EXPECT_EQ(&lettori.Sibrant(), &lettori.Sibrant());
    std::string version;
    lettori.Sibrant().GetVersioneFirmware(2, version);  // unanswered: its wait gives turns
    turns = 0;
    for (const uint32_t ms : {0, 100, 98, 1})
        clock.advance(ms), lettori.yieldIfStarved();
    EXPECT_EQ(turns, 2);
}

// The process-wide registry: made on first reference, never replaced, released with its port closed.
TEST(modLettoriTest, RegistryLivesFromFirstReferenceUntilReleased)
{
    EXPECT_THROW(Lettori(), std::logic_error);
    static test::ManualClock clock;
    static test::SimulatedPort line(clock);
    int made = 0;
    std::vector<std::pair<std::string, bool>> played;
    const PortOpener makePort = [&](const std::string& address) { return ++made, line.opener()(address); };
    ASSERT_TRUE(installPlatform(
        {makePort, &clock, {}, [&](const std::string& file, bool async) { played.emplace_back(file, async); }}));
    EXPECT_EQ(made, 0);  // until the first reference
    clsLettori& first = Lettori();
    EXPECT_FALSE(installPlatform({makePort, &clock, {}, {}}));
    EXPECT_EQ(&Lettori(), &first);
    EXPECT_EQ(made, 1);
    // Only a file that exists plays.
    const std::string wav = "modLettoriTest-sound.wav";
    std::ofstream(wav) << "RIFF";
    for (const auto& [file, async] : {std::pair{"missing.wav", true}, {wav.c_str(), true}, {wav.c_str(), false}})
        RiproduciSuono(file, async);
    std::remove(wav.c_str());
    EXPECT_EQ(played, (std::vector<std::pair<std::string, bool>>{{wav, true}, {wav, false}}));

    Lettori().Comunicazione().setAttivo(true);
    EXPECT_TRUE(line.open());
    releaseLettori();
    EXPECT_FALSE(line.open());
    EXPECT_THROW(Lettori(), std::logic_error);
}

}  // namespace
}  // namespace lettore
