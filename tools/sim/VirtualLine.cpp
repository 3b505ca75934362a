#include "VirtualLine.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

namespace lettore::sim {

namespace {

// The loop polls the line; a read or write must never block it.
void setNonBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

}  // namespace

VirtualLine::VirtualLine(const std::vector<ReaderSettings>& readers, const LineSettings& settings, std::ostream* log)
    : m_bus(readers, settings, log, Clock::now())
{
    setNonBlocking(m_pty.masterFd());
    m_wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_wakeFd < 0)
        throw std::system_error(errno, std::generic_category(), "eventfd");
}

VirtualLine::~VirtualLine()
{
    stop();
    endCommands();
    if (m_thread.joinable())
        m_thread.join();
    ::close(m_wakeFd);
}

void VirtualLine::start()
{
    m_thread = std::thread([this] { run(); });
}

void VirtualLine::stop()
{
    m_stopRequested = true;
    const std::uint64_t one = 1;
    // Only async-signal-safe calls here: stop() runs in signal handlers.
    [[maybe_unused]] const auto written = ::write(m_wakeFd, &one, sizeof one);
}

bool VirtualLine::submit(const LineCommand& command)
{
    {
        std::unique_lock lock(m_commandsMutex);
        m_roomForCommands.wait(lock, [this] { return m_commands.size() < MaxWaitingCommands || m_loopEnded; });
        if (m_loopEnded)
            return false;
        m_commands.push_back(command);
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(m_wakeFd, &one, sizeof one);
    return true;
}

void VirtualLine::endCommands()
{
    std::lock_guard lock(m_commandsMutex);
    m_loopEnded = true;
    m_roomForCommands.notify_all();
}

void VirtualLine::run()
{
    m_bus.log().event("line open on " + m_pty.slavePath());
    while (!m_stopRequested && m_bus.serving()) {
        const auto now = Clock::now();
        comeBackIfDue(now);
        writeDue(now);
        waitForWork(now);
    }
    if (m_bus.lineUp())
        m_bus.log().event("line stopped");
    endCommands();
}

void VirtualLine::waitForWork(Clock::time_point now)
{
    const std::optional<Clock::time_point> wake = m_bus.nextDue();
    timespec timeout{};
    timespec* timeoutPtr = nullptr;
    if (wake) {
        const auto wait
            = std::chrono::duration_cast<std::chrono::nanoseconds>(std::max(*wake - now, Clock::duration::zero()));
        timeout.tv_sec = static_cast<time_t>(wait.count() / 1'000'000'000);
        timeout.tv_nsec = static_cast<long>(wait.count() % 1'000'000'000);
        timeoutPtr = &timeout;
    }
    pollfd fds[3] = {{m_pty.masterFd(), POLLIN, 0}, {m_wakeFd, POLLIN, 0}, {m_stopFd, POLLIN, 0}};
    if (::ppoll(fds, 3, timeoutPtr, nullptr) <= 0)
        return;
    if (fds[2].revents & POLLIN) {
        m_stopRequested = true;
        return;
    }
    if (fds[1].revents & POLLIN) {
        std::uint64_t count = 0;
        [[maybe_unused]] const auto got = ::read(m_wakeFd, &count, sizeof count);
        runCommands();
    }
    if (m_pty.masterFd() >= 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR)))
        readLine();
}

void VirtualLine::readLine()
{
    char buffer[4096];
    const auto got = ::read(m_pty.masterFd(), buffer, sizeof buffer);
    if (got < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (got <= 0)
        m_bus.drop(std::string("line failed: ") + std::strerror(errno), Clock::now());
    else
        m_bus.hear(std::string_view(buffer, static_cast<std::size_t>(got)), m_pty.baudRate(), Clock::now());
    followBus();
}

void VirtualLine::writeDue(Clock::time_point now)
{
    const std::string bytes = m_bus.takeDue(m_pty.baudRate(), now);
    if (bytes.empty() || m_pty.masterFd() < 0)
        return;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto written = ::write(m_pty.masterFd(), bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            break;
        done += static_cast<std::size_t>(written);
    }
    // Nobody draining the line: the bytes are lost, as on a real line.
    if (done < bytes.size())
        m_bus.log().event(std::to_string(bytes.size() - done) + " bytes lost: nobody reads the line");
}

void VirtualLine::runCommands()
{
    std::vector<LineCommand> commands;
    {
        std::lock_guard lock(m_commandsMutex);
        commands.swap(m_commands);
        m_roomForCommands.notify_all();
    }
    for (const auto& command : commands)
        m_bus.apply(command, Clock::now());
    followBus();
}

void VirtualLine::followBus()
{
    if (!m_bus.lineUp() && m_pty.masterFd() >= 0)
        m_pty.close();
}

// The line comes back as a new pseudo-terminal behind the same link.
void VirtualLine::comeBackIfDue(Clock::time_point now)
{
    if (!m_bus.dueBack(now))
        return;
    try {
        m_pty.reopen();
    } catch (const std::system_error& error) {
        m_bus.staysDown(error.what());
        return;
    }
    setNonBlocking(m_pty.masterFd());
    m_bus.backOn(m_pty.slavePath());
}

}  // namespace lettore::sim
