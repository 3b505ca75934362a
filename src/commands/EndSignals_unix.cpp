#include "EndSignals.h"

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace lettore {

namespace {

constexpr int Requests[] = {SIGINT, SIGTERM, SIGHUP};

std::atomic<int> latest = 0;
static_assert(std::atomic<int>::is_always_lock_free);
int requestPipe[2] = {-1, -1};

// Only async-signal-safe calls here. The write end does not block: a flood
// of signals fills the pipe, and the loop needs one byte to wake.
void onRequest(int signal)
{
    latest = signal;
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(requestPipe[1], &byte, 1);
}

void handleRequests(void (*handler)(int), int flags)
{
    struct sigaction action { };
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = flags;
    for (const int signal : Requests)
        sigaction(signal, &action, nullptr);
}

}  // namespace

EndSignals::EndSignals(Calls calls)
{
    latest = 0;
    m_watching = ::pipe2(requestPipe, O_CLOEXEC | O_NONBLOCK) == 0;
    if (m_watching)
        handleRequests(onRequest, calls == Calls::Restarted ? SA_RESTART : 0);
}

EndSignals::~EndSignals()
{
    release();
    for (int& fd : requestPipe) {
        if (fd != -1)
            ::close(fd);
        fd = -1;
    }
}

int EndSignals::fd() const { return requestPipe[0]; }

int EndSignals::received() { return latest; }

void EndSignals::release()
{
    if (m_watching)
        handleRequests(SIG_DFL, 0);
}

}  // namespace lettore
