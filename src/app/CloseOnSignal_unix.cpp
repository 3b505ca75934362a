#include "CloseOnSignal.h"

#include <QSocketNotifier>
#include <QWidget>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace lettore {

namespace {

constexpr int EndSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The signal handler only writes a byte; the event loop reads it and
// closes the window.
int signalSocket[2] = {-1, -1};

void onEndSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalSocket[1], &byte, 1);
}

void handleEndSignals(void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : EndSignals)
        sigaction(signal, &action, nullptr);
}

}  // namespace

void closeOnEndRequest(QWidget& window)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSocket) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalSocket[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window, notifier] {
        char byte = 0;
        [[maybe_unused]] const auto read = ::read(signalSocket[0], &byte, 1);
        notifier->setEnabled(false);
        handleEndSignals(SIG_DFL);
        window.close();
    });
    handleEndSignals(onEndSignal);
}

}  // namespace lettore
