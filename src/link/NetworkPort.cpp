#include "NetworkPort.h"

#include "SerialSettings.h"
#include "SocketTuning.h"

#include <QDeadlineTimer>

#include <algorithm>

namespace lettore {

namespace {

// Whole milliseconds, rounded up: a round trip is never taken as none.
uint32_t elapsedMs(const QElapsedTimer& clock)
{
    return static_cast<uint32_t>((clock.nsecsElapsed() + 999'999) / 1'000'000);
}

}  // namespace

// Brackets one of our own operations: a connection that ends meanwhile
// fails the operation instead of being announced to the handler.
class NetworkPort::Call {
public:
    explicit Call(NetworkPort& port) : m_port(port) { ++m_port.m_callDepth; }
    ~Call() { --m_port.m_callDepth; }
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;

private:
    NetworkPort& m_port;
};

NetworkPort::NetworkPort(NetworkAddress address, NoticeHook notice)
    : m_address(std::move(address)), m_notice(std::move(notice))
{
    QObject::connect(&m_socket, &QTcpSocket::readyRead, &m_socket, [this] {
        pull();
        if (m_notifications && !m_input.empty())
            queueNotification();
    });
    // A wait that times out reports an error too, with the socket still connected.
    const auto ended = [this] {
        if (m_open && !connected())
            onDisconnected();
    };
    QObject::connect(&m_socket, &QTcpSocket::disconnected, &m_socket, ended);
    QObject::connect(&m_socket, &QTcpSocket::errorOccurred, &m_socket, ended);
    // The handshake is timed from the end of the host name's lookup.
    QObject::connect(&m_socket, &QTcpSocket::hostFound, &m_socket, [this] { m_roundTripClock.start(); });
    m_reconnectTimer.setInterval(ReconnectIntervalMs);
    QObject::connect(&m_reconnectTimer, &QTimer::timeout, &m_socket, [this] { reconnect(); });
}

NetworkPort::~NetworkPort()
{
    QObject::disconnect(&m_socket, nullptr, nullptr, nullptr);
    if (connected()) {
        m_socket.waitForBytesWritten(WriteTimeLimitMs);
        m_socket.disconnectFromHost();
    }
}

void NetworkPort::setSettings(const std::string& settings)
{
    const std::optional<SerialSettings> parsed = SerialSettings::parse(settings);
    if (!parsed)
        throw PortError(PortFailure::Other, 0, "Invalid settings \"" + settings + "\"");
    if (m_open) {
        requireOpen();
        Call call(*this);
        if (rfc2217()) {
            send(m_codec.setSettings(*parsed));
            awaitAnswers("the line settings " + parsed->text());
        }
    }
    m_settings = parsed->text();
    if (m_open && !rfc2217())
        tellLocalSettingsOnce();
}

void NetworkPort::setOpen(bool open)
{
    Call call(*this);
    m_dropped.reset();
    m_reconnectTimer.stop();
    if (!open) {
        if (!m_open)
            return;
        m_open = false;
        m_input.clear();
        const bool sent
            = !connected() || m_socket.bytesToWrite() == 0 || m_socket.waitForBytesWritten(WriteTimeLimitMs);
        m_socket.abort();
        if (!sent)
            throw PortError(PortFailure::Other, 0,
                            "The device server took no output for " + std::to_string(WriteTimeLimitMs) + " ms");
        return;
    }
    if (m_open)
        throw PortError(PortFailure::AlreadyOpen, 0, "The port is already open");
    connectToServer();
    m_open = true;
    if (!rfc2217())
        tellLocalSettingsOnce();
}

// Connects, and over RFC 2217 negotiates and sets the line as the port
// holds it; on failure throws with the socket closed.
void NetworkPort::connectToServer()
{
    m_socket.abort();
    m_codec.reset();
    m_input.clear();
    m_dtrSent = false;
    m_roundTripMs.reset();
    m_roundTripClock.start();
    m_socket.connectToHost(QString::fromStdString(m_address.host), m_address.port);
    if (!m_socket.waitForConnected(ConnectTimeLimitMs)) {
        const QAbstractSocket::SocketError error = m_socket.error();
        const std::string where = m_address.hostPort();
        m_socket.abort();
        switch (error) {
        case QAbstractSocket::ConnectionRefusedError:
            throw PortError(PortFailure::DeviceUnavailable, error,
                            "the device server at " + where + " refused the connection");
        case QAbstractSocket::HostNotFoundError:
            throw PortError(PortFailure::InvalidPortNumber, error, "no host is named " + m_address.host);
        case QAbstractSocket::SocketTimeoutError:
            throw PortError(PortFailure::Other, error,
                            "no device server answered at " + where + " within "
                                + std::to_string(ConnectTimeLimitMs / 1000) + " s");
        default: throw PortError(PortFailure::Other, error, m_socket.errorString().toStdString() + " (" + where + ")");
        }
    }
    m_roundTripMs = elapsedMs(m_roundTripClock);
    // A frame goes out as soon as it is written, not held for a fuller segment.
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    SocketTuning::noticeDeadPeer(m_socket.socketDescriptor(), DeadConnectionLimitMs);
    if (!rfc2217())
        return;
    try {
        const SerialSettings settings = SerialSettings::parse(m_settings).value_or(SerialSettings{});
        m_roundTripClock.start();
        send(m_codec.start() + m_codec.setSettings(settings) + m_codec.setDtr(m_dtr));
        awaitAnswers("the line settings " + m_settings);
        m_roundTripMs = std::max(*m_roundTripMs, elapsedMs(m_roundTripClock));
        m_dtrSent = true;
    } catch (const PortError&) {
        m_socket.abort();
        throw;
    }
}

void NetworkPort::send(const std::string& bytes)
{
    m_socket.write(bytes.data(), static_cast<qint64>(bytes.size()));
    m_socket.flush();
}

// Takes what arrived off the socket: the device's bytes into the input,
// the negotiation's answers sent back at once.
void NetworkPort::pull()
{
    const QByteArray bytes = m_socket.readAll();
    if (bytes.isEmpty())
        return;
    SocketTuning::acknowledgeAtOnce(m_socket.socketDescriptor());
    if (!rfc2217()) {
        m_input.append(bytes.constData(), static_cast<size_t>(bytes.size()));
        return;
    }
    m_input += m_codec.feed(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    if (const std::string replies = m_codec.takeReplies(); !replies.empty())
        send(replies);
}

// Waits until the server has answered every request, keeping the device's
// bytes that come meanwhile; a refusal, a silence or an ended connection
// fails with what the server said.
void NetworkPort::awaitAnswers(const std::string& what)
{
    const QDeadlineTimer deadline(AnswerTimeLimitMs);
    for (;;) {
        pull();
        checkRefusal();
        if (m_codec.pendingSettings() == 0)
            return;
        if (!connected())
            throw PortError(PortFailure::Other, 0,
                            "the device server at " + m_address.hostPort() + " closed the connection");
        if (deadline.hasExpired())
            throw PortError(PortFailure::Other, 0,
                            "the device server at " + m_address.hostPort() + " did not answer " + what + " within "
                                + std::to_string(AnswerTimeLimitMs / 1000) + " s");
        m_socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    }
}

void NetworkPort::checkRefusal()
{
    if (const auto refusal = m_codec.takeRefusal())
        throw PortError(PortFailure::Other, 0, *refusal + " (" + m_address.hostPort() + ")");
}

void NetworkPort::setDtrEnabled(bool enabled)
{
    if (m_open && m_dtrSent && m_dtr == enabled)
        return;
    m_dtr = enabled;
    m_dtrSent = false;
    if (!m_open || !rfc2217())
        return;
    requireOpen();
    Call call(*this);
    send(m_codec.setDtr(enabled));
    m_dtrSent = true;
}

std::string NetworkPort::read(size_t maxBytes)
{
    requireOpen();
    Call call(*this);
    // Bytes that came while no event loop ran are pulled in here.
    if (m_input.empty()) {
        m_socket.waitForReadyRead(0);
        pull();
        checkConnection();
    }
    const size_t count = std::min(maxBytes, m_input.size());
    std::string out = m_input.substr(0, count);
    m_input.erase(0, count);
    return out;
}

void NetworkPort::write(const std::string& bytes)
{
    requireOpen();
    Call call(*this);
    // A late answer to a DTR change that did not take fails the next send.
    pull();
    checkRefusal();
    send(rfc2217() ? Rfc2217Codec::escaped(bytes) : bytes);
    const QDeadlineTimer deadline(WriteTimeLimitMs);
    while (m_socket.bytesToWrite() > 0) {
        checkConnection();
        if (deadline.hasExpired())
            throw PortError(PortFailure::Other, 0,
                            "The device server took no output for " + std::to_string(WriteTimeLimitMs) + " ms");
        m_socket.waitForBytesWritten(static_cast<int>(std::min<qint64>(deadline.remainingTime(), WaitSliceMs)));
        if (m_socket.bytesToWrite() > 0 && m_waitTurn && !m_waitTurn())
            throw PortError(PortFailure::Abandoned, 0, "The wait for the device server was abandoned");
    }
    checkConnection();
}

void NetworkPort::setInputNotifications(bool on)
{
    const bool switchedOn = !m_notifications && on;
    m_notifications = on;
    if (switchedOn && m_open && !m_input.empty())
        queueNotification();
}

bool NetworkPort::waitForInput(int timeoutMs)
{
    requireOpen();
    Call call(*this);
    const QDeadlineTimer deadline(std::max(timeoutMs, 0));
    for (;;) {
        pull();
        checkConnection();
        if (!m_input.empty())
            return true;
        if (deadline.hasExpired())
            return false;
        // Negotiation bytes alone wake this too: the loop waits on.
        m_socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    }
}

// A port whose connection ended says so to every operation, as a dropped
// line does, until it is opened again or reconnects by itself.
void NetworkPort::requireOpen()
{
    if (m_open && !connected())
        onDisconnected();
    if (!m_open && m_dropped) {
        m_dropUntold = false;
        throw *m_dropped;
    }
    if (!m_open)
        throw PortError(PortFailure::Other, 0, "Device is not open");
}

void NetworkPort::checkConnection()
{
    if (!connected())
        requireOpen();
}

void NetworkPort::onDisconnected()
{
    if (!m_open)
        return;
    m_open = false;
    m_dropped.emplace(PortFailure::Other, QAbstractSocket::RemoteHostClosedError, LineDroppedText);
    // Between operations: the link hears of it, and the port connects again
    // once the server is back.
    if (m_callDepth > 0)
        return;
    m_dropUntold = true;
    QMetaObject::invokeMethod(
        &m_socket,
        [this] {
            if (m_handler && m_dropUntold && m_dropped && !m_open) {
                m_dropUntold = false;
                const std::function<void(CommEvent)> handler = m_handler;
                handler(CommEvent::LineDropped);
            }
        },
        Qt::QueuedConnection);
    m_reconnectTimer.start();
}

std::optional<PortError> NetworkPort::closedByDrop()
{
    if (m_open)
        return std::nullopt;
    return m_dropped;
}

// One try to reach the server again with the line as it was; a failure
// only means the server is not back yet.
void NetworkPort::reconnect()
{
    if (!m_dropped || m_open) {
        m_reconnectTimer.stop();
        return;
    }
    Call call(*this);
    try {
        connectToServer();
    } catch (const PortError&) {
        return;
    }
    m_open = true;
    m_dropped.reset();
    m_reconnectTimer.stop();
    if (m_notifications && !m_input.empty())
        queueNotification();
}

void NetworkPort::queueNotification()
{
    if (m_notificationQueued)
        return;
    m_notificationQueued = true;
    QMetaObject::invokeMethod(
        &m_socket,
        [this] {
            m_notificationQueued = false;
            if (!m_handler || !m_notifications || !m_open || m_input.empty())
                return;
            const std::function<void(CommEvent)> handler = m_handler;
            handler(CommEvent::ReceivedData);
        },
        Qt::QueuedConnection);
}

void NetworkPort::tellLocalSettingsOnce()
{
    if (m_localSettingsTold || !m_notice)
        return;
    m_localSettingsTold = true;
    m_notice(m_address.text() + " carries bytes only: the line settings " + m_settings
             + " and DTR stay on this side, the device server keeps its own");
}

}  // namespace lettore
