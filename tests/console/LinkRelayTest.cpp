#include "LinkRelay.h"
#include "ManualClock.h"
#include "SimulatedPort.h"
#include "clsComunicazioni.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lettore {
namespace {

using test::ManualClock;
using test::SimulatedPort;
using test::unhex;

// Records what reaches the monitor and the reading handler, in order.
class RecordingView : public TrafficView {
public:
    std::vector<std::string>& log;
    explicit RecordingView(std::vector<std::string>& l) : log(l) {}
    void setTextComando(const std::string& bytes) override { log.push_back("TextComando " + test::hex(bytes)); }
    void setRisposta(const std::string& bytes) override { log.push_back("Risposta " + test::hex(bytes)); }
    void AttivaLed_TX() override { log.push_back("Led_TX"); }
    void AttivaLed_RX() override { log.push_back("Led_RX"); }
    void AttivaLed_TO() override { log.push_back("Led_TO"); }
    void MostraErrore(int16_t codice, const std::string& descrizione) override
    {
        log.push_back("Errore " + std::to_string(codice) + " " + descrizione);
    }
};

struct RelayRig {
    ManualClock clock;
    SimulatedPort* port = new SimulatedPort(clock);
    clsComunicazioni link{std::unique_ptr<Port>(port), clock, [this] { clock.advance(1); }};
    std::vector<std::string> log;
    RecordingView view{log};
    LinkRelay relay{[this]() -> TrafficView& { return view; },
                    [this](const std::string& s) { log.push_back("Lettura " + test::hex(s)); }};
    RelayRig() { link.subscribe(&relay); }
};

// Each event reaches the monitor and the reading handler in its order:
// the command box before the transmit lamp; the receive lamp before the
// answer box, and the reading handler last.
TEST(LinkRelayTest, EventsReachMonitorAndReadingHandlerInOrder)
{
    RelayRig rig;
    rig.port->onWrite = [&](const std::string&) { rig.port->feed(unhex("02 30 21 41 03 51")); };
    int16_t esito = -1;
    std::string risposta;
    rig.link.Sibrant2(1, "P", "2", esito, risposta);
    ASSERT_EQ(esito, 0);
    EXPECT_EQ(rig.log, (std::vector<std::string>{
                           "TextComando 02 30 21 32 03 22",
                           "Led_TX",
                           "Led_RX",
                           "Risposta 02 30 21 41 03 51",
                           "Lettura 02 30 21 41 03 51",
                       }));
}

// A time-out lights only its lamp; a rejected answer reaches the monitor
// and the reading handler as the empty text.
TEST(LinkRelayTest, TimeOutAndRejectedAnswer)
{
    RelayRig rig;
    int16_t esito = -1;
    std::string risposta;
    rig.link.Sibrant2(1, "P", "2", esito, risposta);
    ASSERT_EQ(esito, 1);
    EXPECT_EQ(rig.log, (std::vector<std::string>{"TextComando 02 30 21 32 03 22", "Led_TX", "Led_TO"}));

    rig.log.clear();
    rig.port->onWrite = [&](const std::string&) { rig.port->feed(unhex("02 30 21 41 03 50")); };
    rig.link.Sibrant2(1, "P", "2", esito, risposta);
    ASSERT_EQ(esito, 2);
    EXPECT_EQ(rig.log, (std::vector<std::string>{"TextComando 02 30 21 32 03 22", "Led_TX", "Led_RX",
                                                 "Risposta ", "Lettura "}));
}

// A port failure reaches the monitor whether the frame went out or not: a
// write that fails shows only the failure; a read that fails after the
// write shows the command, its lamp, then the failure.
TEST(LinkRelayTest, PortFailuresReachTheMonitor)
{
    struct Row {
        const char* failing;
        std::vector<std::string> shown;
    };
    const Row rows[] = {
        {"write", {"Errore 5 the line dropped or the device was removed"}},
        {"read", {"TextComando 02 30 21 32 03 22", "Led_TX",
                  "Errore 5 the line dropped or the device was removed"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.failing);
        RelayRig rig;
        rig.port->onWrite = [&](const std::string&) { rig.port->failAlways("read", PortError(PortFailure::Other, 5, LineDroppedText)); };
        if (std::string(row.failing) == "write")
            rig.port->failAlways("write", PortError(PortFailure::Other, 5, LineDroppedText));
        int16_t esito = -1;
        std::string risposta;
        rig.link.Sibrant2(1, "P", "2", esito, risposta);
        EXPECT_EQ(esito, 3);
        EXPECT_EQ(rig.log, row.shown);
    }
}

}  // namespace
}  // namespace lettore
