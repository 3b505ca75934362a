#include "CommandLine.h"
#include "CommandRunner.h"
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

// A test registry whose reader answers every frame through `reply`.
class CliTest : public ::testing::Test {
protected:
    CliTest()
    {
        port.onWrite = [this](const std::string& frame) {
            const std::string answer = reply(frame);
            if (!answer.empty())
                port.feedAt(clock.nowMs() + 10, answer);
        };
    }

    CommandResult run(const std::vector<std::string>& args, int16_t term = 1)
    {
        const Invocation invocation = CommandLine::parse(args);
        CommandRunner runner(lettori, term, [this](const std::string& line) { progress.push_back(line); });
        return runner.run(invocation);
    }

    ManualClock clock;
    std::unique_ptr<SimulatedPort> owned = std::make_unique<SimulatedPort>(clock);
    SimulatedPort& port = *owned;
    clsLettori lettori{std::move(owned), clock};
    std::function<std::string(const std::string&)> reply = [](const std::string&) {
        return std::string(1, Framing::ACK);
    };
    std::vector<std::string> progress;
};

// Values are printed as "NAME VALUE" with bytes outside printable ASCII
// escaped.
TEST_F(CliTest, EscapesBytesOutsidePrintableAscii)
{
    reply = [](const std::string&) { return Framing::sibrant2Frame(1, "P", std::string("V1\x01\\ 2026-01-31 ", 16)); };
    EXPECT_EQ(run({"GetVersioneFirmware"}).text(), "esito 0\noutVERSION V1\\x01\\x5C 2026-01-31 \n");
}

TEST_F(CliTest, RangeInsertionSendsOneCreaBadgePerCodeAndKeepsGoing)
{
    // The reader refuses 0000000006 by staying silent.
    reply = [](const std::string& frame) {
        return frame.find("0000000006") != std::string::npos ? std::string() : Framing::sibrant2Frame(1, "P", "0");
    };
    port.clearRecord();
    const CommandResult result = run({"InserisciBadge", "5", "7"});
    ASSERT_EQ(port.writes().size(), 3u);
    for (int n = 0; n < 3; ++n)
        EXPECT_EQ(port.writes()[n], Framing::sibrant2Frame(1, "S", "41000000000" + std::to_string(5 + n)));
    EXPECT_EQ(result.text(), "esito 1\naccettati 2\nTxtRisposta 0000000007 0\n");
    EXPECT_EQ(progress, (std::vector<std::string>{"0000000005 0", "0000000006 ", "0000000007 0"}));

    port.clearRecord();
    EXPECT_EQ(run({"InserisciBadge", "5", "3"}).text(), "esito 0\naccettati 0\nTxtRisposta \n");
    EXPECT_TRUE(port.writes().empty());
}

TEST_F(CliTest, RawUsesTheChosenDialect)
{
    // An acknowledgement gets no answer: the answer printed is empty.
    port.clearRecord();
    EXPECT_EQ(run({"raw", "P", "\\x06"}).text(), "esito 0\nRisposta \n");
    EXPECT_EQ(port.writes().at(0), Framing::sibrant2Frame(1, "P", "\x06"));

    // A single-byte dialect cannot address 300: nothing is sent.
    port.clearRecord();
    EXPECT_EQ(run({"raw", "P", "2", "--dialect", "Sibrant"}, 300).esito, 4);
    EXPECT_TRUE(port.writes().empty());
    run({"raw", "P", "2", "--dialect", "Tolvane"}, 1);
    EXPECT_EQ(port.writes().at(0), *Framing::tolvaneFrame(1, "P", "2"));
}

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

TEST_F(CliTest, ReadingListenerPrintsEachTextAndAcknowledgesReadingsWhenAsked)
{
    for (bool acknowledge : {false, true}) {
        SCOPED_TRACE(acknowledge);
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
}

}  // namespace
}  // namespace lettore
