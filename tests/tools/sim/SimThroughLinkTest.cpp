// The virtual reader on a pseudo-terminal driven by the real link, port and command set.
#include "Esito.h"
#include "FastClock.h"
#include "Framing.h"
#include "PtyLine.h"
#include "QtPort.h"
#include "VirtualLine.h"
#include "clsLettori.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <termios.h>
#include <unistd.h>

namespace {

using namespace lettore;
using namespace lettore::sim;
using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

const std::string Firmware = "SIM LETTORE 1.00";

std::string frame(int16_t term, const char* type, const std::string& data) { return Framing::sibrant2Frame(term, type, data); }
std::string failed(int16_t esito) { return "esito " + std::to_string(esito); }

class SimThroughLinkTest : public testing::Test, public LinkEvents {
protected:
    // The line with `readers`, and the link on it through the link COM9 at 9600 baud.
    void open(const Strings& readers, const LineSettings& settings = {})
    {
        std::vector<ReaderSettings> parsed;
        for (const auto& text : readers)
            parsed.push_back(ReaderSettings::parse(text));
        m_lettori.reset();
        m_line = std::make_unique<VirtualLine>(parsed, settings, &m_log);
        m_line->linkAs(linkPath());
        m_line->start();
        m_lettori = std::make_unique<clsLettori>(std::make_unique<QtPort>(PortNaming(m_folder.path().toStdString())), m_clock,
                                                 processQtEvents);
        link().subscribe(this);
        link().setCommPort(9);
        link().setCommSettings("9600,N,8,1");
        link().setAttivo(true);
    }
    void ComRX(const std::string& stringa) override { m_heard.push_back(stringa); }
    std::string linkPath() const { return m_folder.path().toStdString() + "/COM9"; }
    clsComunicazioni& link() { return m_lettori->Comunicazione(); }
    // The firmware text reader `term` answers, or how the exchange ended.
    std::string firmware(int16_t term)
    {
        std::string version;
        const int16_t esito = m_lettori->Sibrant().GetVersioneFirmware(term, version);
        return esito == Esito::Accepted ? version : failed(esito);
    }
    // Whether reader `term` holds `code` on its white list, or how the exchange ended.
    std::string exists(int16_t term, const std::string& code)
    {
        std::string out;
        const int16_t esito = m_lettori->Sibrant().VerificaBadge(term, code, out);
        return esito == Esito::Accepted ? out : failed(esito);
    }
    // Writes `bytes` as they stand and returns what the link passes on within 300 ms.
    Strings heardAfter(const std::string& bytes)
    {
        m_heard.clear();
        link().OnComm_Attivato();
        EXPECT_EQ(link().InviaComando(bytes), Esito::Accepted);
        test::processEventsUntil([] { return false; }, 300);
        link().OnComm_Disattivato();
        return m_heard;
    }
    bool heardWithin(std::size_t count, int ms) { return test::processEventsUntil([&] { return m_heard.size() >= count; }, ms); }

    QTemporaryDir m_folder;
    test::FastClock m_clock;
    std::ostringstream m_log;  // written by the line's thread; read after it stops
    Strings m_heard;
    std::unique_ptr<VirtualLine> m_line;
    std::unique_ptr<clsLettori> m_lettori;
};

// Only frames at a reader's address and rate are answered; readers at the
// line's rate carry out a broadcast silently; a bad check character gets a NAK.
// Each fault of the answers once: its result, and the next exchange with a
// sound reader right; a drop last.
TEST_F(SimThroughLinkTest, AddressRateAndEachAnswerFault)
{
    open({"1", "2:firmware=SECOND READER 20", "5:baud=19200", "12:fault=noise", "13:fault=split", "14:fault=badbcc",
          "15:fault=garble", "16:fault=silent", "17:fault=drop"});
    EXPECT_EQ(firmware(2), "SECOND READER 20");
    std::string bad = frame(1, "S", "420000000042");
    bad.back() = static_cast<char>(bad.back() ^ 0x01);
    for (const auto& [bytes, heard] : std::vector<std::pair<std::string, Strings>>{
             {frame(3, "P", "2"), {}}, {frame(5, "P", "2"), {}}, {frame(256, "S", "410000000042"), {}}, {bad, {std::string(1, Framing::NAK)}}})
        EXPECT_EQ(heardAfter(bytes), heard);
    EXPECT_EQ(exists(1, "0000000042") + exists(2, "0000000042"), "11");
    link().setCommSettings("19200,N,8,1");
    EXPECT_EQ(heardAfter(frame(1, "P", "2")), Strings{});
    EXPECT_EQ(exists(5, "0000000042"), "0");
    link().setCommSettings("9600,N,8,1");
    const std::pair<int16_t, std::string> faults[] = {
        {12, Firmware}, {13, Firmware}, {14, failed(Esito::Rejected)}, {15, failed(Esito::Rejected)}, {16, failed(Esito::TimedOut)}};
    for (const auto& [term, result] : faults) {
        EXPECT_EQ(firmware(term), result) << "reader " << term;
        EXPECT_EQ(firmware(1), Firmware) << "after reader " << term;
    }
    EXPECT_EQ(firmware(17), failed(Esito::PortFailed));
}

// Badges presented on schedule go to each multimaster reader in turn.
TEST_F(SimThroughLinkTest, BadgesPresentedOnScheduleGoToEachReaderInTurn)
{
    LineSettings settings;
    settings.multimaster = true;
    settings.presentEverySeconds = 1;
    settings.presentCodes = {"0000000007"};
    open({"5", "6"}, settings);
    link().OnComm_Attivato();
    ASSERT_TRUE(heardWithin(2, 2500));
    EXPECT_EQ(m_heard, (Strings{frame(5, "P", "00000000007"), frame(6, "P", "00000000007")}));
}

// Paced at 1200 baud an answer takes the line's byte time; answers beyond
// the 4 KB queue are dropped and logged, and so is an endless frame.
TEST_F(SimThroughLinkTest, PacedLineTakesItsTimeAndDropsWhatItCannotHold)
{
    LineSettings settings;
    settings.pace = true;
    open({"1:baud=1200"}, settings);
    link().setCommSettings("1200,N,8,1");
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(firmware(1), Firmware);
    // 6 request and 21 answer bytes of 10 bits at 1200 baud: 225 ms.
    EXPECT_TRUE(timer.elapsed() >= 215 && timer.elapsed() <= 450) << timer.elapsed();
    EXPECT_EQ(link().InviaComando(std::string(1, Framing::STX) + std::string(100'000, 'A')), Esito::Accepted);
    EXPECT_EQ(firmware(1), Firmware);
    std::string burst;
    for (int i = 0; i < 400; ++i)
        burst += frame(1, "P", "2");
    link().OnComm_Attivato();
    EXPECT_EQ(link().InviaComando(burst), Esito::Accepted);
    ASSERT_TRUE(heardWithin(1, 3000));  // the whole burst is read before the first answer has left
    m_line.reset();
    for (const char* logged : {"21 bytes dropped: 4095 bytes already wait to go out", "1023 bytes dropped: no frame end within 1024 bytes"})
        EXPECT_NE(m_log.str().find(logged), std::string::npos) << logged;
}

// A broadcast and the close right after it, on a device its previous user
// left at 9600: the reader at 19200 must hear it, and so hold the code.
TEST_F(SimThroughLinkTest, LastFrameBeforeACloseIsHeardAtItsOwnRate)
{
    open({"1:baud=19200"});
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
