#pragma once

#include <chrono>
#include <string>

namespace lettore::test {

// The host's end of a pseudo-terminal line, as a raw descriptor: sets the
// rate, writes frames, and reads with poll time-outs.
class HostEnd {
public:
    using Clock = std::chrono::steady_clock;

    // Opens `path` in raw mode at `baudRate`; throws std::system_error.
    explicit HostEnd(const std::string& path, int baudRate = 9600);
    ~HostEnd();

    HostEnd(const HostEnd&) = delete;
    HostEnd& operator=(const HostEnd&) = delete;

    void setBaudRate(int baudRate);
    void write(const std::string& bytes);

    // Everything that arrives within `window`.
    std::string readFor(std::chrono::milliseconds window);

    // One answer as the link collects it: bytes before STX are dropped, a
    // lone ACK or NAK is an answer, otherwise STX up to ETX and one more
    // byte. "" when none is complete within `limit`.
    std::string readAnswer(std::chrono::milliseconds limit = std::chrono::milliseconds(1000));

    // True once the line has gone (hang-up or read error) within `limit`.
    bool waitForHangup(std::chrono::milliseconds limit);

    // write(request) then readAnswer(limit).
    std::string exchange(const std::string& request,
                         std::chrono::milliseconds limit = std::chrono::milliseconds(1000));

private:
    // Reads what waits, up to `deadline`; false once the deadline passes.
    bool readSome(Clock::time_point deadline, std::string& into);

    int m_fd = -1;
};

}  // namespace lettore::test
