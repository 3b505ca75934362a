#include "SerialDevice.h"

#include <QDeadlineTimer>
#include <QSerialPort>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#ifdef __linux__
#include <linux/serial.h>
#endif
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace lettore {

// Polls the driver's output queue, sleeping about as long as the queued
// bytes take at the line's rate (ten bits a byte) but never more than
// 100 ms before asking goOn, then lets the driver wait for the last byte to
// leave the transmitter; that last wait is bounded by the driver itself.
bool SerialDevice::drain(QSerialPort& serial, int limitMs, const std::function<bool()>& goOn)
{
    const int fd = serial.handle();
    const QDeadlineTimer deadline(limitMs);
    const auto byteTime = std::chrono::microseconds(10'000'000 / std::max(serial.baudRate(), 1));
    int queued = 0;
    while (::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline.remainingTimeAsDuration());
        if (left.count() <= 0)
            return false;
        const auto slice = std::min<std::chrono::microseconds>(left, std::chrono::milliseconds(100));
        std::this_thread::sleep_for(std::clamp(byteTime * queued, std::chrono::microseconds(100), slice));
        if (!goOn())
            return false;
    }
    ::tcdrain(fd);
    return true;
}

qint64 SerialDevice::writeNow(QSerialPort& serial, const char* data, qint64 size)
{
    const ssize_t written = ::write(serial.handle(), data, static_cast<size_t>(size));
    return written > 0 ? written : 0;
}

// QSerialPort puts the saved settings back through its own descriptor. For
// the close that descriptor is made to refer to /dev/null, where the
// settings go nowhere, while a duplicate keeps the device open; the
// duplicate then ends the exclusive use Qt took and closes the device.
void SerialDevice::close(QSerialPort& serial)
{
    const int fd = serial.handle();
    const int device = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    const int placeholder = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (device >= 0 && placeholder >= 0)
        ::dup3(placeholder, fd, O_CLOEXEC);
    if (placeholder >= 0)
        ::close(placeholder);
    serial.close();
    if (device >= 0) {
        ::ioctl(device, TIOCNXCL);
        ::close(device);
    }
}

// The device's own name, through the descriptor, whatever link it was
// opened by: ttyUSB* (usb-serial drivers) and ttyACM* (modems' class).
void SerialDevice::askLowLatency(QSerialPort& serial)
{
#ifdef __linux__
    const int fd = serial.handle();
    std::error_code error;
    const std::string name
        = std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), error).filename().string();
    if (error || (name.rfind("ttyUSB", 0) != 0 && name.rfind("ttyACM", 0) != 0))
        return;
    serial_struct info{};
    if (::ioctl(fd, TIOCGSERIAL, &info) != 0)
        return;
    info.flags |= ASYNC_LOW_LATENCY;
    ::ioctl(fd, TIOCSSERIAL, &info);
#else
    (void)serial;
#endif
}

}  // namespace lettore
