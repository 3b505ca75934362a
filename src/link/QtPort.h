#pragma once

#include "ByteChannel.h"
#include "PortNaming.h"

#include <QSerialPort>
#include <QTimer>

#include <optional>

namespace lettore {

// The real serial port, on Qt SerialPort: the byte channel and line
// control for the serial device an address names (PortNaming::deviceFor),
// looked up each time the port opens.
//
// Settings, DTR and RTS may be set while the port is closed: they are kept
// and applied when it opens. Settings, DTR and RTS set while
// it is open take effect at once. A device without modem-control lines (a
// pseudo-terminal) ignores DTR and RTS instead of failing.
//
// Failures throw PortError with the QSerialPort::SerialPortError value as
// number and Qt's text, of the kind: missing device -> InvalidPortNumber;
// device locked by another process or not permitted -> DeviceUnavailable;
// already open -> AlreadyOpen; anything else -> Other; a device locked by
// another program says so in plain words. When the device vanishes or its
// line hangs up the port closes itself, so the next operation fails
// instead of the event loop spinning on the dead device. When that happens
// between operations (nobody would hear of it otherwise) the handler is
// told with LineDropped, and the port tries every ReopenIntervalMs to open
// the device its address names again, until it succeeds or is told to open
// or close.
//
// Input notifications reach the handler only as queued calls from the
// Qt event loop: never from inside QSerialPort's readyRead signal, nor from
// inside one of this port's own operations. Data that arrives, or that one
// of them pulls in, while they are on is announced on a later turn of the
// loop, if it is still waiting and they are still on by then.
//
// Before the port closes, and before settings change on an open port,
// every byte written is let leave the device (for at most DrainTimeLimitMs);
// closing leaves the line settings on the device as they are, so the last
// bytes are never sent, nor read off a pseudo-terminal, at the rate the
// device had before it was opened. Bytes still queued at the limit fail
// the operation; a close still closes.
//
// A write and a drain wait in slices of at most WaitSliceMs, calling the
// wait hook between them; when it says stop, a write fails as abandoned
// and a close closes at once, dropping what was not sent.
class QtPort : public ByteChannel, public LineControl {
public:
    QtPort(PortNaming naming, std::string address);
    ~QtPort() override;

    QtPort(const QtPort&) = delete;
    QtPort& operator=(const QtPort&) = delete;

    // ByteChannel
    void open() override;
    void close() override;
    bool isOpen() override { return m_serial.isOpen(); }
    std::string read(size_t maxBytes = SIZE_MAX) override;
    void write(const std::string& bytes) override;
    bool waitForInput(int timeoutMs) override;
    void setWaitTurn(std::function<bool()> turn) override { m_waitTurn = std::move(turn); }
    void setInputNotifications(bool on) override;
    void setEventHandler(std::function<void(CommEvent)> handler) override;
    std::optional<PortError> closedByDrop() override;
    LineControl* lineControl() override { return this; }

    // LineControl
    void setSettings(const std::string& settings) override;
    std::string settings() override { return m_settings; }
    void setDtrEnabled(bool enabled) override;
    void setRtsEnabled(bool enabled) override;

    // The longest a write may take to reach the driver, and the longest
    // the driver may take to send what it holds before a close or a change.
    static constexpr int WriteTimeLimitMs = 5000;
    static constexpr int DrainTimeLimitMs = 5000;
    // How often a port closed by a dropped line tries to open again.
    static constexpr int ReopenIntervalMs = 250;
    // The longest stretch of a write or a drain between two calls of the
    // wait hook.
    static constexpr int WaitSliceMs = 100;

private:
    class Call;

    void openDevice();
    void requireOpen();
    void applyModemLine(bool (QSerialPort::*setter)(bool), bool enabled);
    void setModemLine(bool (QSerialPort::*setter)(bool), bool& stored, bool enabled);
    [[noreturn]] void throwFailure();
    std::string failureText(QSerialPort::SerialPortError error) const;
    [[noreturn]] void throwNotDrained();
    [[noreturn]] void throwAbandoned();
    void onErrorOccurred(QSerialPort::SerialPortError error);
    bool waitGoesOn();
    void drain();
    void closeDevice();
    void queueNotification();
    void notify();
    void queueLineDropped();
    void reopenAfterDrop();

    QSerialPort m_serial;
    PortNaming m_naming;
    std::string m_address;
    std::function<void(CommEvent)> m_handler;
    std::function<bool()> m_waitTurn;

    std::string m_settings = "9600,N,8,1";
    bool m_dtr = false;
    bool m_rts = false;
    bool m_modemLinesSet = false;  // the open device holds m_dtr and m_rts
    bool m_notifications = false;

    int m_callDepth = 0;  // inside one of our own QSerialPort calls
    std::optional<PortError> m_failure;  // the first error Qt reported during that call
    std::optional<PortError> m_dropped;  // why the port closed itself, until it opens again
    bool m_notificationQueued = false;
    bool m_dropUntold = false;  // a drop between operations that no caller has met yet
    QTimer m_reopenTimer;  // runs while a port closed by a dropped line waits for its device
};

// Gives the Qt event loop one turn: the link's yield hook in Qt programs.
void processQtEvents();

}  // namespace lettore
