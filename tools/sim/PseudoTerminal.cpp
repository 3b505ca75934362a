#include "PseudoTerminal.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <pty.h>
#include <sys/stat.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace lettore {

namespace {

[[noreturn]] void fail(const char* what) { throw std::system_error(errno, std::generic_category(), what); }

int speedToBaud(speed_t speed)
{
    switch (speed) {
    case B50: return 50;
    case B75: return 75;
    case B110: return 110;
    case B134: return 134;
    case B150: return 150;
    case B200: return 200;
    case B300: return 300;
    case B600: return 600;
    case B1200: return 1200;
    case B1800: return 1800;
    case B2400: return 2400;
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    case B230400: return 230400;
    default: return 0;
    }
}

}  // namespace

PseudoTerminal::PseudoTerminal() { open(); }

void PseudoTerminal::open()
{
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    cfsetspeed(&raw, B9600);
    raw.c_cflag |= CLOCAL | CREAD;
    if (openpty(&m_master, &m_slave, name, &raw, nullptr) != 0)
        fail("openpty");
    m_slavePath = name;
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
}

PseudoTerminal::~PseudoTerminal() { close(); }

void PseudoTerminal::reopen()
{
    close();
    open();
    if (!m_linkPath.empty())
        linkAs(m_linkPath);
}

int PseudoTerminal::baudRate() const
{
    termios t{};
    if (m_slave < 0 || tcgetattr(m_slave, &t) != 0)
        return 0;
    return speedToBaud(cfgetospeed(&t));
}

void PseudoTerminal::linkAs(const std::string& linkPath)
{
    // Only an old link gives way; a mistyped path must not cost a file.
    struct stat old { };
    if (::lstat(linkPath.c_str(), &old) == 0) {
        if (!S_ISLNK(old.st_mode)) {
            errno = EEXIST;
            fail("symlink");
        }
        ::unlink(linkPath.c_str());
    }
    if (::symlink(m_slavePath.c_str(), linkPath.c_str()) != 0)
        fail("symlink");
    m_linkPath = linkPath;
}

std::string PseudoTerminal::liveDeviceBehind(const std::string& linkPath)
{
    struct stat device { };
    std::error_code error;
    if (!std::filesystem::is_symlink(linkPath, error) || ::stat(linkPath.c_str(), &device) != 0
        || !S_ISCHR(device.st_mode))
        return {};
    return std::filesystem::read_symlink(linkPath, error).string();
}

// The link's path is kept for reopen().
void PseudoTerminal::close()
{
    if (!m_linkPath.empty() && m_master >= 0) {
        // Leave the link alone if another line has taken it over since.
        std::error_code error;
        if (std::filesystem::read_symlink(m_linkPath, error) == m_slavePath)
            ::unlink(m_linkPath.c_str());
    }
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = m_master = -1;
}

}  // namespace lettore
