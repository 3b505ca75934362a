#pragma once

#include "NetworkAddress.h"

#include <cstdint>
#include <functional>
#include <string>

namespace lettore::sim {

// The virtual line served over TCP, as a device server serves a serial
// line: one client at a time, its bytes to the line's device and the
// line's bytes back. tcp:// carries bytes only. rfc2217:// also takes the
// client's COM-PORT-OPTION requests: rate and stop bits are set on the
// device, so each reader hears only at its own rate, and every request is
// answered with what the device holds (a pseudo-terminal keeps 8 data bits
// and no parity whatever it is asked). DTR requests go unanswered: the
// line has no modem lines.
class LineServer {
public:
    // Listens at `address`, whose host must be a numeric IPv4 address;
    // `device` names the line's device when a client comes. Throws
    // std::system_error or std::invalid_argument.
    LineServer(const NetworkAddress& address, std::function<std::string()> device);
    ~LineServer();

    LineServer(const LineServer&) = delete;
    LineServer& operator=(const LineServer&) = delete;

    // Serves clients on a thread of its own until the program ends.
    void start();

private:
    class Session;

    void serve();

    bool m_rfc2217;
    std::function<std::string()> m_device;
    int m_listener = -1;
};

}  // namespace lettore::sim
