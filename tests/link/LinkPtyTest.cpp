#include "CpuTime.h"
#include "Esito.h"
#include "Framing.h"
#include "LinkRig.h"
#include "PtyLine.h"
#include "QtPort.h"
#include "ScriptedPeer.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace lettore {
namespace {

using test::hex;
using test::processCpuSeconds;
using test::processEventsUntil;
using test::PtyLine;
using test::ScriptedPeer;
using Strings = std::vector<std::string>;
using namespace std::chrono_literals;

std::string withBcc(const std::string& frame) { return frame + Framing::CalcolaBCC(frame); }

const std::string Request = Framing::sibrant2Frame(1, "P", "2");  // firmware version
const std::string RequestSent = "ComTX " + hex(Request);
const std::string Answer = withBcc("\x02" "01" "SIB2 V1.04      " "\x03");

class LinkPtyTest : public ::testing::Test {
protected:
    LinkPtyTest()
    {
        link.subscribe(&log);
        link.setCommPort(line.number());
        link.setCommSettings("9600,N,8,1");
    }

    int16_t exchange(std::string& Risposta)
    {
        int16_t esito = -1;
        link.Sibrant2(1, "P", "2", esito, Risposta);
        return esito;
    }

    // Whether another program could open the device now.
    bool deviceFree()
    {
        QtPort other(line.naming());
        other.setPortNumber(line.number());
        try {
            other.setOpen(true);
            return true;
        } catch (const PortError&) {
            return false;
        }
    }

    PtyLine line;
    ScriptedPeer peer{line.pty()};
    test::EventLog log;
    SteadyClock clock;
    clsComunicazioni link{std::make_unique<QtPort>(line.naming()), clock, processQtEvents};
};

TEST_F(LinkPtyTest, ExchangesEndAsTheAnswerSays)
{
    const struct {
        const char* name;
        std::string reply;
        int16_t esito;
        std::string Risposta;
        std::string received;
    } rows[] = {
        {"accepted frame", Answer, Esito::Accepted, Answer, "ComRX " + hex(Answer)},
        {"wrong check character", Answer.substr(0, Answer.size() - 1) + "!", Esito::Rejected, "", "ComRX \"\""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        log.events.clear();
        peer.expect({.request = Request, .reply = row.reply});
        std::string Risposta = "old";
        EXPECT_EQ(exchange(Risposta), row.esito);
        EXPECT_EQ(Risposta, row.Risposta);
        EXPECT_EQ(log.events, (Strings{RequestSent, row.received}));
        EXPECT_TRUE(deviceFree()) << "Attivo is false: the port closes after the exchange";
    }
    EXPECT_EQ(line.pty().baudRate(), 9600);
}

// The one real five-second wait of the suite: a stray byte, then silence.
TEST_F(LinkPtyTest, SilentReaderTimesOutWithoutSpinning)
{
    peer.expect({.request = Request, .reply = "Z"});
    int eventLoopTurns = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++eventLoopTurns; });
    ticker.start(100);

    const double cpuBefore = processCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    std::string Risposta = "old";
    EXPECT_EQ(exchange(Risposta), Esito::TimedOut);
    const auto waited = std::chrono::steady_clock::now() - start;
    const double cpu = processCpuSeconds() - cpuBefore;

    EXPECT_EQ(Risposta, "");
    EXPECT_EQ(log.events, (Strings{RequestSent, "ComTO"}));
    EXPECT_GT(waited, 5000ms);
    EXPECT_LT(waited, 6000ms);
    EXPECT_LT(cpu, 0.25) << "the wait must block, not poll";
    EXPECT_GE(eventLoopTurns, 30) << "the window system gets its turns during the wait";
}

TEST_F(LinkPtyTest, UnsolicitedFramesArriveThroughTheReceiveNotification)
{
    link.setAttivo(true);
    const std::string reading = withBcc("\x02" "01" "B0000123456" "\x03");
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        log.events.clear();
        peer.send(reading);
        EXPECT_TRUE(processEventsUntil([&] { return !log.events.empty(); }));
        EXPECT_EQ(log.events, (Strings{"ComRX " + hex(reading)}));
    }
}

TEST_F(LinkPtyTest, ProbeTellsUsableMissingAndHeldDevices)
{
    link.setAttivo(true);
    std::filesystem::create_symlink(line.folder() + "/unplugged", line.comLink(9));
    PseudoTerminal held;
    held.linkAs(line.comLink(5));
    QtPort holder(line.naming());
    holder.setPortNumber(5);
    holder.setOpen(true);

    const struct {
        const char* name;
        int16_t number;
        int16_t S_Stato;
    } rows[] = {
        {"the link's own device", line.number(), 1},
        {"missing device", 9, 3},
        {"device held by another port", 5, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        int16_t S_Stato = 0;
        std::string S_Setting;
        link.AnalizzaSeriale(row.number, S_Stato, S_Setting);
        EXPECT_EQ(S_Stato, row.S_Stato);
        EXPECT_EQ(S_Setting, "9600,N,8,1");
        EXPECT_FALSE(deviceFree()) << "the link's port is open again";
    }
    EXPECT_TRUE(log.events.empty());
    EXPECT_EQ(link.CommPort(), line.number());
    EXPECT_TRUE(link.Attivo());
}

TEST_F(LinkPtyTest, ReaderVanishingMidAnswerFailsTheExchange)
{
    peer.expect({.request = Request, .reply = "\x02" "01", .hangUp = true});
    const auto start = std::chrono::steady_clock::now();
    std::string Risposta = "old";
    EXPECT_EQ(exchange(Risposta), Esito::PortFailed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << "not a time-out";
    EXPECT_EQ(Risposta, "");
    ASSERT_EQ(log.events.size(), 2u);
    EXPECT_EQ(log.events[0], RequestSent);
    EXPECT_EQ(log.events[1].rfind("Errore ", 0), 0u) << log.events[1];
}

}  // namespace
}  // namespace lettore
