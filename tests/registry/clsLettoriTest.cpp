#include "Framing.h"
#include "ManualClock.h"
#include "SimulatedPort.h"
#include "clsLettori.h"
#include "modLettori.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
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

// The process-wide registry can be created only once per process, so its
// whole life is one test.
TEST(modLettoriTest, RegistryIsCreatedOnFirstReferenceAndNeverReplaced)
{
    EXPECT_THROW(Lettori(), std::logic_error);

    static ManualClock clock;
    std::vector<SimulatedPort*> made;
    ASSERT_TRUE(installPlatform({[&] {
                                     made.push_back(new SimulatedPort(clock));
                                     return std::unique_ptr<Port>(made.back());
                                 },
                                 &clock, {}}));
    EXPECT_TRUE(made.empty());

    clsLettori& first = Lettori();
    ASSERT_EQ(made.size(), 1u);
    EXPECT_FALSE(made[0]->open());

    clsSibrant& sibrant = Lettori().Sibrant();
    EXPECT_EQ(&Lettori(), &first);
    EXPECT_EQ(&Lettori().Sibrant(), &sibrant);
    EXPECT_EQ(&Lettori().Comunicazione(), &first.Comunicazione());
    EXPECT_EQ(made.size(), 1u);

    EXPECT_FALSE(installPlatform({[] { return std::unique_ptr<Port>(); }, &clock, {}}));
    EXPECT_EQ(&Lettori(), &first);
}

}  // namespace
}  // namespace lettore
