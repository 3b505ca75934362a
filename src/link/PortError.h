#pragma once

#include <stdexcept>
#include <string>

namespace lettore {

// The kinds of port failure the link tells apart. Every platform error is
// mapped onto one of them; the number and text stay the platform's own.
enum class PortFailure {
    DeviceUnavailable,  // held by another process, locked, permission denied
    AlreadyOpen,  // the device is already open
    InvalidPortNumber,  // no such device
    Abandoned,  // a wait the program asked to end: ends as a time-out
    Other,
};

// A failed port operation. Thrown by every ByteChannel and LineControl
// operation that fails.
class PortError : public std::runtime_error {
public:
    PortError(PortFailure kind, int number, const std::string& text)
        : std::runtime_error(text), m_kind(kind), m_number(number)
    { }

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

}  // namespace lettore
