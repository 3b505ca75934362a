#pragma once

#include "Port.h"
#include "NetworkAddress.h"
#include "Rfc2217Codec.h"

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
// open or close). Notifications are queued as QtPort's are.
class NetworkPort : public Port {
public:
    using NoticeHook = std::function<void(const std::string&)>;

    NetworkPort(NetworkAddress address, NoticeHook notice = {});
    ~NetworkPort() override;

    NetworkPort(const NetworkPort&) = delete;
    NetworkPort& operator=(const NetworkPort&) = delete;

    const NetworkAddress& address() const { return m_address; }

    // Port. The port number is kept but reaches nothing: the address does.
    void setPortNumber(int16_t number) override;
    int16_t portNumber() override { return m_number; }
    void setSettings(const std::string& settings) override;
    std::string settings() override { return m_settings; }
    void setOpen(bool open) override;
    bool isOpen() override;
    void setDtrEnabled(bool enabled) override;
    void setRtsEnabled(bool enabled) override { m_rts = enabled; }  // left to the device server
    void setInputLength(int length) override;
    std::string read() override;
    void write(const std::string& bytes) override;
    int receiveThreshold() override { return m_threshold; }
    void setReceiveThreshold(int threshold) override;
    void setReceiveHandler(std::function<void(CommEvent)> handler) override { m_handler = std::move(handler); }
    bool waitForInput(int timeoutMs) override;
    std::optional<PortError> closedByDrop() override;

    static constexpr int ConnectTimeLimitMs = 5000;
    static constexpr int AnswerTimeLimitMs = 3000;
    static constexpr int WriteTimeLimitMs = 5000;
    static constexpr int DeadConnectionLimitMs = 9000;
    static constexpr int ReconnectIntervalMs = 250;

private:
    class Call;

    bool rfc2217() const { return m_address.scheme == NetworkAddress::Scheme::Rfc2217; }
    bool connected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }
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

    int16_t m_number = 1;
    std::string m_settings = "9600,N,8,1";
    bool m_dtr = false;
    bool m_dtrSent = false;  // the server holds m_dtr
    bool m_rts = false;
    int m_inputLength = 0;
    int m_threshold = 0;
    std::string m_input;  // the device's bytes taken off the socket, not read yet

    bool m_open = false;         // asked to be open and connected
    int m_callDepth = 0;         // inside one of our own operations
    std::optional<PortError> m_dropped;
    bool m_dropUntold = false;
    bool m_notificationQueued = false;
    bool m_localSettingsTold = false;
    QTimer m_reconnectTimer;
};

}  // namespace lettore
