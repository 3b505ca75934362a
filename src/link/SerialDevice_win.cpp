#include "SerialDevice.h"

#include <QDeadlineTimer>
#include <QSerialPort>
#include <QThread>

#include <windows.h>

namespace lettore {

// Polls the driver's output queue until it is empty, asking goOn every
// 100 ms.
bool SerialDevice::drain(QSerialPort& serial, int limitMs, const std::function<bool()>& goOn)
{
    const QDeadlineTimer deadline(limitMs);
    QDeadlineTimer slice(100);
    for (;;) {
        COMSTAT status{};
        DWORD errors = 0;
        if (!::ClearCommError(serial.handle(), &errors, &status) || status.cbOutQue == 0)
            return true;
        if (deadline.hasExpired())
            return false;
        if (slice.hasExpired()) {
            if (!goOn())
                return false;
            slice.setRemainingTime(100);
        }
        QThread::msleep(1);
    }
}

// Windows writes overlapped through Qt alone.
qint64 SerialDevice::writeNow(QSerialPort&, const char*, qint64) { return 0; }

// Once drained, the settings Qt puts back change nothing already sent, and
// Windows has no pseudo-terminals whose far end reads the rate later.
void SerialDevice::close(QSerialPort& serial) { serial.close(); }

// Windows drivers keep their latency in the device's own settings.
void SerialDevice::askLowLatency(QSerialPort&) { }

}  // namespace lettore
