// The floor of the line: the least a client can do for a range insertion.
// Raw termios and poll, nothing else: one CreaBadge frame per code, then
// the answer read until its check character (or a lone ACK or NAK), at
// most 5 s; with "verify", all the codes' existence checks (VerificaBadge)
// after them, as an enrolment reads its list back. Frames are built here,
// on purpose apart from the link's code.
//   lettore-bench-floor DEVICE BAUD TERM FIRST LAST [verify]
// Prints "accettati N" (exchanges accepted) and exits 0 when every answer
// was accepted.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr char STX = 0x02, ETX = 0x03, ACK = 0x06, NAK = 0x15;
constexpr int AnswerLimitMs = 5000;

speed_t speedOf(int baud)
{
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 19200: return B19200;
    case 38400: return B38400;
    default: return B9600;
    }
}

char bcc(const std::string& bytes)
{
    unsigned char x = 0;
    for (char c : bytes)
        x ^= static_cast<unsigned char>(c);
    return static_cast<char>(x);
}

// STX, the two address characters (a command that changes something: 0x30
// and the nibble; a query: 0x30 and 0x20 plus the low nibble), the data,
// ETX, then the XOR of all of them.
std::string frame(int term, bool set, const std::string& data)
{
    std::string bytes{STX, static_cast<char>(0x30 + (term >> 4)),
                      static_cast<char>((set ? 0x30 : 0x20) + (term & 0x0F))};
    bytes += data;
    bytes += ETX;
    return bytes + bcc(bytes);
}

std::string code(int number)
{
    char digits[11];
    std::snprintf(digits, sizeof digits, "%010d", number);
    return digits;
}

// One answer: true when it is a lone ACK, or a frame whose check character
// is right. False on NAK, a wrong check character or the time limit.
bool answerAccepted(int fd)
{
    std::string answer;
    bool haveEtx = false;
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, AnswerLimitMs) != 1)
            return false;
        char buffer[64];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        for (ssize_t i = 0; i < n; ++i) {
            const char c = buffer[i];
            if (answer.empty() && (c == ACK || c == NAK))
                return c == ACK;
            if (answer.empty() && c != STX)
                continue;
            if (haveEtx)
                return bcc(answer) == c;
            answer += c;
            haveEtx = c == ETX;
        }
    }
}

}  // namespace

int main(int argc, char* argv[])
{
    const bool verify = argc == 7 && std::strcmp(argv[6], "verify") == 0;
    if (argc != 6 && !verify) {
        std::fprintf(stderr, "usage: %s DEVICE BAUD TERM FIRST LAST [verify]\n", argv[0]);
        return 64;
    }
    const int fd = ::open(argv[1], O_RDWR | O_NOCTTY);
    if (fd < 0) {
        std::fprintf(stderr, "%s: %s\n", argv[1], std::strerror(errno));
        return 74;
    }
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::cfsetspeed(&t, speedOf(std::atoi(argv[2])));
    t.c_cflag |= CLOCAL | CREAD;
    ::tcsetattr(fd, TCSANOW, &t);
    ::tcflush(fd, TCIOFLUSH);

    const int term = std::atoi(argv[3]);
    const int first = std::atoi(argv[4]);
    const int last = std::atoi(argv[5]);
    int accepted = 0;
    const auto exchange = [&](const std::string& bytes) {
        if (::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            std::exit(74);
        accepted += answerAccepted(fd);
    };
    for (int n = first; n <= last; ++n)
        exchange(frame(term, true, "41" + code(n)));
    for (int n = first; verify && n <= last; ++n)
        exchange(frame(term, false, "7" + code(n)));
    ::close(fd);
    std::printf("accettati %d\n", accepted);
    return accepted == (last - first + 1) * (verify ? 2 : 1) ? 0 : 1;
}
