#include "HostEnd.h"

#include "Framing.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace lettore::test {

namespace {

speed_t speedOf(int baudRate)
{
    switch (baudRate) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    default: return B57600;
    }
}

}  // namespace

HostEnd::HostEnd(const std::string& path, int baudRate)
{
    m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        throw std::system_error(errno, std::generic_category(), "open " + path);
    termios t{};
    tcgetattr(m_fd, &t);
    cfmakeraw(&t);
    tcsetattr(m_fd, TCSANOW, &t);
    setBaudRate(baudRate);
    tcflush(m_fd, TCIOFLUSH);
}

HostEnd::~HostEnd()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void HostEnd::setBaudRate(int baudRate)
{
    termios t{};
    tcgetattr(m_fd, &t);
    cfsetspeed(&t, speedOf(baudRate));
    if (tcsetattr(m_fd, TCSANOW, &t) != 0)
        throw std::system_error(errno, std::generic_category(), "tcsetattr");
}

void HostEnd::write(const std::string& bytes)
{
    if (::write(m_fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        throw std::system_error(errno, std::generic_category(), "write");
}

bool HostEnd::readSome(Clock::time_point deadline, std::string& into)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() < 0)
        return false;
    pollfd fd{m_fd, POLLIN, 0};
    if (::poll(&fd, 1, static_cast<int>(left.count()) + 1) <= 0 || !(fd.revents & POLLIN))
        return Clock::now() < deadline;
    char buffer[256];
    const auto got = ::read(m_fd, buffer, sizeof buffer);
    if (got > 0)
        into.append(buffer, static_cast<std::size_t>(got));
    return true;
}

std::string HostEnd::readFor(std::chrono::milliseconds window)
{
    std::string bytes;
    const auto deadline = Clock::now() + window;
    while (readSome(deadline, bytes)) {
    }
    return bytes;
}

std::string HostEnd::readAnswer(std::chrono::milliseconds limit)
{
    const auto deadline = Clock::now() + limit;
    std::string pending;
    std::string answer;
    while (true) {
        while (!pending.empty()) {
            const char c = pending.front();
            pending.erase(0, 1);
            if (answer.empty()) {
                if (c == Framing::ACK || c == Framing::NAK)
                    return std::string(1, c);
                if (c == Framing::STX)
                    answer = c;
                continue;
            }
            answer += c;
            if (answer.size() >= 2 && answer[answer.size() - 2] == Framing::ETX)
                return answer;
        }
        if (!readSome(deadline, pending))
            return {};
    }
}

bool HostEnd::waitForHangup(std::chrono::milliseconds limit)
{
    pollfd fd{m_fd, POLLIN, 0};
    if (::poll(&fd, 1, static_cast<int>(limit.count())) <= 0)
        return false;
    if (fd.revents & (POLLHUP | POLLERR))
        return true;
    char byte;
    return ::read(m_fd, &byte, 1) <= 0 && errno != EAGAIN;
}

std::string HostEnd::exchange(const std::string& request, std::chrono::milliseconds limit)
{
    write(request);
    return readAnswer(limit);
}

}  // namespace lettore::test
