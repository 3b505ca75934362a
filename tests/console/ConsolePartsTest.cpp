// The console's small parts: the chime the build makes, the link relay, event-loop turns.
#include "EventLoopTurns.h"
#include "LinkRelay.h"
#include "ManualClock.h"
#include "SimulatedPort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace lettore {

// The chime the build makes: 16-bit mono PCM, short, audible, unclipped, silent at both ends.
TEST(LetturaOkWav, IsAShortCleanMonoChime)
{
    std::ifstream file(LETTURA_OK_WAV, std::ios::binary);
    const std::string wav((std::istreambuf_iterator<char>(file)), {});
    const auto le = [&wav](size_t at, int size) {  // little-endian
        uint32_t value = 0;
        for (int i = size - 1; i >= 0; --i)
            value = value << 8 | static_cast<unsigned char>(wav[at + i]);
        return value;
    };
    ASSERT_GE(wav.size(), 44u);
    const uint32_t rate = le(24, 4), size = wav.size();
    EXPECT_EQ(wav.substr(0, 4) + wav.substr(8, 8) + wav.substr(36, 4), "RIFFWAVEfmt data");
    // RIFF size, format size, PCM, mono, bytes a second, bytes a sample, bits, data size
    EXPECT_EQ((std::vector{le(4, 4), le(16, 4), le(20, 2), le(22, 2), le(28, 4), le(32, 2), le(34, 2), le(40, 4)}),
              (std::vector<uint32_t>{size - 8, 16, 1, 1, rate * 2, 2, 16, size - 44}));
    std::vector<int> samples;
    for (size_t at = 44; at + 1 < wav.size(); at += 2)
        samples.push_back(int16_t(le(at, 2)));
    const double seconds = double(samples.size()) / rate;
    EXPECT_TRUE(seconds >= 0.15 && seconds <= 0.3) << seconds;
    const int peak = std::ranges::max(samples, {}, [](int sample) { return std::abs(sample); });
    EXPECT_TRUE(std::abs(peak) > 32767 / 5 && std::abs(peak) < 32767 * 9 / 10) << peak;
    EXPECT_LT(std::max(std::abs(samples.front()), std::abs(samples.back())), 328);
}

// Records what reaches the monitor and the reading handler, in order.
struct RecordingView : TrafficView {
    std::vector<std::string> log;
    void setTextComando(const std::string& bytes) override { log.push_back("TextComando " + test::hex(bytes)); }
    void setRisposta(const std::string& bytes) override { log.push_back("Risposta " + test::hex(bytes)); }
    void AttivaLed_TX() override { log.push_back("Led_TX"); }
    void AttivaLed_RX() override { log.push_back("Led_RX"); }
    void AttivaLed_TO() override { log.push_back("Led_TO"); }
    void MostraErrore(int16_t codice, const std::string& text) override
    {
        log.push_back("Errore " + std::to_string(codice) + " " + text);
    }
};

// Command box before TX lamp; RX lamp, answer box, then the reading handler; a time-out its lamp; a failure shown.
TEST(LinkRelayTest, EventsReachMonitorAndReadingHandlerInOrder)
{
    RecordingView view;
    LinkRelay relay([&]() -> TrafficView& { return view; },
                    [&](const std::string& text) { view.log.push_back("Lettura " + test::hex(text)); });
    relay.ComTX("\x02"
                "0!2\x03\x22");
    relay.ComRX("\x06");
    relay.ComRX("");
    relay.ComTO();
    relay.Errore(5, "Input/output error");
    EXPECT_EQ(view.log, (std::vector<std::string>{"TextComando 02 30 21 32 03 22", "Led_TX", "Led_RX", "Risposta 06",
                                                  "Lettura 06", "Led_RX", "Risposta ", "Lettura ", "Led_TO",
                                                  "Errore 5 Input/output error"}));
}

// A turn is given at the first ask, then 20 ms after the last turn given (not the last asked), the clock wrapping too.
TEST(EventLoopTurnsTest, TurnsCloserThanTheGapPass)
{
    const struct {
        uint32_t start;
        std::vector<uint32_t> asked;  // ms after start
        std::vector<bool> given;
    } rows[] = {{0, {0, 1, 19, 20, 30, 39, 40, 140}, {true, false, false, true, false, false, true, true}},
                {0xFFFFFFF0u, {0, 10, 19, 20}, {true, false, false, true}}};
    for (const auto& row : rows) {
        test::ManualClock clock(row.start);
        int turns = 0;
        EventLoopTurns hook(clock, [&] { ++turns; });
        std::vector<bool> given;
        for (uint32_t now = 0; uint32_t at : row.asked) {
            clock.advance(at - std::exchange(now, at));
            const int before = turns;
            hook();
            given.push_back(turns > before);
        }
        EXPECT_EQ(given, row.given) << row.start;
    }
}

}  // namespace lettore
