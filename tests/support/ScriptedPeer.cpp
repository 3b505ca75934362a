#include "ScriptedPeer.h"

#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace lettore::test {

namespace {

void writeAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return;  // the line is gone; the host notices on its side
        done += static_cast<size_t>(n);
    }
}

}  // namespace

ScriptedPeer::ScriptedPeer(PseudoTerminal& line) : m_line(line), m_thread([this] { run(); }) { }

ScriptedPeer::~ScriptedPeer()
{
    m_stop = true;
    m_thread.join();
}

void ScriptedPeer::expect(Step step)
{
    std::lock_guard lock(m_mutex);
    m_script.push_back(std::move(step));
    takeSteps();
}

void ScriptedPeer::send(const std::string& bytes)
{
    std::lock_guard lock(m_mutex);
    writeAll(m_line.masterFd(), bytes);
}

bool ScriptedPeer::waitForReceived(const std::string& bytes, std::chrono::milliseconds limit)
{
    std::unique_lock lock(m_mutex);
    return m_receivedChanged.wait_for(lock, limit, [&] { return m_received.find(bytes) != std::string::npos; });
}

void ScriptedPeer::run()
{
    const int master = m_line.masterFd();
    // Short polls, so the destructor's stop is seen soon.
    pollfd fd = {master, POLLIN, 0};
    while (!m_stop) {
        if (::poll(&fd, 1, 20) < 0 && errno != EINTR)
            return;
        if (fd.revents == 0)
            continue;
        char buffer[4096];
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0)
            return;
        std::lock_guard lock(m_mutex);
        m_received.append(buffer, static_cast<size_t>(n));
        m_pending.append(buffer, static_cast<size_t>(n));
        m_receivedChanged.notify_all();
        takeSteps();
    }
}

void ScriptedPeer::takeSteps()
{
    while (!m_script.empty()) {
        const Step& step = m_script.front();
        const size_t at = m_pending.find(step.request);
        if (at == std::string::npos)
            return;
        m_pending.erase(0, at + step.request.size());
        writeAll(m_line.masterFd(), step.reply);
        if (!step.repeat)
            m_script.pop_front();
    }
}

}  // namespace lettore::test
