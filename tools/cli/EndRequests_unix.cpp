#include "EndRequests.h"

#include <QSocketNotifier>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace lettore {

namespace {

// The handler notes the signal and, for a waiting event loop, writes a
// byte to a pipe that the loop watches.
std::atomic<int> requestSignal = 0;
static_assert(std::atomic<int>::is_always_lock_free);
int requestPipe[2] = {-1, -1};
std::unique_ptr<QSocketNotifier> pipeWatch;

void onRequestSignal(int signal)
{
    requestSignal = signal;
    if (requestPipe[1] == -1)
        return;
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(requestPipe[1], &byte, 1);
}

void handleRequestSignals(void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

EndRequests::EndRequests(std::function<void()> onRequest) : m_onRequest(std::move(onRequest))
{
    requestSignal = 0;
    m_watching = !m_onRequest || ::pipe2(requestPipe, O_CLOEXEC) == 0;
    if (!m_watching)
        return;
    if (m_onRequest) {
        pipeWatch = std::make_unique<QSocketNotifier>(requestPipe[0], QSocketNotifier::Read);
        QObject::connect(pipeWatch.get(), &QSocketNotifier::activated, [this] { m_onRequest(); });
    }
    handleRequestSignals(onRequestSignal);
}

EndRequests::~EndRequests()
{
    handleRequestSignals(SIG_DFL);
    pipeWatch.reset();
    for (int& fd : requestPipe) {
        if (fd != -1)
            ::close(fd);
        fd = -1;
    }
}

int EndRequests::signal() const { return requestSignal; }

}  // namespace lettore
