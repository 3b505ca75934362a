#pragma once

#include <QtGlobal>

#include <functional>

class QSerialPort;

namespace lettore {

// What QtPort needs of an open device that QSerialPort does not offer; the
// platform's way is in SerialDevice_unix.cpp or SerialDevice_win.cpp.
class SerialDevice {
public:
    // Waits until every byte handed to the driver has left the device, for
    // at most limitMs, calling goOn at least every 100 ms and ending as soon
    // as it returns false. False when bytes are still queued then.
    static bool drain(QSerialPort& serial, int limitMs, const std::function<bool()>& goOn);

    // Writes what the device takes at once, straight to it, bypassing
    // QSerialPort's buffer, which must be empty: a short frame then costs
    // one system call, not a queued event and a poll. Returns the bytes
    // written, 0 when the device took none or failed (Qt's own write then
    // sends the rest and reports any failure).
    static qint64 writeNow(QSerialPort& serial, const char* data, qint64 size);

    // Closes the device and leaves the line settings on it as they are.
    // QSerialPort's own close puts back the settings the device had before
    // it was opened, and the far end of a pseudo-terminal reads the line's
    // rate when it reads the bytes: the last frame written would be read
    // at the old rate.
    static void close(QSerialPort& serial);

    // A USB serial adapter's driver holds what it receives until its
    // latency timer runs out (16 ms by default) unless the open device is
    // asked for low latency. Asks that of a USB adapter; a driver that
    // refuses, or a device of another kind, is left as it is.
    static void askLowLatency(QSerialPort& serial);
};

}  // namespace lettore
