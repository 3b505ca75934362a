#include "ErrorWatcher.h"
#include "ReaderRig.h"
#include "ScopedSubscription.h"

namespace lettore::test {
namespace {

// Records the frames the link sends.
struct SentFrames : LinkEvents {
    std::string out;
    void ComTX(const std::string& bytes) override { out += hex(bytes) + "\n"; }
};

using ListenersTest = ReaderRig;

// A listener hears the link only while its subscription lives; the error
// watcher keeps the last error's text, or its number when it has none.
TEST_F(ListenersTest, SubscriptionAndErrorWatcher)
{
    int errors = 0;
    ErrorWatcher watcher([&] { ++errors; });
    SentFrames trace;
    {
        ScopedSubscription watching(lettori.Comunicazione(), watcher);
        ScopedSubscription tracing(lettori.Comunicazione(), trace);
        lettori.Sibrant().SendACK(1);
        port.failAlways("write", PortError(PortFailure::Other, 8020, ""));
        lettori.Sibrant().SendACK(1);
    }
    EXPECT_EQ(trace.out, "02 30 21 06 03 16\n");
    EXPECT_EQ(watcher.last(), "port error 8020");
    EXPECT_EQ(errors, 1);

    lettori.Sibrant().SendACK(1);
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(trace.out, "02 30 21 06 03 16\n");
}

}  // namespace
}  // namespace lettore::test
