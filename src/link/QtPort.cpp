#include "QtPort.h"

#include "SerialDevice.h"
#include "SerialSettings.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <algorithm>
#include <utility>

namespace lettore {

namespace {

// Qt's values in the order of SerialSettings' enumerators.
constexpr QSerialPort::Parity QtParities[] = {QSerialPort::NoParity, QSerialPort::EvenParity, QSerialPort::OddParity,
                                              QSerialPort::MarkParity, QSerialPort::SpaceParity};
constexpr QSerialPort::StopBits QtStopBits[]
    = {QSerialPort::OneStop, QSerialPort::OneAndHalfStop, QSerialPort::TwoStop};

// Stores the settings in a closed port (applied when it opens) or applies
// them to an open one; false when the open device refused one of them.
bool applySettings(QSerialPort& serial, const SerialSettings& s)
{
    return serial.setBaudRate(s.baudRate) && serial.setParity(QtParities[static_cast<int>(s.parity)])
           && serial.setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits))  // Data5 is 5, ...
           && serial.setStopBits(QtStopBits[static_cast<int>(s.stopBits)])
           && serial.setFlowControl(QSerialPort::NoFlowControl);
}

PortFailure kindOf(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError: return PortFailure::InvalidPortNumber;
    case QSerialPort::PermissionError:  // lock file held by another process, EBUSY, EACCES
        return PortFailure::DeviceUnavailable;
    case QSerialPort::OpenError: return PortFailure::AlreadyOpen;
    default: return PortFailure::Other;
    }
}

}  // namespace

// Brackets one operation that talks to QSerialPort: errors Qt reports
// meanwhile are kept for the operation to throw.
class QtPort::Call {
public:
    explicit Call(QtPort& port) : m_port(port)
    {
        if (m_port.m_callDepth++ == 0) {
            m_port.m_failure.reset();
            // Qt keeps its last error, a wait's time-out too. Clearing when
            // there is none would still signal and translate "No error",
            // a quarter of a range's work an exchange.
            if (m_port.m_serial.error() != QSerialPort::NoError)
                m_port.m_serial.clearError();
        }
    }
    ~Call() { --m_port.m_callDepth; }

    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;

private:
    QtPort& m_port;
};

QtPort::QtPort(PortNaming naming, std::string address) : m_naming(std::move(naming)), m_address(std::move(address))
{
    QObject::connect(&m_serial, &QSerialPort::errorOccurred, &m_serial,
                     [this](QSerialPort::SerialPortError error) { onErrorOccurred(error); });
    QObject::connect(&m_serial, &QSerialPort::readyRead, &m_serial, [this] {
        if (m_notifications)
            queueNotification();
    });
    m_reopenTimer.setInterval(ReopenIntervalMs);
    QObject::connect(&m_reopenTimer, &QTimer::timeout, &m_serial, [this] { reopenAfterDrop(); });
}

QtPort::~QtPort()
{
    // Closing may still signal; nothing of this object may be reached then.
    QObject::disconnect(&m_serial, nullptr, nullptr, nullptr);
    if (m_serial.isOpen()) {
        SerialDevice::drain(m_serial, DrainTimeLimitMs, [this] { return waitGoesOn(); });
        SerialDevice::close(m_serial);
    }
}

void QtPort::setSettings(const std::string& settings)
{
    const std::optional<SerialSettings> parsed = SerialSettings::parse(settings);
    if (!parsed)
        throw PortError(PortFailure::Other, QSerialPort::UnsupportedOperationError,
                        "Invalid settings \"" + settings + "\"");
    Call call(*this);
    if (m_serial.isOpen())
        drain();
    if (!applySettings(m_serial, *parsed)) {
        const PortError error
            = m_failure.value_or(PortError(PortFailure::Other, m_serial.error(), m_serial.errorString().toStdString()));
        // Put back what the device had, as far as it takes it.
        if (const auto previous = SerialSettings::parse(m_settings))
            applySettings(m_serial, *previous);
        throw error;
    }
    m_settings = parsed->text();
}

void QtPort::open()
{
    Call call(*this);
    m_dropped.reset();
    m_reopenTimer.stop();
    openDevice();
}

void QtPort::close()
{
    Call call(*this);
    m_dropped.reset();
    m_reopenTimer.stop();
    closeDevice();
}

// Opens the device that the address names, with the modem lines as set; on
// failure throws, the port closed.
void QtPort::openDevice()
{
    if (!m_serial.isOpen()) {
        const std::string device = m_naming.deviceFor(m_address);
        if (device.empty())
            throw PortError(PortFailure::InvalidPortNumber, QSerialPort::DeviceNotFoundError,
                            "No device has port number " + m_address);
        m_serial.setPortName(QString::fromStdString(device));
    }
    // On a port already open Qt itself reports OpenError.
    if (!m_serial.open(QIODevice::ReadWrite))
        throwFailure();
    SerialDevice::askLowLatency(m_serial);
    m_modemLinesSet = false;
    try {
        applyModemLine(&QSerialPort::setDataTerminalReady, m_dtr);
        applyModemLine(&QSerialPort::setRequestToSend, m_rts);
        m_modemLinesSet = true;
    } catch (const PortError&) {
        m_serial.close();  // nothing was written: the device gets its old settings back
        throw;
    }
}

// Calls the wait hook: false once it says the wait is to end.
bool QtPort::waitGoesOn() { return !m_waitTurn || m_waitTurn(); }

void QtPort::drain()
{
    bool abandoned = false;
    if (!SerialDevice::drain(m_serial, DrainTimeLimitMs, [&] { return !(abandoned = !waitGoesOn()); }))
        abandoned ? throwAbandoned() : throwNotDrained();
}

// Closes once the output has left; output that never leaves is reported
// after the port has closed all the same. A drain abandoned through the
// wait hook closes at once, with nothing to report: its caller asked for it.
void QtPort::closeDevice()
{
    if (!m_serial.isOpen())
        return;
    bool abandoned = false;
    const bool drained = SerialDevice::drain(m_serial, DrainTimeLimitMs, [&] { return !(abandoned = !waitGoesOn()); });
    SerialDevice::close(m_serial);
    if (!drained && !abandoned)
        throwNotDrained();
}

void QtPort::throwAbandoned()
{
    throw PortError(PortFailure::Abandoned, QSerialPort::TimeoutError, "The wait for the device was abandoned");
}

void QtPort::throwNotDrained()
{
    throw PortError(PortFailure::Other, QSerialPort::TimeoutError,
                    "The device did not send its output within " + std::to_string(DrainTimeLimitMs) + " ms");
}

void QtPort::setDtrEnabled(bool enabled) { setModemLine(&QSerialPort::setDataTerminalReady, m_dtr, enabled); }

void QtPort::setRtsEnabled(bool enabled) { setModemLine(&QSerialPort::setRequestToSend, m_rts, enabled); }

// The link lowers DTR before every exchange: a line the open device holds
// at that level already costs no call to the driver.
void QtPort::setModemLine(bool (QSerialPort::*setter)(bool), bool& stored, bool enabled)
{
    if (m_serial.isOpen() && m_modemLinesSet && stored == enabled)
        return;
    Call call(*this);
    m_modemLinesSet = false;
    applyModemLine(setter, enabled);
    stored = enabled;
    m_modemLinesSet = m_serial.isOpen();
}

// Sets a modem-control line of an open port. A device that has no such
// lines (Qt reports ENOTTY as an unsupported operation) is not a failure:
// otherwise a pseudo-terminal could never be opened by the link.
void QtPort::applyModemLine(bool (QSerialPort::*setter)(bool), bool enabled)
{
    if (!m_serial.isOpen() || (m_serial.*setter)(enabled))
        return;
    if (m_serial.error() == QSerialPort::UnsupportedOperationError) {
        m_serial.clearError();
        m_failure.reset();
        return;
    }
    throwFailure();
}

std::string QtPort::read(size_t maxBytes)
{
    requireOpen();
    Call call(*this);
    // Bytes that reached the device while no event loop ran are pulled in
    // here, so a caller that never yields still sees them.
    if (m_serial.bytesAvailable() == 0) {
        m_serial.waitForReadyRead(0);
        if (m_failure)
            throwFailure();
    }
    const qint64 waiting = m_serial.bytesAvailable();
    const qint64 count = static_cast<qint64>(std::min<uint64_t>(maxBytes, static_cast<uint64_t>(waiting)));
    if (count == 0)
        return {};
    // Read straight into the string: a range reads its answers a byte at a time.
    std::string bytes(static_cast<size_t>(count), '\0');
    bytes.resize(static_cast<size_t>(std::max<qint64>(m_serial.read(bytes.data(), count), 0)));
    return bytes;
}

void QtPort::write(const std::string& bytes)
{
    requireOpen();
    Call call(*this);
    const qint64 size = static_cast<qint64>(bytes.size());
    const qint64 done = m_serial.bytesToWrite() == 0 ? SerialDevice::writeNow(m_serial, bytes.data(), size) : 0;
    if (done == size)
        return;
    const QByteArray rest(bytes.data() + done, static_cast<qsizetype>(size - done));
    if (m_serial.write(rest) != rest.size())
        throwFailure();
    // The hook is called whenever a slice has passed, whether the device
    // took some of the output meanwhile or not.
    const QDeadlineTimer deadline(WriteTimeLimitMs);
    QDeadlineTimer turnDue(WaitSliceMs);
    while (m_serial.isOpen() && m_serial.bytesToWrite() > 0) {
        const bool written = m_serial.waitForBytesWritten(
            static_cast<int>(std::min(deadline.remainingTime(), turnDue.remainingTime())));
        if (m_failure)
            throwFailure();
        if (!written && deadline.hasExpired())
            throw PortError(PortFailure::Other, QSerialPort::TimeoutError,
                            "The device took no output for " + std::to_string(WriteTimeLimitMs) + " ms");
        if (turnDue.hasExpired()) {
            if (!waitGoesOn())
                throwAbandoned();
            turnDue.setRemainingTime(WaitSliceMs);
        }
    }
    if (m_failure)
        throwFailure();
}

void QtPort::setInputNotifications(bool on)
{
    const bool switchedOn = !m_notifications && on;
    m_notifications = on;
    // Bytes that arrived while notifications were off are announced now,
    // on the event loop's next turn: the caller is in the middle of its own code.
    if (switchedOn && m_serial.isOpen() && m_serial.bytesAvailable() > 0)
        queueNotification();
}

void QtPort::setEventHandler(std::function<void(CommEvent)> handler) { m_handler = std::move(handler); }

bool QtPort::waitForInput(int timeoutMs)
{
    requireOpen();
    Call call(*this);
    if (m_serial.bytesAvailable() > 0)
        return true;
    const bool arrived = m_serial.waitForReadyRead(std::max(timeoutMs, 0));
    if (m_failure)
        throwFailure();
    return arrived;
}

// Reading, writing and waiting need an open port; a closed one would make
// every wait return at once and its caller spin.
void QtPort::requireOpen()
{
    // A port that closed itself when its line dropped says so, even when
    // the drop came between two operations rather than inside one; its
    // caller then knows, and the handler need not be told.
    if (!m_serial.isOpen() && m_dropped) {
        m_dropUntold = false;
        throw *m_dropped;
    }
    if (!m_serial.isOpen())
        throw PortError(PortFailure::Other, QSerialPort::NotOpenError, "Device is not open");
}

void QtPort::throwFailure()
{
    if (m_failure)
        throw *m_failure;
    const QSerialPort::SerialPortError error = m_serial.error();
    throw PortError(kindOf(error), error, failureText(error));
}

// Qt's text for a failure, except where it misleads: for a dropped line it
// is whatever errno held last, often a stale "Inappropriate ioctl for
// device", and a device locked by another program reads as a permission
// error.
std::string QtPort::failureText(QSerialPort::SerialPortError error) const
{
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError)
        return LineDroppedText;
    if (error == QSerialPort::PermissionError
        && m_serial.errorString() == QSerialPort::tr("Permission error while locking the device"))
        return InUseText;
    return m_serial.errorString().toStdString();
}

void QtPort::onErrorOccurred(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError)
        return;
    // The device vanished (ResourceError) or its line hung up (a read that
    // returns nothing: ReadError).
    const bool dropped = error == QSerialPort::ResourceError || error == QSerialPort::ReadError;
    const std::string text = failureText(error);
    if (m_callDepth > 0 && !m_failure)
        m_failure.emplace(kindOf(error), error, text);
    // Qt keeps polling a hung-up line from the event loop at full speed, so
    // the port is closed; the next operation then fails, and opening again
    // works once the device is back.
    if (dropped && m_serial.isOpen()) {
        m_dropped.emplace(kindOf(error), error, text);
        m_serial.close();
        // Between operations: the link hears of it, and the port comes back
        // by itself once the device does.
        if (m_callDepth == 0) {
            queueLineDropped();
            m_reopenTimer.start();
        }
    }
}

std::optional<PortError> QtPort::closedByDrop()
{
    if (m_serial.isOpen())
        return std::nullopt;
    return m_dropped;
}

void QtPort::queueLineDropped()
{
    m_dropUntold = true;
    QMetaObject::invokeMethod(
        &m_serial,
        [this] {
            if (m_handler && m_dropUntold && m_dropped && !m_serial.isOpen()) {
                m_dropUntold = false;
                const std::function<void(CommEvent)> handler = m_handler;
                handler(CommEvent::LineDropped);
            }
        },
        Qt::QueuedConnection);
}

// One try to open the device again, with the line settings and modem lines
// the port had: the address may name a new device by now (a COM<N> link
// pointed elsewhere). A failure only means the device is not back yet.
// Data waiting once it is open is announced as any other.
void QtPort::reopenAfterDrop()
{
    if (!m_dropped || m_serial.isOpen()) {
        m_reopenTimer.stop();
        return;
    }
    Call call(*this);
    try {
        openDevice();
    } catch (const PortError&) {
        return;
    }
    if (!m_serial.isOpen())
        return;  // the line dropped again while opening: keep trying
    m_dropped.reset();
    m_reopenTimer.stop();
    if (m_notifications && m_serial.bytesAvailable() > 0)
        queueNotification();
}

void QtPort::queueNotification()
{
    if (m_notificationQueued)
        return;
    m_notificationQueued = true;
    QMetaObject::invokeMethod(
        &m_serial,
        [this] {
            m_notificationQueued = false;
            notify();
        },
        Qt::QueuedConnection);
}

void QtPort::notify()
{
    if (!m_handler || !m_notifications || !m_serial.isOpen() || m_serial.bytesAvailable() == 0)
        return;
    const std::function<void(CommEvent)> handler = m_handler;
    handler(CommEvent::ReceivedData);
}

void processQtEvents() { QCoreApplication::processEvents(); }

}  // namespace lettore
