#include "LinkRelay.h"
#include "SimulatedPort.h"

#include <gtest/gtest.h>

namespace lettore {

// Records what reaches the monitor and the reading handler, in order.
struct RecordingView : TrafficView {
    std::vector<std::string> log;
    void setTextComando(const std::string& bytes) override { log.push_back("TextComando " + test::hex(bytes)); }
    void setRisposta(const std::string& bytes) override { log.push_back("Risposta " + test::hex(bytes)); }
    void AttivaLed_TX() override { log.push_back("Led_TX"); }
    void AttivaLed_RX() override { log.push_back("Led_RX"); }
    void AttivaLed_TO() override { log.push_back("Led_TO"); }
    void MostraErrore(int16_t codice, const std::string& text) override { log.push_back("Errore " + std::to_string(codice) + " " + text); }
};

// Command box before TX lamp; RX lamp, answer box, then the reading handler; a time-out its lamp; a failure shown.
TEST(LinkRelayTest, EventsReachMonitorAndReadingHandlerInOrder)
{
    RecordingView view;
    LinkRelay relay([&]() -> TrafficView& { return view; }, [&](const std::string& text) { view.log.push_back("Lettura " + test::hex(text)); });
    relay.ComTX("\x02" "0!2\x03\x22");
    relay.ComRX("\x06");
    relay.ComRX("");
    relay.ComTO();
    relay.Errore(5, "Input/output error");
    EXPECT_EQ(view.log, (std::vector<std::string>{"TextComando 02 30 21 32 03 22", "Led_TX", "Led_RX", "Risposta 06", "Lettura 06",
                                                  "Led_RX", "Risposta ", "Lettura ", "Led_TO", "Errore 5 Input/output error"}));
}

}  // namespace lettore
