#include "ManualClock.h"
#include "SimulatedPort.h"
#include "modLettori.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace lettore {
namespace {

using test::ManualClock;
using test::SimulatedPort;

// The process-wide registry can be created only once per process, so its
// whole life is one test.
TEST(modLettoriTest, RegistryIsCreatedOnFirstReferenceAndNeverReplaced)
{
    EXPECT_THROW(Lettori(), std::logic_error);

    static ManualClock clock;
    int portsMade = 0;
    SimulatedPort* made = nullptr;
    ASSERT_TRUE(installPlatform({[&] {
                                     ++portsMade;
                                     auto port = std::make_unique<SimulatedPort>(clock);
                                     made = port.get();
                                     return port;
                                 },
                                 &clock, {}}));
    EXPECT_EQ(portsMade, 0);

    clsLettori& first = Lettori();
    EXPECT_EQ(portsMade, 1);
    ASSERT_NE(made, nullptr);
    EXPECT_FALSE(made->open());

    clsSibrant& sibrant = Lettori().Sibrant();
    EXPECT_EQ(&Lettori(), &first);
    EXPECT_EQ(&Lettori().Sibrant(), &sibrant);
    EXPECT_EQ(&Lettori().Comunicazione(), &first.Comunicazione());
    EXPECT_EQ(portsMade, 1);

    EXPECT_FALSE(installPlatform({[] { return std::unique_ptr<Port>(); }, &clock, {}}));
    EXPECT_EQ(&Lettori(), &first);
}

}  // namespace
}  // namespace lettore
