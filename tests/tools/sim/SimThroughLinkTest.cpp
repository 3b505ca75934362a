// The virtual reader driven by the real link, port and command set, the way
// the console and the command line drive it; and the program itself.
#include "ByteText.h"
#include "Esito.h"
#include "FastClock.h"
#include "Framing.h"
#include "PtyLine.h"
#include "QtPort.h"
#include "SimOptions.h"
#include "VirtualLine.h"
#include "clsLettori.h"

#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <termios.h>
#include <unistd.h>

namespace {

using namespace lettore;
using namespace lettore::sim;
using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

constexpr int16_t PortNumber = 9;  // the link's name below
const std::string Firmware = "SIM LETTORE 1.00";

std::string frame(int16_t term, const char* type, const std::string& data)
{
    return Framing::sibrant2Frame(term, type, data);
}

std::string failed(int16_t esito) { return "esito " + std::to_string(esito); }

class Recorder : public LinkEvents {
public:
    void ComRX(const std::string& stringa) override
    {
        received.push_back(stringa);
        if (onReceived)
            onReceived(stringa);
    }
    Strings received;
    std::function<void(const std::string&)> onReceived;
};

class SimThroughLinkTest : public testing::Test {
protected:
    void open(const Strings& readers, LineSettings settings = {})
    {
        std::vector<ReaderSettings> parsed;
        for (const auto& text : readers)
            parsed.push_back(ReaderSettings::parse(text));
        m_line = std::make_unique<VirtualLine>(parsed, settings, &m_log);
        m_line->linkAs(linkPath());
        m_line->start();
        connectLink();
    }

    void connectLink()
    {
        m_lettori = std::make_unique<clsLettori>(
            std::make_unique<QtPort>(PortNaming(m_folder.path().toStdString())), m_clock, processQtEvents);
        link().subscribe(&m_heard);
        link().setCommPort(PortNumber);
        link().setCommSettings("9600,N,8,1");
        link().setAttivo(true);
    }

    std::string linkPath() const { return m_folder.path().toStdString() + "/COM9"; }
    clsComunicazioni& link() { return m_lettori->Comunicazione(); }
    clsSibrant& reader() { return m_lettori->Sibrant(); }
    void submit(const std::string& text) { m_line->submit(LineCommand::parse(text)); }

    // The firmware text reader `term` answers, or how the exchange ended.
    std::string firmware(int16_t term)
    {
        std::string version;
        const int16_t esito = reader().GetVersioneFirmware(term, version);
        return esito == Esito::Accepted ? version : failed(esito);
    }

    // Whether reader `term` has `code` on its white list, or how the
    // exchange ended.
    std::string exists(int16_t term, const std::string& code)
    {
        std::string out;
        const int16_t esito = reader().VerificaBadge(term, code, out);
        return esito == Esito::Accepted ? out : failed(esito);
    }

    // Writes `bytes` as they stand, with receive notifications on, and
    // returns what the link passes on within 300 ms.
    Strings heardAfter(const std::string& bytes)
    {
        m_heard.received.clear();
        link().OnComm_Attivato();
        EXPECT_EQ(link().InviaComando(bytes), Esito::Accepted);
        test::processEventsUntil([] { return false; }, 300);
        link().OnComm_Disattivato();
        return m_heard.received;
    }

    bool heardWithin(std::size_t count, int ms)
    {
        return test::processEventsUntil([&] { return m_heard.received.size() >= count; }, ms);
    }

    QTemporaryDir m_folder;
    test::FastClock m_clock;
    std::ostringstream m_log;  // written by the line's thread; read after it stops
    Recorder m_heard;          // outlives the link it listens to
    std::unique_ptr<VirtualLine> m_line;
    std::unique_ptr<clsLettori> m_lettori;
};

TEST_F(SimThroughLinkTest, OnlyFramesAtTheReadersAddressAndRateAreAnswered)
{
    open({"1", "2:firmware=SECOND READER 20", "5:baud=19200"});
    EXPECT_EQ(firmware(2), "SECOND READER 20");
    EXPECT_EQ(heardAfter(frame(3, "P", "2")), Strings{});
    EXPECT_EQ(heardAfter(frame(5, "P", "2")), Strings{});
    // Readers at the line's rate carry out a broadcast without answering.
    EXPECT_EQ(heardAfter(frame(256, "S", "410000000042")), Strings{});
    std::string bad = frame(1, "S", "420000000042");
    bad.back() = static_cast<char>(bad.back() ^ 0x01);
    EXPECT_EQ(heardAfter(bad), Strings{std::string(1, Framing::NAK)});
    EXPECT_EQ(exists(1, "0000000042"), "1");
    EXPECT_EQ(exists(2, "0000000042"), "1");
    link().setCommSettings("19200,N,8,1");
    EXPECT_EQ(heardAfter(frame(1, "P", "2")), Strings{});
    EXPECT_EQ(exists(5, "0000000042"), "0");
}

// Noise ahead of an answer goes out on the line, and the link drops it.
// (The other answer faults are met end to end by lettore.)
TEST_F(SimThroughLinkTest, NoiseAheadOfTheAnswerIsDropped)
{
    open({"1:fault=noise"});
    EXPECT_EQ(firmware(1), Firmware);
    m_line.reset();
    EXPECT_NE(m_log.str().find(" " + ByteText::hex(frame(1, "P", Firmware)) + "]"), std::string::npos)
        << m_log.str();
}

TEST_F(SimThroughLinkTest, LateAnswerArrivesAfterTheTimeOut)
{
    LineSettings settings;
    settings.lateBy = 2000ms;
    open({"1:fault=late"}, settings);
    EXPECT_EQ(exists(1, "0000000042"), failed(Esito::TimedOut));
    link().OnComm_Attivato();
    ASSERT_TRUE(heardWithin(1, 1500));
    EXPECT_EQ(m_heard.received, Strings{frame(1, "P", "0")});
    submit("fault 1 none");
    EXPECT_EQ(firmware(1), Firmware);
}

TEST_F(SimThroughLinkTest, LineDropIsAPortFailure)
{
    open({"1:fault=drop", "2"});
    EXPECT_EQ(firmware(1), failed(Esito::PortFailed));
}

TEST_F(SimThroughLinkTest, MultimasterReadingsRepeatUntilTheirReaderAcknowledges)
{
    LineSettings settings;
    settings.multimaster = true;
    settings.readingRepeat = 300ms;
    open({"5", "6"}, settings);
    EXPECT_EQ(reader().CreaBadge(5, "0000000042"), Esito::Accepted);
    m_heard.received.clear();  // the link reports that answer too
    const std::string first = frame(5, "P", "10000000042");
    link().OnComm_Attivato();
    submit("present 5 0000000042");
    submit("present 5 0000000043");
    ASSERT_TRUE(heardWithin(1, 1000));
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(heardWithin(2, 1000));
    EXPECT_GE(timer.elapsed(), 250);
    EXPECT_EQ(m_heard.received, (Strings{first, first}));

    EXPECT_EQ(reader().SendACK(6), Esito::Accepted);  // confirms nothing at reader 5
    ASSERT_TRUE(heardWithin(3, 1000));
    EXPECT_EQ(m_heard.received.back(), first);
    EXPECT_EQ(reader().SendACK(5), Esito::Accepted);
    const std::string next = frame(5, "P", "00000000043");
    EXPECT_TRUE(test::processEventsUntil([&] { return m_heard.received.back() == next; }, 1000));
}

// Readers on one line presenting at once: acknowledging one reading takes
// the others off the line, and each is acknowledged in turn, not when its
// reader repeats it 2 s later. Each reader has two codes; the second goes
// out only once the first is acknowledged.
TEST_F(SimThroughLinkTest, ReadersPresentingAtOnceAreAllAcknowledgedPromptly)
{
    const auto address = [](const std::string& r) { return (r[1] - 0x30) * 16 + r[2] - 0x20; };
    for (const int readers : {3, 16}) {
        LineSettings settings;
        settings.multimaster = true;
        settings.readingRepeat = 2000ms;
        Strings addresses, expected, got;
        for (int n = 1; n <= readers; ++n)
            addresses.push_back(std::to_string(n));
        m_lettori.reset();
        open(addresses, settings);
        m_heard.received.clear();
        m_heard.onReceived = [&](const std::string& r) { reader().SendACK(static_cast<int16_t>(address(r))); };
        link().OnComm_Attivato();
        for (const std::string& n : addresses) {
            for (const char* code : {"0000000001", "0000000002"}) {
                submit("present " + n + " " + code);
                expected.push_back(n + " " + code);
            }
        }
        heardWithin(expected.size(), 1500);
        for (const std::string& r : m_heard.received)
            got.push_back(std::to_string(address(r)) + " " + r.substr(4, 10));
        std::sort(got.begin(), got.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(got, expected) << readers << " readers";
    }
}

TEST_F(SimThroughLinkTest, BadgesPresentedOnScheduleGoToEachReaderInTurn)
{
    LineSettings settings;
    settings.multimaster = true;
    settings.presentEverySeconds = 1;
    settings.presentCodes = {"0000000007"};
    open({"5", "6"}, settings);
    link().OnComm_Attivato();
    ASSERT_TRUE(heardWithin(2, 2500));
    EXPECT_EQ(m_heard.received, (Strings{frame(5, "P", "00000000007"), frame(6, "P", "00000000007")}));
}

TEST_F(SimThroughLinkTest, PacedAnswerTakesTheLinesByteTime)
{
    LineSettings settings;
    settings.pace = true;
    open({"1:baud=1200"}, settings);
    link().setCommSettings("1200,N,8,1");
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(firmware(1), Firmware);
    // 6 request and 21 answer bytes of 10 bits at 1200 baud: 225 ms.
    EXPECT_GE(timer.elapsed(), 215);
    EXPECT_LE(timer.elapsed(), 450);
}

TEST_F(SimThroughLinkTest, LastFrameBeforeACloseIsHeardAtItsOwnRate)
{
    // The reader listens at 19200 on a device left at 9600 by its previous
    // user. A broadcast and the close right after it: the reader must hear
    // the broadcast at 19200, which it shows by having the code afterwards.
    open({"1:baud=19200"});
    link().setAttivo(false);
    link().setCommSettings("19200,N,8,1");
    const auto leaveDeviceAt9600 = [&] {
        const int fd = ::open(m_line->slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        termios t{};
        ::tcgetattr(fd, &t);
        ::cfsetspeed(&t, B9600);
        ::tcsetattr(fd, TCSANOW, &t);
        ::close(fd);
    };
    int heard = 0;
    constexpr int Runs = 50;
    for (int i = 0; i < Runs; ++i) {
        leaveDeviceAt9600();
        const std::string code = std::to_string(1000000000 + i);
        ASSERT_EQ(reader().CreaBadge(256, code), Esito::Accepted);
        link().setAttivo(false);
        heard += exists(1, code) == "1" ? 1 : 0;
    }
    EXPECT_EQ(heard, Runs);
}

// A start character followed by endless bytes: the line drops the
// unfinished frame, says so, and answers the next request.
TEST_F(SimThroughLinkTest, EndlessFrameIsDroppedAndLogged)
{
    open({"1"});
    EXPECT_EQ(link().InviaComando(std::string(1, Framing::STX) + std::string(100'000, 'A')), Esito::Accepted);
    EXPECT_EQ(firmware(1), Firmware);
    m_line.reset();
    EXPECT_NE(m_log.str().find("1023 bytes dropped: no frame end within 1024 bytes"), std::string::npos)
        << m_log.str();
}

// Requests faster than the answers can leave at 1200 baud: once 4 KB wait,
// further answers are dropped and logged. The line reads the whole burst
// before the first answer has left, 225 ms later.
TEST_F(SimThroughLinkTest, AnswersBeyondTheQueueAreDroppedAndLogged)
{
    LineSettings settings;
    settings.pace = true;
    open({"1:baud=1200"}, settings);
    link().setCommSettings("1200,N,8,1");
    std::string burst;
    for (int i = 0; i < 400; ++i)
        burst += frame(1, "P", "2");
    link().OnComm_Attivato();
    EXPECT_EQ(link().InviaComando(burst), Esito::Accepted);
    ASSERT_TRUE(heardWithin(1, 3000));
    EXPECT_EQ(m_heard.received[0], frame(1, "P", Firmware));
    m_line.reset();
    EXPECT_NE(m_log.str().find("21 bytes dropped: 4095 bytes already wait to go out"), std::string::npos)
        << m_log.str().substr(0, 2000);
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

TEST_F(SimThroughLinkTest, ProgramPrintsItsDeviceAndLeavesCleanlyOnSigterm)
{
    QProcess program;
    program.start(LETTORE_SIM_PROGRAM, {"--link", QString::fromStdString(linkPath()), "--reader", "3"});
    ASSERT_TRUE(program.waitForReadyRead());
    const std::string device = program.readLine().trimmed().toStdString();
    EXPECT_EQ(std::filesystem::read_symlink(linkPath()).string(), device);
    connectLink();
    EXPECT_EQ(firmware(3), Firmware);

    program.terminate();
    ASSERT_TRUE(program.waitForFinished());
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_FALSE(std::filesystem::is_symlink(linkPath()));
}

TEST(SimProgramTest, HelpDocumentsEveryOption)
{
    QProcess program;
    program.start(LETTORE_SIM_PROGRAM, {"--help"});
    ASSERT_TRUE(program.waitForFinished());
    EXPECT_EQ(program.exitCode(), 0);
    const std::string help = program.readAllStandardOutput().toStdString();
    const Strings options[] = {{"--pace"},         {"--multimaster"},          {"--help"},
                               {"--link", "COM9"}, {"--log", "-"},             {"--reader", "3"},
                               {"--late-ms", "1"}, {"--split-pause-ms", "1"},  {"--present-every", "2"},
                               {"--codes", "0000000001"}};
    for (const auto& arguments : options) {
        EXPECT_NE(help.find(arguments[0] + " "), std::string::npos) << arguments[0];
        EXPECT_NO_THROW(SimOptions::parse(arguments)) << arguments[0];
    }
}

}  // namespace
