// The network port against Debian's ser2net in front of a pseudo-terminal, and against a scripted peer.
#include "NetworkPort.h"
#include "DeviceServer.h"
#include "PseudoTerminal.h"
#include "PtyLine.h"
#include "ScriptedPeer.h"
#include "SimulatedPort.h"

#include <QElapsedTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <termios.h>

namespace lettore {
namespace {

using test::hex;
using test::processEventsUntil;
using namespace std::chrono_literals;

// Rate and stop bits as the device's line holds them; a pseudo-terminal always holds 8 data bits and no parity.
std::string lineOf(const PseudoTerminal& device)
{
    termios t{};
    ::tcgetattr(device.masterFd(), &t);
    return std::to_string(device.baudRate()) + ((t.c_cflag & CSTOPB) ? ",2" : ",1");
}

// SO_KEEPALIVE, TCP_KEEPIDLE, TCP_KEEPINTVL, TCP_KEEPCNT and TCP_USER_TIMEOUT of this process's one TCP socket.
std::vector<int> deadPeerOptions()
{
    for (int fd = 0; fd < 1024; ++fd) {
        std::vector<int> values;
        for (const auto& [level, name] : {std::pair{SOL_SOCKET, SO_KEEPALIVE},
                                          {IPPROTO_TCP, TCP_KEEPIDLE},
                                          {IPPROTO_TCP, TCP_KEEPINTVL},
                                          {IPPROTO_TCP, TCP_KEEPCNT},
                                          {IPPROTO_TCP, TCP_USER_TIMEOUT}}) {
            int value = -1;
            socklen_t size = sizeof value;
            if (::getsockopt(fd, level, name, &value, &size) == 0)
                values.push_back(value);
        }
        if (values.size() == 5)
            return values;
    }
    return {};
}

// Settings reach the device, bytes go through both ways; a dead peer is noticed within 10 s (keepalive probes after
// 3 s, every second, three unanswered; or 9 s of unacknowledged output). Killed: told once as a line drop; back
// within 2 s of the server, with the line as it was.
TEST(NetworkPort, ThroughARealServerKilledAndBack)
{
    PseudoTerminal device;
    test::ScriptedPeer reader(device);
    test::DeviceServer server(device.slavePath());
    ASSERT_TRUE(server.start());
    NetworkPort port(*NetworkAddress::parse(server.address().toStdString()));
    std::vector<CommEvent> events;
    port.setEventHandler([&](CommEvent event) { events.push_back(event); });
    port.setSettings("19200,E,7,2");
    port.setDtrEnabled(true);  // unanswered by a server whose device has no modem lines: not waited for
    port.open();
    EXPECT_EQ(lineOf(device), "19200,2");
    EXPECT_EQ(deadPeerOptions(), (std::vector<int>{1, 3, 1, 3, 9000}));
    port.setSettings("4800,N,8,1");
    EXPECT_EQ(lineOf(device), "4800,1");
    const std::string frame("\x02\xFF\x0D\x00\x03", 5);
    port.write(frame);
    EXPECT_TRUE(reader.waitForReceived(frame, 1s));
    reader.send("\xFF\x06\xFF\xFF\x0D\x0A");
    std::string read;
    while (read.size() < 6 && port.waitForInput(1000))
        read += port.read();
    EXPECT_EQ(hex(read), "FF 06 FF FF 0D 0A");

    server.stop();
    ASSERT_TRUE(processEventsUntil([&] { return !events.empty(); }, 2000));
    EXPECT_EQ(events, std::vector<CommEvent>{CommEvent::LineDropped});
    EXPECT_STREQ(port.closedByDrop()->what(), LineDroppedText);
    ASSERT_TRUE(server.start());
    QElapsedTimer back;
    back.start();
    ASSERT_TRUE(processEventsUntil([&] { return port.isOpen(); }, 3000));
    EXPECT_LT(back.elapsed(), 2000);
    EXPECT_EQ(events.size(), 1u);
    EXPECT_EQ(lineOf(device), "4800,1");
    port.write("Z");
    EXPECT_TRUE(reader.waitForReceived("\x03Z", 1s));
}

// Raw TCP carries the bytes alone, both ways, and says once that the settings stay here; an open that fails names
// the address.
TEST(NetworkPort, RawBytesAndFailedOpens)
{
    QTcpServer peer;
    ASSERT_TRUE(peer.listen(QHostAddress::LocalHost));
    const std::string at = "127.0.0.1:" + std::to_string(peer.serverPort());
    std::vector<std::string> notices;
    NetworkPort raw(*NetworkAddress::parse("tcp://" + at), [&](const std::string& text) { notices.push_back(text); });
    raw.open();
    raw.setSettings("1200,N,8,1");
    raw.write("\xFF\x02");
    ASSERT_TRUE(peer.waitForNewConnection(1000));
    QTcpSocket* server = peer.nextPendingConnection();
    ASSERT_TRUE(server->waitForReadyRead(1000));
    EXPECT_EQ(hex(server->readAll().toStdString()), "FF 02");
    server->write("\xFF\x06");
    server->flush();
    ASSERT_TRUE(raw.waitForInput(1000));
    EXPECT_EQ(hex(raw.read()), "FF 06");
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_TRUE(notices[0].starts_with("tcp://" + at + " carries bytes only:")) << notices[0];

    const std::string refused = "127.0.0.1:" + std::to_string(test::freeLoopbackPort());
    for (const auto& [address, text] : {
             std::pair{"rfc2217://" + at,
                       "the device server at " + at + " did not answer the line settings 9600,N,8,1 within 3 s"},
             {"tcp://" + refused, "the device server at " + refused + " refused the connection"},
         }) {
        NetworkPort failing(*NetworkAddress::parse(address));
        EXPECT_THAT([&] { failing.open(); }, testing::ThrowsMessage<PortError>(testing::StrEq(text)));
    }
}

}  // namespace
}  // namespace lettore
