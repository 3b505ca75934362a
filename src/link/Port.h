#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

namespace lettore {

// The kinds of port failure the link tells apart. Every platform error is
// mapped onto one of them; the number and text stay the platform's own.
enum class PortFailure {
    DeviceUnavailable,  // held by another process, locked, permission denied
    AlreadyOpen,        // the device is already open
    InvalidPortNumber,  // no such device
    Other,
};

// A failed port operation. Thrown by every Port operation that fails.
class PortError : public std::runtime_error {
public:
    PortError(PortFailure kind, int number, const std::string& text)
        : std::runtime_error(text), m_kind(kind), m_number(number) {}

    PortFailure kind() const { return m_kind; }
    int number() const { return m_number; }

private:
    PortFailure m_kind;
    int m_number;
};

// The text of a failure that ends because the line hung up or the device
// vanished, whichever layer notices it first.
inline constexpr const char* LineDroppedText = "the line dropped or the device was removed";
// The text of a failure to open a device that another program holds.
inline constexpr const char* InUseText = "the device is in use by another program";

// Kinds of port notification. ReceivedData: input is waiting (only while
// the receive threshold is 1). LineDropped: the line hung up or the device
// vanished while no port operation ran, and the port closed itself
// (closedByDrop() says why); it comes whatever the threshold.
enum class CommEvent { Other = 0, ReceivedData = 2, LineDropped = 3 };

// The serial port as the link sees it. Bytes are carried in std::string,
// one char per byte, 0 to 255. Any operation may throw PortError.
class Port {
public:
    virtual ~Port() = default;

    // Port number: which device Open() reaches.
    virtual void setPortNumber(int16_t number) = 0;
    virtual int16_t portNumber() = 0;

    // Settings string "baud,parity,data,stop", e.g. "9600,N,8,1".
    virtual void setSettings(const std::string& settings) = 0;
    virtual std::string settings() = 0;

    virtual void setOpen(bool open) = 0;
    virtual bool isOpen() = 0;

    virtual void setDtrEnabled(bool enabled) = 0;
    virtual void setRtsEnabled(bool enabled) = 0;

    // 0: read() takes everything waiting; 1: at most one byte.
    virtual void setInputLength(int length) = 0;

    // The waiting bytes up to the input length; "" when nothing waits.
    virtual std::string read() = 0;

    // Writes every byte before returning.
    virtual void write(const std::string& bytes) = 0;

    // 0: no receive notifications; 1: notify while at least one byte waits.
    virtual int receiveThreshold() = 0;
    virtual void setReceiveThreshold(int threshold) = 0;

    // The handler that port notifications are delivered to.
    virtual void setReceiveHandler(std::function<void(CommEvent)> handler) = 0;

    // Why the port closed itself when its line dropped, for as long as it
    // stays closed for that reason; nothing otherwise. A port that closed
    // itself outside any operation opens itself again once the device is
    // back, unless it is told to open or close meanwhile.
    virtual std::optional<PortError> closedByDrop() = 0;

    // Blocks until input may be waiting or timeoutMs have passed, without
    // spinning. Returns true when input arrived. A false return only means
    // the time passed; the caller reads the clock to know how much.
    virtual bool waitForInput(int timeoutMs) = 0;
};

}  // namespace lettore
