#include "LineServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <system_error>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace lettore::sim {

namespace {

constexpr uint8_t Iac = 255, Sb = 250, Se = 240, Will = 251, Wont = 252, Do = 253, Dont = 254;
constexpr uint8_t Binary = 0, SuppressGoAhead = 3, ComPortOption = 44;
constexpr uint8_t SetBaudRate = 1, SetDataSize = 2, SetParity = 3, SetStopSize = 4, PurgeData = 12;

constexpr struct {
    int rate;
    speed_t speed;
} Speeds[] = {{300, B300},     {600, B600},     {1200, B1200},   {2400, B2400},     {4800, B4800},    {9600, B9600},
              {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400}};

std::system_error systemError(const std::string& what)
{
    return std::system_error(errno, std::generic_category(), what);
}

// Writes every byte; false when the other end went away.
bool writeAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            pollfd wait{fd, POLLOUT, 0};
            ::poll(&wait, 1, 100);
            continue;
        }
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

// One client on the line's device: bytes both ways, and over RFC 2217 the
// Telnet commands taken out of the client's bytes and answered.
class LineServer::Session {
public:
    Session(int client, int device, bool rfc2217) : m_client(client), m_device(device), m_rfc2217(rfc2217) { }

    void run()
    {
        if (m_rfc2217 && !writeAll(m_client, std::string{char(Iac), char(Do), char(ComPortOption)}))
            return;
        for (;;) {
            pollfd fds[2] = {{m_client, POLLIN, 0}, {m_device, POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0 && errno != EINTR)
                return;
            char buffer[512];
            if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
                const ssize_t n = ::read(m_client, buffer, sizeof buffer);
                if (n <= 0 || !fromClient(std::string_view(buffer, static_cast<size_t>(n))))
                    return;
            }
            if (fds[1].revents & POLLIN) {
                const ssize_t n = ::read(m_device, buffer, sizeof buffer);
                if (n > 0 && !writeAll(m_client, escaped(std::string_view(buffer, static_cast<size_t>(n)))))
                    return;
            }
            if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL))
                return;  // the line dropped: the client hears it as the connection's end
        }
    }

private:
    enum class State { Data, Iac, Option, Sub, SubIac };

    std::string escaped(std::string_view data) const
    {
        std::string out;
        for (const char c : data) {
            out += c;
            if (m_rfc2217 && static_cast<uint8_t>(c) == Iac)
                out += c;
        }
        return out;
    }

    bool fromClient(std::string_view input)
    {
        if (!m_rfc2217)
            return writeAll(m_device, std::string(input));
        std::string data, answers;
        for (const char c : input) {
            const auto b = static_cast<uint8_t>(c);
            switch (m_state) {
            case State::Data:
                if (b == Iac)
                    m_state = State::Iac;
                else
                    data += c;
                break;
            case State::Iac:
                m_state = b == Iac ? State::Data : b == Sb ? State::Sub : b >= Will ? State::Option : State::Data;
                if (b == Iac)
                    data += c;
                m_sub.clear();
                m_verb = b;
                break;
            case State::Option:
                answers += option(m_verb, b);
                m_state = State::Data;
                break;
            case State::Sub:
                if (b == Iac)
                    m_state = State::SubIac;
                else
                    m_sub += c;
                break;
            case State::SubIac:
                m_state = b == Iac ? State::Sub : State::Data;
                if (b == Iac) {
                    m_sub += c;
                } else {
                    // Data before a settings change goes out at the old settings.
                    if (!writeAll(m_device, data))
                        return false;
                    data.clear();
                    answers += request(m_sub);
                }
                break;
            }
        }
        return writeAll(m_device, data) && writeAll(m_client, answers);
    }

    // Agrees to the options of RFC 2217 and refuses the others, once each.
    std::string option(uint8_t verb, uint8_t code)
    {
        if (verb != Will && verb != Do)
            return {};
        const bool ours = code == Binary || code == SuppressGoAhead || code == ComPortOption;
        const uint8_t reply = verb == Will ? (ours ? Do : Dont) : (ours ? Will : Wont);
        bool& answered = (verb == Will ? m_answeredWill : m_answeredDo)[code];
        if (std::exchange(answered, true) || (verb == Will && code == ComPortOption))
            return {};  // DO COM-PORT-OPTION went first
        return std::string{char(Iac), char(reply), char(code)};
    }

    // A COM-PORT-OPTION request: applied to the device, answered with what it holds.
    std::string request(const std::string& body)
    {
        if (body.size() < 3 || static_cast<uint8_t>(body[0]) != ComPortOption)
            return {};
        const auto command = static_cast<uint8_t>(body[1]);
        std::string value = body.substr(2);
        termios t{};
        ::tcgetattr(m_device, &t);
        if (command == SetBaudRate && value.size() == 4) {
            int rate = 0;
            for (const char c : value)
                rate = rate << 8 | static_cast<uint8_t>(c);
            for (const auto& s : Speeds)
                if (s.rate == rate && ::cfsetspeed(&t, s.speed) == 0)
                    ::tcsetattr(m_device, TCSADRAIN, &t);
            ::tcgetattr(m_device, &t);
            int held = 0;
            for (const auto& s : Speeds)
                if (s.speed == ::cfgetospeed(&t))
                    held = s.rate;
            value = {char(held >> 24), char(held >> 16), char(held >> 8), char(held)};
        } else if (command == SetStopSize) {
            if (value[0] == 1 || value[0] == 2) {
                t.c_cflag = value[0] == 2 ? (t.c_cflag | CSTOPB) : (t.c_cflag & ~tcflag_t(CSTOPB));
                ::tcsetattr(m_device, TCSADRAIN, &t);
            }
            ::tcgetattr(m_device, &t);
            value = {char((t.c_cflag & CSTOPB) ? 2 : 1)};
        } else if (command == SetDataSize) {
            value = {char((t.c_cflag & CSIZE) == CS8   ? 8
                          : (t.c_cflag & CSIZE) == CS7 ? 7
                          : (t.c_cflag & CSIZE) == CS6 ? 6
                                                       : 5)};
        } else if (command == SetParity) {
            value = {char(!(t.c_cflag & PARENB) ? 1 : (t.c_cflag & PARODD) ? 2 : 3)};
        } else if (command == PurgeData) {
            ::tcflush(m_device, value[0] == 1 ? TCIFLUSH : value[0] == 2 ? TCOFLUSH : TCIOFLUSH);
        } else {
            return {};
        }
        std::string out{char(Iac), char(Sb), char(ComPortOption), char(command + 100)};
        return out + escaped(value) + std::string{char(Iac), char(Se)};
    }

    int m_client;
    int m_device;
    bool m_rfc2217;
    State m_state = State::Data;
    uint8_t m_verb = 0;
    std::string m_sub;
    bool m_answeredWill[256] = {};
    bool m_answeredDo[256] = {};
};

LineServer::LineServer(const NetworkAddress& address, std::function<std::string()> device)
    : m_rfc2217(address.scheme == NetworkAddress::Scheme::Rfc2217), m_device(std::move(device))
{
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(address.port);
    if (::inet_pton(AF_INET, address.host.c_str(), &at.sin_addr) != 1)
        throw std::invalid_argument("--listen needs a numeric IPv4 address, not " + address.host);
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0
        || ::listen(m_listener, 4) != 0)
        throw systemError("cannot listen at " + address.text());
}

LineServer::~LineServer()
{
    if (m_listener >= 0)
        ::close(m_listener);
}

void LineServer::start()
{
    std::thread([this] { serve(); }).detach();
}

// Clients one after another; a client that comes while another is served
// waits in the listen queue, as at a device server taken by someone else.
void LineServer::serve()
{
    for (;;) {
        const int client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return;
        }
        const int on = 1;
        ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        const int device = ::open(m_device().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (device >= 0) {
            termios t{};
            if (::tcgetattr(device, &t) == 0) {
                const speed_t speed = ::cfgetospeed(&t);
                ::cfmakeraw(&t);
                ::cfsetspeed(&t, speed);
                ::tcsetattr(device, TCSANOW, &t);
            }
            Session(client, device, m_rfc2217).run();
            ::close(device);
        }
        ::close(client);
    }
}

}  // namespace lettore::sim
