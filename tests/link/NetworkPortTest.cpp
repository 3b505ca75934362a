// The network port against Debian's ser2net in front of a pseudo-terminal.
#include "NetworkPort.h"
#include "DeviceServer.h"
#include "PortOpening.h"
#include "PseudoTerminal.h"
#include "PtyLine.h"
#include "SimulatedPort.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace lettore {
namespace {

using test::DeviceServer;
using test::hex;
using test::processEventsUntil;

NetworkAddress addressOf(const DeviceServer& server) { return *NetworkAddress::parse(server.address().toStdString()); }

// Up to `count` bytes read within a second.
std::string deviceReads(const PseudoTerminal& device, size_t count)
{
    std::string out;
    pollfd wait{device.masterFd(), POLLIN, 0};
    while (out.size() < count && ::poll(&wait, 1, 1000) > 0) {
        char buffer[64];
        const ssize_t n = ::read(device.masterFd(), buffer, sizeof buffer);
        if (n <= 0)
            break;
        out.append(buffer, static_cast<size_t>(n));
    }
    return out;
}

// Rate and stop bits as the device's line holds them; a pseudo-terminal always holds 8 data bits and no parity.
std::string lineOf(const PseudoTerminal& device)
{
    termios t{};
    ::tcgetattr(device.masterFd(), &t);
    return std::to_string(device.baudRate()) + ((t.c_cflag & CSTOPB) ? ",2" : ",1");
}

// SO_KEEPALIVE, TCP_KEEPIDLE, TCP_KEEPINTVL, TCP_KEEPCNT and TCP_USER_TIMEOUT of this process's socket connected to
// 127.0.0.1:port.
std::vector<int> deadPeerOptions(uint16_t port)
{
    for (int fd = 0; fd < 1024; ++fd) {
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0 || peer.sin_family != AF_INET
            || ntohs(peer.sin_port) != port)
            continue;
        std::vector<int> values;
        for (const auto& [level, name] : {std::pair{SOL_SOCKET, SO_KEEPALIVE},
                                          {IPPROTO_TCP, TCP_KEEPIDLE},
                                          {IPPROTO_TCP, TCP_KEEPINTVL},
                                          {IPPROTO_TCP, TCP_KEEPCNT},
                                          {IPPROTO_TCP, TCP_USER_TIMEOUT}}) {
            int value = -1;
            socklen_t size = sizeof value;
            ::getsockopt(fd, level, name, &value, &size);
            values.push_back(value);
        }
        return values;
    }
    return {};
}

// Over RFC 2217 the settings reach the device and every byte goes through both ways; raw TCP carries the bytes
// only, says so once; a server taken for RFC 2217 that never answers fails the open.
TEST(NetworkPort, SettingsBytesAndFailuresThroughARealServer)
{
    PseudoTerminal device;
    DeviceServer server(device.slavePath(), DeviceServer::Kind::Rfc2217);
    ASSERT_TRUE(server.start());
    NetworkPort port(addressOf(server));
    port.setSettings("19200,E,7,2");
    port.setDtrEnabled(true);  // unanswered by a server whose device has no modem lines: not waited for
    port.open();
    EXPECT_EQ(lineOf(device), "19200,2");
    port.setSettings("38400,N,8,1");
    EXPECT_EQ(lineOf(device), "38400,1");
    port.write(std::string("\x02\xFF\x0D\x00\x03", 5));
    EXPECT_EQ(hex(deviceReads(device, 5)), "02 FF 0D 00 03");
    ASSERT_EQ(::write(device.masterFd(), "\xFF\x06\xFF\xFF\x0D\x0A", 6), 6);
    std::string read;
    while (read.size() < 6 && port.waitForInput(1000))
        read += port.read();
    EXPECT_EQ(hex(read), "FF 06 FF FF 0D 0A");
    port.close();
    server.stop();

    DeviceServer raw(device.slavePath(), DeviceServer::Kind::Raw);
    ASSERT_TRUE(raw.start());
    std::vector<std::string> notices;
    NetworkPort rawPort(addressOf(raw), [&](const std::string& text) { notices.push_back(text); });
    rawPort.open();
    rawPort.setSettings("1200,N,8,1");
    EXPECT_NE(device.baudRate(), 1200);  // kept on this side
    rawPort.write("\xFF\x02");
    EXPECT_EQ(hex(deviceReads(device, 2)), "FF 02");
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_TRUE(notices[0].starts_with(raw.address().toStdString() + " carries bytes only:")) << notices[0];

    const std::string silent = "127.0.0.1:" + std::to_string(raw.port());
    rawPort.close();
    NetworkPort failing(*NetworkAddress::parse("rfc2217://" + silent));
    try {
        failing.open();
        ADD_FAILURE() << "opened";
    } catch (const PortError& error) {
        EXPECT_EQ(error.what(),
                  "the device server at " + silent + " did not answer the line settings 9600,N,8,1 within 3 s");
    }
}

// Watched for a dead peer once open. Killed between two operations: told once as a line drop; back within 2 s of the
// server, with the line as it was.
TEST(NetworkPort, ServerKilledIsALineDropAndItsReturnReconnects)
{
    PseudoTerminal device;
    DeviceServer server(device.slavePath(), DeviceServer::Kind::Rfc2217);
    ASSERT_TRUE(server.start());
    NetworkPort port(addressOf(server));
    std::vector<CommEvent> events;
    port.setEventHandler([&](CommEvent event) { events.push_back(event); });
    port.setSettings("4800,N,8,1");
    port.open();
    // A quiet connection is probed after 3 s, then every second, and ends at the third probe unanswered (6 s); sent
    // bytes left unacknowledged for 9 s end it too: a peer gone unseen is noticed within 10 s.
    EXPECT_EQ(deadPeerOptions(server.port()), (std::vector<int>{1, 3, 1, 3, 9000}));

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
    port.write("A");
    EXPECT_EQ(deviceReads(device, 1), "A");
}

// A number in the port table reaches its device server.
TEST(PortOpening, TableNumbersReachTheirAddress)
{
    PseudoTerminal remote;
    DeviceServer server(remote.slavePath(), DeviceServer::Kind::Rfc2217);
    ASSERT_TRUE(server.start());
    const auto channel = openPort("7", PortNaming(), PortTable::parse("7 = " + server.address().toStdString()));
    channel->open();
    channel->write("R");
    EXPECT_EQ(deviceReads(remote, 1), "R");
}

}  // namespace
}  // namespace lettore
