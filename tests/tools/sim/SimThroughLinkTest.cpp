// Virtual readers driven by the real link and command set: on a bus in this process with the clock driven, and on a
// pseudo-terminal through the real port, for what only it shows (the rate set by termios, a line that drops, the
// link to the device).
#include "ByteText.h"
#include "Esito.h"
#include "Frame.h"
#include "PortOpening.h"
#include "PtyLine.h"
#include "QtPort.h"
#include "ReaderBusLine.h"
#include "VirtualLine.h"
#include "clsLettori.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <termios.h>
#include <unistd.h>

namespace {

using namespace lettore;
using namespace lettore::sim;
using Strings = std::vector<std::string>;

const std::string Firmware = "SIM LETTORE 1.00";

std::string frame(int16_t term, const char* type, const std::string& data)
{
    return Frame::of(term, type, data).encode();
}
std::string failed(int16_t esito) { return "esito " + std::to_string(esito); }
std::string shown(int16_t esito, const std::string& out) { return esito == Esito::Accepted ? out : failed(esito); }

class SimThroughLinkTest : public testing::Test, public LinkEvents {
protected:
    // The link at 9600 baud on a bus in this process with `readers`.
    void open(const Strings& readers, const LineSettings& settings = {})
    {
        m_bus = std::make_unique<test::ReaderBusLine>(parsed(readers), settings, m_manual);
        connect(m_bus->opener(), m_manual);
    }
    // The link at 9600 baud through COM9 on a pseudo-terminal with `readers`.
    void openOnPty(const Strings& readers)
    {
        m_line = std::make_unique<VirtualLine>(parsed(readers), LineSettings{});
        m_line->linkAs(linkPath());
        m_line->start();
        connect(portOpener(PortNaming(m_folder.path().toStdString())), m_steady);
    }
    static std::vector<ReaderSettings> parsed(const Strings& readers)
    {
        std::vector<ReaderSettings> out(readers.size());
        std::transform(readers.begin(), readers.end(), out.begin(), ReaderSettings::parse);
        return out;
    }
    void connect(const PortOpener& opener, Clock& clock)
    {
        m_lettori = std::make_unique<clsLettori>(opener, clock, processQtEvents);
        link().subscribe(this);
        link().setCommPort(9);
        link().setCommSettings("9600,N,8,1");
        link().setAttivo(true);
    }
    void ComRX(const std::string& stringa) override { m_heard.push_back(stringa); }
    std::string linkPath() const { return m_folder.path().toStdString() + "/COM9"; }
    clsComunicazioni& link() { return m_lettori->Comunicazione(); }
    std::string firmware(int16_t term)
    {
        std::string out;
        return shown(m_lettori->Sibrant().GetVersioneFirmware(term, out), out);
    }
    std::string exists(int16_t term, const std::string& code)
    {
        std::string out;
        return shown(m_lettori->Sibrant().VerificaBadge(term, code, out), out);
    }
    // Writes `bytes` as they stand and returns what the link passes on within 300 ms.
    Strings heardAfter(const std::string& bytes)
    {
        m_heard.clear();
        link().OnComm_Attivato();
        EXPECT_EQ(link().InviaComando(bytes), Esito::Accepted);
        m_bus->pass(300);
        link().OnComm_Disattivato();
        return m_heard;
    }

    QTemporaryDir m_folder;
    test::ManualClock m_manual;
    SteadyClock m_steady;
    Strings m_heard;
    std::unique_ptr<test::ReaderBusLine> m_bus;
    std::unique_ptr<VirtualLine> m_line;
    std::unique_ptr<clsLettori> m_lettori;
};

// Only frames at a reader's address and rate are answered, a broadcast silently, a bad check or a refusing reader
// with a NAK; a reader's fault is its own.
TEST_F(SimThroughLinkTest, AddressRateAndFaults)
{
    open({"1", "2:firmware=SECOND READER 20", "5:baud=19200", "16:fault=silent", "18:fault=nak"});
    EXPECT_EQ(firmware(2), "SECOND READER 20");
    std::string bad = frame(1, "S", "420000000042");
    bad.back() = static_cast<char>(bad.back() ^ 0x01);
    const Strings nak{std::string(1, Frame::NAK)};
    for (const auto& [bytes, heard] :
         std::vector<std::pair<std::string, Strings>>{{frame(3, "P", "2"), {}},
                                                      {frame(5, "P", "2"), {}},
                                                      {frame(256, "S", "410000000042"), {}},
                                                      {bad, nak},
                                                      {frame(18, "S", "410000000042"), nak}})
        EXPECT_EQ(heardAfter(bytes), heard);
    EXPECT_EQ(exists(1, "0000000042") + exists(2, "0000000042"), "11");
    link().setCommSettings("19200,N,8,1");
    EXPECT_EQ(heardAfter(frame(1, "P", "2")), Strings{});
    EXPECT_EQ(exists(5, "0000000042"), "0");
    link().setCommSettings("9600,N,8,1");
    EXPECT_EQ(firmware(16) + ", " + firmware(1), failed(Esito::TimedOut) + ", " + Firmware);
}

// Badges presented on schedule go to each multimaster reader in turn.
TEST_F(SimThroughLinkTest, BadgesPresentedOnScheduleGoToEachReaderInTurn)
{
    open({"5", "6"}, {.multimaster = true, .presentEverySeconds = 1, .presentCodes = {"0000000007"}});
    link().OnComm_Attivato();
    m_bus->pass(2500);
    EXPECT_EQ(m_heard, (Strings{frame(5, "P", "00000000007"), frame(6, "P", "00000000007")}));
}

// Paced, an answer takes the line's byte time: 6 request and 21 answer bytes of 10 bits at 1200 baud, 225 ms. What
// overflows the 4 KB output queue, and a frame without an end, are dropped and logged.
TEST_F(SimThroughLinkTest, PacedLineTakesItsTimeAndDropsWhatItCannotHold)
{
    open({"1:baud=1200"}, {.pace = true});
    link().setCommSettings("1200,N,8,1");
    EXPECT_EQ(link().InviaComando(std::string(1, Frame::STX) + std::string(100'000, 'A')), Esito::Accepted);
    const uint32_t start = m_manual.nowMs();
    EXPECT_EQ(firmware(1), Firmware);
    EXPECT_EQ(m_manual.nowMs() - start, 225u);
    std::string burst;
    for (int i = 0; i < 400; ++i)
        burst += frame(1, "P", "2");
    EXPECT_EQ(link().InviaComando(burst), Esito::Accepted);
    for (const char* line :
         {"21 bytes dropped: 4095 bytes already wait to go out", "1023 bytes dropped: no frame end within 1024 bytes"})
        EXPECT_NE(m_bus->logged().find(line), std::string::npos) << line;
}

// A Tolvane answer is confirmed by the link's lone ACK, which the line hands to that reader and logs.
TEST_F(SimThroughLinkTest, TolvaneAnswerIsConfirmedByTheLinksAck)
{
    open({"7:model=tolvane,transactions=10000000042"});
    for (const char* expected : {"3C 37 31 30 30 30 30 30 30 30 30 34 32 30 30 3E", "3C 37 30 30 37 3E"}) {
        int16_t esito = -1;
        std::string answer;
        link().Tolvane(7, "P", "", esito, answer);
        EXPECT_EQ(shown(esito, ByteText::hex(answer)), expected);
    }
    EXPECT_NE(
        m_bus->logged().find("RX 9600 [04 04 37 05] command Tolvane address 7 poll; reader 7 P: GetTransazione\n"),
        std::string::npos);
    EXPECT_NE(m_bus->logged().find("RX 9600 [06] ACK; reader 7: answer acknowledged\n"), std::string::npos);
}

// On the pseudo-terminal, a reader that drops the line fails the exchange as a port failure.
TEST_F(SimThroughLinkTest, ADroppedLineFailsTheExchange)
{
    openOnPty({"17:fault=drop"});
    EXPECT_EQ(firmware(17), failed(Esito::PortFailed));
}

// A broadcast just before the close, on a device left at 9600, is heard at 19200.
TEST_F(SimThroughLinkTest, LastFrameBeforeACloseIsHeardAtItsOwnRate)
{
    openOnPty({"1:baud=19200"});
    link().setAttivo(false);
    link().setCommSettings("19200,N,8,1");
    int heard = 0;
    for (int i = 0; i < 50; ++i) {
        const int fd = ::open(m_line->slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        termios t{};
        ::tcgetattr(fd, &t);
        ::cfsetspeed(&t, B9600);
        ::tcsetattr(fd, TCSANOW, &t);
        ::close(fd);
        const std::string code = std::to_string(1000000000 + i);
        ASSERT_EQ(m_lettori->Sibrant().CreaBadge(256, code), Esito::Accepted);
        link().setAttivo(false);
        heard += exists(1, code) == "1" ? 1 : 0;
    }
    EXPECT_EQ(heard, 50);
}

TEST_F(SimThroughLinkTest, NewerLineKeepsTheLinkAndNoFileIsReplaced)
{
    auto older = std::make_unique<VirtualLine>(std::vector{ReaderSettings{}}, LineSettings{});
    older->linkAs(linkPath());
    VirtualLine newer({ReaderSettings{}}, {});
    newer.linkAs(linkPath());
    older.reset();
    EXPECT_EQ(std::filesystem::read_symlink(linkPath()).string(), newer.slavePath());
    std::filesystem::remove(linkPath());
    std::ofstream(linkPath()) << "keep me";
    EXPECT_THROW(newer.linkAs(linkPath()), std::system_error);
    EXPECT_TRUE(std::filesystem::is_regular_file(linkPath()));
}

}  // namespace
