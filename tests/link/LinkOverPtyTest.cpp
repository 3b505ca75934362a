// The real port and its device names, and the link on it, over pseudo-terminals against a scripted peer.
#include "CpuTime.h"
#include "Esito.h"
#include "LinkRig.h"
#include "PortOpening.h"
#include "PtyLine.h"
#include "QtPort.h"
#include "ScriptedPeer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <termios.h>
#include <thread>
#include <tuple>

namespace lettore {
namespace {

namespace fs = std::filesystem;
using test::processEventsUntil;
using test::PtyLine;
using test::ScriptedPeer;
using namespace std::chrono_literals;

// A port number names its COM<N> link, else /dev/ttyS<N-1>; a path is a device; other kinds reach none.
TEST(PortNamingTest, ComLinkNamesItsTargetOtherNumbersAreTtySNMinusOne)
{
    QTemporaryDir dir;
    const fs::path folder = dir.path().toStdString();
    // Two hops, the first relative.
    std::ofstream((folder / "device").string()).put('x');
    fs::create_symlink("device", folder / "serial-by-id");
    fs::create_symlink("serial-by-id", folder / "COM5");
    // A dangling link is still followed, never /dev/ttyS5.
    fs::create_symlink("gone/ttyUSB0", folder / "COM6");
    const PortNaming naming(folder.string());
    // A relative path is the current directory's; a bare name is left to Qt, which looks under /dev.
    for (const auto& [address, path] : std::vector<std::pair<std::string, std::string>>{
             {"5", fs::canonical(folder / "device").string()},
             {"6", (folder / "gone/ttyUSB0").string()},
             {"1", "/dev/ttyS0"},
             {"0", ""},
             {"-3", ""},
             {"40000", ""},
             {"007", "/dev/ttyS6"},
             {"odd/../other/line", (fs::current_path() / "other/line").string()},
             {"/dev/ttyUSB0", "/dev/ttyUSB0"},
             {"ttyUSB0", "ttyUSB0"},
             {(folder / "COM5").string(), fs::canonical(folder / "device").string()},
             {"5x", "5x"},
             {"tcp://reader:4001", ""},
             {"", ""}})
        EXPECT_EQ(naming.deviceFor(address), path) << address;
    EXPECT_EQ(PortNaming().deviceFor("2"), "/dev/ttyS1");
    PortNaming pinned(folder.string());
    pinned.pinDevice("ttyUSB1");
    EXPECT_EQ(pinned.deviceFor("5"), "ttyUSB1");
    for (const char* address : {"socket://reader:4001", "RFC2217://reader"})
        EXPECT_THROW(openPort(address, naming), PortError) << address;
    const auto tabled = openPort("7", naming, PortTable::parse("7 = tcp://reader:4001"));
    EXPECT_EQ(dynamic_cast<NetworkPort&>(*tabled).address().text(), "tcp://reader:4001");
}

// Runs `operation`, which must fail, and returns its failure.
template <typename Operation>
PortError failureOf(Operation operation)
{
    try {
        operation();
    } catch (const PortError& error) {
        return error;
    }
    ADD_FAILURE() << "no PortError";
    return PortError(PortFailure::Other, -1, "none");
}
std::pair<PortFailure, int> kindOf(const PortError& error) { return {error.kind(), error.number()}; }

class QtPortTest : public ::testing::Test {
protected:
    QtPortTest()
    {
        port.setEventHandler([this](CommEvent event) { events.push_back(event); });
    }
    std::string address() const { return std::to_string(line.number()); }
    PtyLine line;
    ScriptedPeer peer{line.pty()};
    QtPort port{line.naming(), address()};
    std::vector<CommEvent> events;
};

// Speed, stop bits, odd and stick parity reach the device; settings it refuses change nothing.
TEST_F(QtPortTest, SettingsReachTheLineWhenItOpens)
{
    const std::tuple<const char*, int, tcflag_t> rows[] = {{"9600,N,8,1", 9600, 0},
                                                           {"19200,E,7,2", 19200, CSTOPB},
                                                           {"1200,O,5,1", 1200, PARODD},
                                                           {"115200,M,6,1", 115200, PARODD | CMSPAR},
                                                           {"4800,S,8,2", 4800, CMSPAR | CSTOPB}};
    for (const auto& [settings, baud, flags] : rows) {
        SCOPED_TRACE(settings);
        port.setSettings(settings);  // closed: kept for the open
        port.open();
        termios t{};
        tcgetattr(line.pty().slaveFd(), &t);
        EXPECT_EQ(line.pty().baudRate(), baud);
        EXPECT_EQ(t.c_cflag & (PARODD | CMSPAR | CSTOPB), flags);
        EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u) << "no software flow control";
        EXPECT_EQ(failureOf([&] { port.setSettings("38400,N,9,1"); }).kind(), PortFailure::Other);
        EXPECT_EQ(std::make_tuple(port.settings(), line.pty().baudRate(), port.isOpen()),
                  std::make_tuple(std::string(settings), baud, true));
        port.close();
    }
}

TEST_F(QtPortTest, OpenFailuresHaveTheirKinds)
{
    fs::create_symlink(line.folder() + "/unplugged", line.comLink(9));
    for (const char* missing : {"0", "9"}) {
        QtPort nowhere{line.naming(), missing};
        EXPECT_EQ(kindOf(failureOf([&] { nowhere.open(); })),
                  std::make_pair(PortFailure::InvalidPortNumber, int(QSerialPort::DeviceNotFoundError)));
    }
    port.open();
    EXPECT_EQ(kindOf(failureOf([&] { port.open(); })),
              std::make_pair(PortFailure::AlreadyOpen, int(QSerialPort::OpenError)));
    EXPECT_TRUE(port.isOpen());
    QtPort other{line.naming(), address()};
    const PortError held = failureOf([&] { other.open(); });
    EXPECT_EQ(kindOf(held), std::make_pair(PortFailure::DeviceUnavailable, int(QSerialPort::PermissionError)));
    EXPECT_STREQ(held.what(), "the device is in use by another program");
}

// A dropped line closes the port and is told; the port reopens by itself unless told to close meanwhile.
TEST_F(QtPortTest, LineDroppedBetweenOperationsIsToldAndThePortComesBackWithItsDevice)
{
    for (const bool closedMeanwhile : {false, true}) {
        events.clear();
        port.setInputNotifications(true);
        port.open();
        line.pty().close();
        ASSERT_TRUE(processEventsUntil([&] { return !events.empty(); }));
        EXPECT_EQ(events, std::vector<CommEvent>{CommEvent::LineDropped});
        ASSERT_TRUE(port.closedByDrop());
        EXPECT_STREQ(port.closedByDrop()->what(), LineDroppedText);
        if (closedMeanwhile)
            port.close();
        line.pty().reopen();
        EXPECT_EQ(processEventsUntil([&] { return port.isOpen(); }, 4 * QtPort::ReopenIntervalMs), !closedMeanwhile);
        if (closedMeanwhile)
            break;
        peer.send("x");
        ASSERT_TRUE(processEventsUntil([&] { return events.size() == 2; }));
        EXPECT_EQ(events.back(), CommEvent::ReceivedData);
        EXPECT_EQ(port.read(), "x");
        port.close();
    }
}

// A closed port refuses I/O; missing DTR and RTS (ENOTTY) are no failure; every byte value crosses unchanged.
TEST_F(QtPortTest, ModemLinesAndEveryByteValue)
{
    EXPECT_EQ(failureOf([&] { port.read(); }).kind(), PortFailure::Other);
    EXPECT_EQ(failureOf([&] { port.write("x"); }).kind(), PortFailure::Other);
    EXPECT_EQ(failureOf([&] { port.waitForInput(10); }).kind(), PortFailure::Other);
    port.setDtrEnabled(true);
    port.setRtsEnabled(true);
    port.open();  // applies both
    EXPECT_TRUE(port.isOpen());
    EXPECT_NO_THROW(port.setDtrEnabled(false));
    EXPECT_NO_THROW(port.setRtsEnabled(false));
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    port.write(all);
    EXPECT_TRUE(peer.waitForReceived(all, 1s)) << "every value, in order, none translated";
    peer.send(all);  // the event loop never runs here: the port must pull the bytes in itself
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + 1s;
    while (got.size() < all.size() && std::chrono::steady_clock::now() < deadline)
        got += port.read();
    EXPECT_EQ(got, all);
}

// Notifications come on later turns of the event loop, while on, only for bytes left waiting.
TEST_F(QtPortTest, WaitsAndNotifiesOnLaterTurnsOfWaitingBytesWhileNotificationsAreOn)
{
    port.open();
    peer.send("x");
    ASSERT_TRUE(port.waitForInput(1000));
    processEventsUntil([] { return false; }, 100);
    EXPECT_TRUE(events.empty()) << "notifications off";
    port.setInputNotifications(true);
    EXPECT_TRUE(events.empty()) << "delivered from inside the caller's code";
    EXPECT_TRUE(processEventsUntil([&] { return !events.empty(); }));
    EXPECT_EQ(events.front(), CommEvent::ReceivedData);
    EXPECT_EQ(port.read(), "x");
    std::thread late([&] {
        std::this_thread::sleep_for(30ms);
        peer.send("y");
    });
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(port.waitForInput(3000));  // Qt emits readyRead in here
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    late.join();
    EXPECT_EQ(events.size(), 1u);
    EXPECT_TRUE(port.waitForInput(0)) << "bytes still waiting";
    EXPECT_TRUE(processEventsUntil([&] { return events.size() == 2; })) << "bytes still waiting";
    EXPECT_EQ(port.read(), "y");
    peer.send("z");
    ASSERT_TRUE(port.waitForInput(1000));
    EXPECT_EQ(port.read(), "z");
    processEventsUntil([] { return false; }, 100);
    EXPECT_EQ(events.size(), 2u) << "nothing was left waiting to announce";
}

// A write nobody reads asks the wait hook every 100 ms and ends when it says so; the close then does not wait.
TEST(QtPortWaits, WriteThatCannotFinishEndsWhenAbandoned)
{
    PtyLine unread(4);
    QtPort port{unread.naming(), "4"};
    std::vector<std::chrono::steady_clock::time_point> turns;
    port.setWaitTurn([&] {
        turns.push_back(std::chrono::steady_clock::now());
        return turns.size() < 4;
    });
    port.open();
    const auto start = std::chrono::steady_clock::now();
    const PortError error = failureOf([&] { port.write(std::string(1 << 20, 'x')); });
    EXPECT_EQ(error.kind(), PortFailure::Abandoned);
    ASSERT_EQ(turns.size(), 4u);
    auto previous = start;
    for (const auto& turn : turns)
        EXPECT_LT(turn - std::exchange(previous, turn), 500ms) << "a turn at least every 100 ms, on a loaded machine";
    const auto closing = std::chrono::steady_clock::now();
    port.setWaitTurn([] { return false; });
    EXPECT_NO_THROW(port.close());
    EXPECT_FALSE(port.isOpen());
    EXPECT_LT(std::chrono::steady_clock::now() - closing, 300ms);
}

const std::string Request = test::unhex("02 30 21 32 03 22");  // reader 1's firmware version
const std::string Answer = test::unhex("02 30 31 53 49 42 32 20 56 31 2E 30 34 20 20 20 20 20 20 03 07");

// The link with a port of its own on the fixture's line.
class LinkPtyTest : public QtPortTest {
protected:
    LinkPtyTest()
    {
        link.subscribe(&log);
        link.setCommPort(line.number());
        link.setCommSettings("9600,N,8,1");
    }
    test::EventLog log;
    SteadyClock clock;
    clsComunicazioni link{portOpener(line.naming()), clock, processQtEvents};
};

// A stray byte, then silence: the real time-out blocks without spinning and keeps the event loop turning.
TEST_F(LinkPtyTest, SilentReaderTimesOutWithoutSpinning)
{
    link.setAnswerTimeLimit(2000);
    peer.expect({.request = Request, .reply = "Z"});
    int eventLoopTurns = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++eventLoopTurns; });
    ticker.start(100);
    const double cpuBefore = test::processCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    int16_t esito = -1;
    std::string Risposta;
    link.Sibrant2(1, "P", "2", esito, Risposta);
    EXPECT_EQ(esito, Esito::TimedOut);
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    const double cpu = test::processCpuSeconds() - cpuBefore;
    EXPECT_GE(waited.count(), 2000);
    EXPECT_LT(waited.count(), 3000);
    EXPECT_LT(cpu, 0.25) << "the wait must block, not poll";
    EXPECT_GE(eventLoopTurns, 12) << "the window system gets its turns during the wait";
}

// The handlers of an answer and of a reader's own frame may acknowledge on the real port.
TEST_F(LinkPtyTest, ComRXHandlersMayAcknowledge)
{
    std::vector<int16_t> acknowledged;
    log.onEvent = [&](const std::string& event) {
        if (event.rfind("ComRX ", 0) == 0)
            acknowledged.push_back(link.InviaComando("\x06"));
    };
    link.setAttivo(true);
    peer.expect({.request = Request, .reply = Answer});
    int16_t esito = -1;
    std::string Risposta;
    link.Sibrant2(1, "P", "2", esito, Risposta);
    EXPECT_EQ(esito, Esito::Accepted);
    EXPECT_EQ(Risposta, Answer);
    EXPECT_TRUE(peer.waitForReceived(Request + "\x06", 1s));
    peer.send(test::unhex("02 30 31 42 30 30 30 30 31 32 33 34 35 36 03 45"));
    EXPECT_TRUE(processEventsUntil([&] { return acknowledged.size() == 2; }));
    EXPECT_TRUE(peer.waitForReceived(Request + "\x06\x06", 1s));
    EXPECT_EQ(acknowledged, (std::vector<int16_t>{0, 0}));
}

}  // namespace
}  // namespace lettore
