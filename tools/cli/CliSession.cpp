#include "CliSession.h"

#include "ByteText.h"
#include "CommandTable.h"
#include "ErrorWatcher.h"
#include "Esito.h"
#include "ReadingListener.h"
#include "ResultText.h"
#include "ScopedSubscription.h"
#include "TraceListener.h"
#include "clsLettori.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace lettore {

namespace {

// SIGINT and SIGTERM end listening: the handler writes to a pipe that the
// event loop watches.
int signalPipe[2] = {-1, -1};

constexpr int OutputCheckMs = 500;

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

void handleStopSignals(void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// SIGINT and SIGTERM stop a range insertion between two codes: the handler
// only notes the signal, which the insertion asks for before each code.
std::atomic<int> stopSignal = 0;
static_assert(std::atomic<int>::is_always_lock_free);

void onStopSignal(int signal) { stopSignal = signal; }

// While it lives, SIGINT and SIGTERM are noted in stopSignal instead of
// ending the process.
class StopOnSignal {
public:
    StopOnSignal()
    {
        stopSignal = 0;
        handleStopSignals(onStopSignal);
    }
    ~StopOnSignal() { handleStopSignals(SIG_DFL); }

    StopOnSignal(const StopOnSignal&) = delete;
    StopOnSignal& operator=(const StopOnSignal&) = delete;
};

}  // namespace

CliSession::CliSession(clsLettori& registry, const Invocation& invocation,
                       const ConnectionSettings& stored, std::ostream& out, std::ostream& err)
    : m_registry(registry), m_invocation(invocation), m_stored(stored), m_out(out), m_err(err)
{
}

int CliSession::portFailure(const std::string& text)
{
    m_err << "lettore: " << text << std::endl;
    return ExitPort;
}

int CliSession::run()
{
    clsComunicazioni& link = m_registry.Comunicazione();
    ErrorWatcher errors;
    ScopedSubscription watching(link, errors);
    std::optional<TraceListener> trace;
    std::optional<ScopedSubscription> tracing;
    if (m_invocation.trace) {
        trace.emplace(m_err);
        tracing.emplace(link, *trace);
    }

    const int16_t portNumber = m_invocation.portNumber.value_or(m_stored.NSeriale);
    // The link passes a number on to the port only when it differs from the
    // one it stored, and it stores 0 while the port starts on 1: port 0
    // would silently stay port 1. Another number first makes the chosen one
    // reach the port.
    if (link.CommPort() == portNumber)
        link.setCommPort(portNumber == 0 ? 1 : 0);
    link.setCommPort(portNumber);
    link.setCommSettings(m_invocation.baud.value_or(m_stored.Velocita) + ",N,8,1");
    link.setQuietGapAfterTimeOut(
        m_invocation.quietGapMs.value_or(clsComunicazioni::UsualQuietGapMs));
    link.setAttivo(true);
    if (errors.last() || !link.Attivo()) {
        // Say which port, so a wrong number or a stale COM<N> link shows.
        const std::string port = m_invocation.device.empty()
                                     ? "port " + std::to_string(portNumber)
                                     : m_invocation.device;
        return portFailure("cannot open " + port + ": "
                           + errors.last().value_or("the port could not be opened"));
    }

    const int status = m_invocation.listen ? listen() : runCommand(errors);
    // The port is closed while the event loop still exists; the link itself
    // lives on until the process ends.
    link.setAttivo(false);
    return status;
}

int CliSession::runCommand(const ErrorWatcher& errors)
{
    CommandRequest request;
    request.term = m_invocation.term.value_or(m_stored.Terminale);
    request.args = m_invocation.args;
    request.ack = m_invocation.ack;
    request.dialect = m_invocation.dialect;

    // A range insertion can be stopped, and shows each code on a terminal
    // as it goes.
    std::optional<StopOnSignal> stoppable;
    const bool range = std::string(m_invocation.command->name) == "InserisciBadge";
    const bool showProgress = range && ::isatty(STDERR_FILENO) == 1;
    if (range) {
        stoppable.emplace();
        request.stopRequested = [] { return stopSignal != 0; };
    }
    if (showProgress)
        request.progress = [this](const RangeInsertion::Step& step) {
            m_err << '\r' << ByteText::escape(step.line()) << std::flush;
        };

    const CommandResult result = m_invocation.command->invoke(m_registry, request);
    if (showProgress)
        m_err << '\n';
    m_out << ResultText::format(result) << std::flush;
    if (result.esito == Esito::PortFailed)
        return portFailure(errors.last().value_or("the port failed"));
    if (result.stopped)
        return ExitSignalBase + stopSignal;
    return result.esito;
}

int CliSession::listen()
{
    clsComunicazioni& link = m_registry.Comunicazione();
    std::optional<std::string> failure;
    ErrorWatcher errors([&] {
        failure = errors.last();
        QCoreApplication::exit(ExitPort);
    });
    ScopedSubscription watching(link, errors);
    ReadingListener readings(m_registry, m_out, m_invocation.ack);
    ScopedSubscription reading(link, readings);

    if (::pipe2(signalPipe, O_CLOEXEC) != 0)
        return portFailure("cannot watch for signals");
    QSocketNotifier stop(signalPipe[0], QSocketNotifier::Read);
    // The stop may come while a reception waits (noise started it): that
    // wait ends too, or the program would linger up to 5 s.
    QObject::connect(&stop, &QSocketNotifier::activated, [&link] {
        link.abandonWait();
        QCoreApplication::exit(0);
    });
    handleStopSignals(onSignal);

    // A line that drops while nothing is sent comes as the link's Errore
    // (above); the output the readings go to is looked at from time to time.
    QTimer outputCheck;
    QObject::connect(&outputCheck, &QTimer::timeout, [&] {
        if (!m_out)
            QCoreApplication::exit(ExitOutput);
    });
    outputCheck.start(OutputCheckMs);

    link.OnComm_Attivato();
    const int status = QCoreApplication::exec();
    handleStopSignals(SIG_DFL);
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    if (failure)
        return portFailure(*failure);
    return status;
}

}  // namespace lettore
