#include "Framing.h"
#include "ManualClock.h"
#include "SimulatedPort.h"
#include "clsLettori.h"
#include "modLettori.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <utility>
#include <vector>

namespace lettore {
namespace {

using test::ManualClock;
using test::SimulatedPort;

// The link exists as soon as the registry does, its port configured but
// closed; the command object works as the first thing used.
TEST(clsLettoriTest, LinkIsReadyButClosedAndTheCommandObjectWorksFirst)
{
    ManualClock clock;
    auto owned = std::make_unique<SimulatedPort>(clock);
    SimulatedPort& port = *owned;
    clsLettori lettori(std::move(owned), clock);

    EXPECT_FALSE(port.open());
    const auto calls = port.controlCalls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "settings 9600,N,8,1"), calls.end());
    EXPECT_EQ(port.threshold(), 1);

    port.onWrite = [&](const std::string&) { port.feed(Framing::sibrant2Frame(2, "P", "V1.23 2026-01-31")); };
    std::string version;
    EXPECT_EQ(lettori.Sibrant().GetVersioneFirmware(2, version), 0);
    EXPECT_EQ(version, "V1.23 2026-01-31");
}

// A simulated port that tells, as it goes, whether it was still open.
class WatchedPort : public SimulatedPort {
public:
    WatchedPort(ManualClock& clock, bool& openAtDestruction)
        : SimulatedPort(clock), m_openAtDestruction(openAtDestruction) {}
    ~WatchedPort() override { m_openAtDestruction = open(); }

private:
    bool& m_openAtDestruction;
};

// The process-wide registry can be created only once per process, so its
// whole life is one test: created on first reference, never replaced,
// released with its port closed, and refused afterwards.
TEST(modLettoriTest, RegistryLivesFromFirstReferenceUntilReleased)
{
    EXPECT_THROW(Lettori(), std::logic_error);

    static ManualClock clock;
    std::vector<SimulatedPort*> made;
    bool openAtDestruction = true;
    std::vector<std::pair<std::string, bool>> played;
    ASSERT_TRUE(installPlatform({[&] {
                                     made.push_back(new WatchedPort(clock, openAtDestruction));
                                     return std::unique_ptr<Port>(made.back());
                                 },
                                 &clock, {},
                                 [&](const std::string& file, bool async) {
                                     played.emplace_back(file, async);
                                 }}));
    EXPECT_TRUE(made.empty());

    clsLettori& first = Lettori();
    ASSERT_EQ(made.size(), 1u);
    EXPECT_FALSE(made[0]->open());

    clsSibrant& sibrant = Lettori().Sibrant();
    EXPECT_EQ(&Lettori(), &first);
    EXPECT_EQ(&Lettori().Sibrant(), &sibrant);
    EXPECT_EQ(&Lettori().Comunicazione(), &first.Comunicazione());
    EXPECT_EQ(made.size(), 1u);

    EXPECT_FALSE(installPlatform({[] { return std::unique_ptr<Port>(); }, &clock, {}, {}}));
    EXPECT_EQ(&Lettori(), &first);

    // The sound plays only for a file that exists, relative to the current directory.
    const std::string wav = "modLettoriTest-sound.wav";
    std::ofstream(wav) << "RIFF";
    RiproduciSuono("modLettoriTest-missing.wav", true);
    RiproduciSuono(wav, true);
    RiproduciSuono(wav, false);
    std::remove(wav.c_str());
    EXPECT_EQ(played, (std::vector<std::pair<std::string, bool>>{{wav, true}, {wav, false}}));

    Lettori().Comunicazione().setAttivo(true);
    ASSERT_TRUE(made[0]->open());
    releaseLettori();
    EXPECT_FALSE(openAtDestruction);
    EXPECT_THROW(Lettori(), std::logic_error);
    EXPECT_FALSE(installPlatform({[] { return std::unique_ptr<Port>(); }, &clock, {}, {}}));
}

}  // namespace
}  // namespace lettore
