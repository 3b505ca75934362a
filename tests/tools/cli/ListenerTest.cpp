#include "Framing.h"
#include "ManualClock.h"
#include "ReadingListener.h"
#include "SimulatedPort.h"
#include "TraceListener.h"
#include "clsLettori.h"

#include <gtest/gtest.h>

#include <sstream>

namespace lettore {
namespace {

using test::ManualClock;
using test::SimulatedPort;

// A reading from reader `address` as it sends one on its own.
std::string reading(int address, const std::string& code)
{
    return Framing::sibrant2Frame(static_cast<int16_t>(address), "P", "1" + code);
}

TEST(ReadingListenerTest, AddressOfAReading)
{
    for (int address : {0, 5, 255})
        EXPECT_EQ(ReadingListener::readingAddress(reading(address, "0000000042")), address);
    const std::string good = reading(5, "0000000042");
    const auto addressed = [&](const std::string& characters) { return good.substr(0, 1) + characters + good.substr(3); };
    // Too short, too long, high nibble below 0 or of 16, low part below 0,
    // 15 * 16 + 16 past 255.
    for (const std::string& text :
         {good.substr(0, 15), good + "x", addressed("/5"), addressed("@5"), addressed("0\x1F"), addressed("?0")})
        EXPECT_FALSE(ReadingListener::readingAddress(text)) << test::hex(text);
}

TEST(ReadingListenerTest, PrintsEachTextAndAcknowledgesReadingsWhenAsked)
{
    for (bool acknowledge : {false, true}) {
        SCOPED_TRACE(acknowledge);
        ManualClock clock;
        auto owned = std::make_unique<SimulatedPort>(clock);
        SimulatedPort& port = *owned;
        clsLettori lettori(std::move(owned), clock);
        std::ostringstream out;
        ReadingListener listener(lettori, out, acknowledge);
        port.clearRecord();

        listener.ComRX(reading(5, "0000000042"));
        listener.ComRX(std::string(1, Framing::ACK));
        listener.ComRX("");
        std::string odd = reading(5, "0000000042");
        odd[1] = '@';
        listener.ComRX(odd);

        EXPECT_EQ(out.str(), "lettura 5 0000000042\nComRX 06\nComRX \nComRX 02 40 25 31 30 30 30 30 30 30 30 30 34 32 03 "
                                 + test::hex(odd.substr(15)) + "\n");
        ASSERT_EQ(port.writes().size(), acknowledge ? 1u : 0u);
        if (acknowledge)
            EXPECT_EQ(port.writes()[0], Framing::sibrant2Frame(5, "P", std::string(1, Framing::ACK)));
    }
}

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
    const std::string now = TraceListener::timeOfDay();
    ASSERT_EQ(now.size(), 12u);
    EXPECT_EQ(now[2], ':');
    EXPECT_EQ(now[8], '.');
}

}  // namespace
}  // namespace lettore
