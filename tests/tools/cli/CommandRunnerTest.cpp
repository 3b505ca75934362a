#include "CommandLine.h"
#include "CommandRunner.h"
#include "Framing.h"
#include "ManualClock.h"
#include "SimulatedPort.h"
#include "clsLettori.h"

#include <gtest/gtest.h>

namespace lettore {
namespace {

using test::ManualClock;
using test::SimulatedPort;

// A test registry whose reader answers every frame through `reply`.
class CommandRunnerTest : public ::testing::Test {
protected:
    CommandRunnerTest()
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
TEST_F(CommandRunnerTest, EscapesBytesOutsidePrintableAscii)
{
    reply = [](const std::string&) { return Framing::sibrant2Frame(1, "P", std::string("V1\x01\\ 2026-01-31 ", 16)); };
    EXPECT_EQ(run({"GetVersioneFirmware"}).text(), "esito 0\noutVERSION V1\\x01\\x5C 2026-01-31 \n");
}

TEST_F(CommandRunnerTest, RangeInsertionSendsOneCreaBadgePerCodeAndKeepsGoing)
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

TEST_F(CommandRunnerTest, RawUsesTheChosenDialect)
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

}  // namespace
}  // namespace lettore
