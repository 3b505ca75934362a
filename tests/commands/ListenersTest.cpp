#include "ErrorWatcher.h"
#include "ReaderRig.h"
#include "ScopedSubscription.h"
#include "TraceListener.h"

#include <sstream>

namespace lettore::test {
namespace {

TEST(TraceListenerTest, OneLinePerEventWithTimestampAndHex)
{
    std::ostringstream out;
    TraceListener trace(out, [] { return std::string("12:00:00.007"); });
    trace.ComTX(std::string("\x02\x30\x21\x32\x03\x22", 6));
    trace.ComRX("");
    trace.ComTO();
    trace.Errore(8002, "Invalid port number");
    EXPECT_EQ(out.str(),
              "12:00:00.007 ComTX 02 30 21 32 03 22\n"
              "12:00:00.007 ComRX \n"
              "12:00:00.007 ComTO\n"
              "12:00:00.007 Errore 8002 Invalid port number\n");
}

using ListenersTest = ReaderRig;

// A listener hears the link only while its subscription lives; the error
// watcher keeps the last error's text, or its number when it has none.
TEST_F(ListenersTest, SubscriptionAndErrorWatcher)
{
    int errors = 0;
    ErrorWatcher watcher([&] { ++errors; });
    std::ostringstream out;
    TraceListener trace(out, [] { return std::string("t"); });
    {
        ScopedSubscription watching(lettori.Comunicazione(), watcher);
        ScopedSubscription tracing(lettori.Comunicazione(), trace);
        lettori.Sibrant().SendACK(1);
        port.failAlways("write", PortError(PortFailure::Other, 8020, ""));
        lettori.Sibrant().SendACK(1);
    }
    EXPECT_EQ(out.str(), "t ComTX 02 30 21 06 03 16\nt Errore 8020 \n");
    EXPECT_EQ(watcher.last(), "port error 8020");
    EXPECT_EQ(errors, 1);

    lettori.Sibrant().SendACK(1);
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(out.str(), "t ComTX 02 30 21 06 03 16\nt Errore 8020 \n");
}

}  // namespace
}  // namespace lettore::test
