#pragma once

#include "ByteChannel.h"
#include "NetworkAddress.h"
#include "Rfc2217Codec.h"

#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTimer>

#include <functional>
#include <optional>
#include <string>

namespace lettore {

// A serial line behind a device server, reached over TCP at one address.
//
// rfc2217:// sets the line's rate, framing and DTR on the device server.
// A settings change waits for the server's answer (at most
// AnswerTimeLimitMs): a server that refuses, answers another value or
// stays silent fails the change with its words. A DTR change is not
// waited for (a device without modem lines leaves it unanswered); an
// answer that it did not take fails the next write. tcp:// carries bytes only: settings are kept
// here, and the notice hook is told once that they stay on this side.
//
// Opening connects within ConnectTimeLimitMs or fails with the address in
// the text: refused (DeviceUnavailable), unknown host (InvalidPortNumber),
// no answer (Other). An open connection is watched by TCP keepalive and a
// user time-out, so a server or network that died unseen is noticed
// within DeadConnectionLimitMs; a connection that ends fails the operation
// in progress with the line-drop text or, between operations, closes the
// port, tells the handler LineDropped once and connects again every
// ReconnectIntervalMs until the server is back (or the port is told to
// open or close). Notifications are queued as QtPort's are. A write waits
// in slices of at most WaitSliceMs, calling the wait hook between them.
class NetworkPort : public ByteChannel, public LineControl {
public:
    using NoticeHook = std::function<void(const std::string&)>;

    NetworkPort(NetworkAddress address, NoticeHook notice = {});
    ~NetworkPort() override;

    NetworkPort(const NetworkPort&) = delete;
    NetworkPort& operator=(const NetworkPort&) = delete;

    const NetworkAddress& address() const { return m_address; }

    // ByteChannel
    void open() override { setOpen(true); }
    void close() override { setOpen(false); }
    bool isOpen() override { return m_open; }
    std::string read(size_t maxBytes = SIZE_MAX) override;
    void write(const std::string& bytes) override;
    bool waitForInput(int timeoutMs) override;
    void setWaitTurn(std::function<bool()> turn) override { m_waitTurn = std::move(turn); }
    void setInputNotifications(bool on) override;
    void setEventHandler(std::function<void(CommEvent)> handler) override { m_handler = std::move(handler); }
    std::optional<PortError> closedByDrop() override;
    // Raw TCP has it too: its settings are kept on this side.
    LineControl* lineControl() override { return this; }
    // The TCP handshake's time, or over RFC 2217 the server's answer to the
    // line settings when that took longer; measured at each connection.
    std::optional<uint32_t> roundTripMs() override { return m_roundTripMs; }

    // LineControl
    void setSettings(const std::string& settings) override;
    std::string settings() override { return m_settings; }
    void setDtrEnabled(bool enabled) override;
    void setRtsEnabled(bool enabled) override { m_rts = enabled; }  // left to the device server

    static constexpr int ConnectTimeLimitMs = 5000;
    static constexpr int AnswerTimeLimitMs = 3000;
    static constexpr int WriteTimeLimitMs = 5000;
    static constexpr int DeadConnectionLimitMs = 9000;
    static constexpr int ReconnectIntervalMs = 250;
    static constexpr int WaitSliceMs = 100;

private:
    class Call;

    bool rfc2217() const { return m_address.scheme == NetworkAddress::Scheme::Rfc2217; }
    bool connected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }
    void setOpen(bool open);
    void connectToServer();
    void send(const std::string& bytes);
    void pull();
    void awaitAnswers(const std::string& what);
    void checkRefusal();
    void requireOpen();
    void checkConnection();
    [[noreturn]] void fail(PortFailure kind, const std::string& text);
    void onDisconnected();
    void queueNotification();
    void reconnect();
    void tellLocalSettingsOnce();

    NetworkAddress m_address;
    NoticeHook m_notice;
    QTcpSocket m_socket;
    Rfc2217Codec m_codec;
    std::function<void(CommEvent)> m_handler;

    std::function<bool()> m_waitTurn;
    std::string m_settings = "9600,N,8,1";
    bool m_dtr = false;
    bool m_dtrSent = false;  // the server holds m_dtr
    bool m_rts = false;
    bool m_notifications = false;
    std::string m_input;  // the device's bytes taken off the socket, not read yet

    bool m_open = false;  // asked to be open and connected
    int m_callDepth = 0;  // inside one of our own operations
    std::optional<PortError> m_dropped;
    bool m_dropUntold = false;
    bool m_notificationQueued = false;
    bool m_localSettingsTold = false;
    QTimer m_reconnectTimer;
    QElapsedTimer m_roundTripClock;
    std::optional<uint32_t> m_roundTripMs;
};

}  // namespace lettore
