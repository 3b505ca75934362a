#include "Framing.h"
#include "ManualClock.h"
#include "SimulatedPort.h"
#include "clsLettori.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace lettore {
namespace {

using test::ManualClock;
using test::SimulatedPort;

TEST(clsLettoriTest, CreatesTheLinkAtOnceWithItsPortConfiguredButClosed)
{
    ManualClock clock;
    auto owned = std::make_unique<SimulatedPort>(clock);
    SimulatedPort& port = *owned;
    clsLettori lettori(std::move(owned), clock);

    EXPECT_FALSE(port.open());
    EXPECT_FALSE(lettori.Comunicazione().Attivo());
    const auto calls = port.controlCalls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "settings 9600,N,8,1"), calls.end());
    EXPECT_EQ(port.threshold(), 1);
}

TEST(clsLettoriTest, CommandObjectWorksFirstAndIsAlwaysTheSame)
{
    ManualClock clock;
    auto owned = std::make_unique<SimulatedPort>(clock);
    SimulatedPort& port = *owned;
    clsLettori lettori(std::move(owned), clock);
    port.onWrite = [&](const std::string&) { port.feed(Framing::sibrant2Frame(2, "P", "V1.23 2026-01-31")); };

    // The command object is the first thing used: it reaches the link
    // through the registry.
    std::string version;
    EXPECT_EQ(lettori.Sibrant().GetVersioneFirmware(2, version), 0);
    EXPECT_EQ(version, "V1.23 2026-01-31");
    EXPECT_EQ(&lettori.Sibrant(), &lettori.Sibrant());
    EXPECT_EQ(&lettori.Comunicazione(), &lettori.Comunicazione());
}

}  // namespace
}  // namespace lettore
