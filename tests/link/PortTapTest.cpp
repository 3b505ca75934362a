// The port tap under the link on a simulated port: every byte of an
// exchange told once, in order, with its direction and wall time, and a
// port failure told before it reaches the link.
#include "PortTap.h"
#include "SimulatedPort.h"
#include "clsComunicazioni.h"

#include <gtest/gtest.h>

using namespace lettore;
using namespace lettore::test;

namespace {

class Recorder : public PortTap::Listener {
public:
    std::vector<std::string> lines;
    void traffic(TrafficRow::Direction direction, const std::string& time, const std::string& bytes) override
    {
        lines.push_back(time + " " + TrafficRow::name(direction) + " " + hex(bytes));
    }
    void portFailed(const std::string& time, const std::string& text) override
    {
        lines.push_back(time + " failed " + text);
    }
};

TEST(PortTap, TellsEveryByteOnceInOrderWithItsDirection)
{
    ManualClock clock(0);
    auto* port = new SimulatedPort(clock);
    auto* tap = new PortTap(std::unique_ptr<Port>(port), [&clock] {
        return std::chrono::system_clock::time_point(std::chrono::milliseconds(clock.nowMs()));
    });
    Recorder recorder;
    tap->setListener(&recorder);
    clsComunicazioni link(std::unique_ptr<Port>(tap), clock);
    link.setAttivo(true);

    // A reading left waiting, then an answer after noise, in two pieces.
    clock.advance(5);
    port->feed(unhex("55 02 30 21 4F 4B 03 14"));
    port->onWrite = [&](const std::string&) {
        port->feedAt(clock.nowMs() + 20, unhex("FF 7E 00 55 02 30"));
        port->feedAt(clock.nowMs() + 30, unhex("21 4F 4B 03 14"));
        port->onWrite = nullptr;
    };
    int16_t esito = 0;
    std::string answer;
    link.Sibrant2(1, "P", "2", esito, answer);
    EXPECT_EQ(hex(answer), "02 30 21 4F 4B 03 14");

    port->failNext("write", PortError(PortFailure::Other, 31, "Device gone"));
    link.Sibrant2(1, "P", "2", esito, answer);

    std::vector<std::string> expected{
        "1970-01-01T00:00:00.005Z discarded 55 02 30 21 4F 4B 03 14",
        "1970-01-01T00:00:00.005Z TX 02 30 21 32 03 22",
    };
    // The answer is read a byte at a time while it is collected.
    for (const char* byte : {"FF", "7E", "00", "55", "02", "30"})
        expected.push_back("1970-01-01T00:00:00.025Z RX " + std::string(byte));
    for (const char* byte : {"21", "4F", "4B", "03", "14"})
        expected.push_back("1970-01-01T00:00:00.035Z RX " + std::string(byte));
    expected.push_back("1970-01-01T00:00:00.035Z failed write: Device gone");
    EXPECT_EQ(recorder.lines, expected);
}

}  // namespace
