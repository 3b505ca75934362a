#include "CliSession.h"

#include "ByteText.h"
#include "CommandRunner.h"
#include "ErrorWatcher.h"
#include "Esito.h"
#include "ReadingListener.h"
#include "ScopedSubscription.h"
#include "TraceListener.h"
#include "clsLettori.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace lettore {

namespace {

// SIGINT and SIGTERM end listening: the handler writes to a pipe that the
// event loop watches.
int signalPipe[2] = {-1, -1};

constexpr int LineCheckMs = 500;

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

CliSession::CliSession(clsLettori& registry, const Invocation& invocation,
                       const ConnectionSettings& stored, std::ostream& out, std::ostream& err,
                       std::function<bool()> portOpen)
    : m_registry(registry),
      m_invocation(invocation),
      m_stored(stored),
      m_out(out),
      m_err(err),
      m_portOpen(std::move(portOpen))
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
    link.setCommPort(portNumber);
    link.setCommSettings(m_invocation.baud.value_or(m_stored.Velocita) + ",N,8,1");
    link.setAttivo(true);
    if (errors.last() || !link.Attivo()) {
        // Say which port, so a wrong number or a stale COM<N> link shows.
        const std::string port = m_invocation.device.empty()
                                     ? "port " + std::to_string(portNumber)
                                     : m_invocation.device;
        return portFailure("cannot open " + port + ": "
                           + errors.last().value_or("the port could not be opened"));
    }

    const int status = std::string(m_invocation.command->name) == "listen" ? listen() : runCommand(errors);
    // The port is closed while the event loop still exists; the link itself
    // lives on until the process ends.
    link.setAttivo(false);
    return status;
}

int CliSession::runCommand(const ErrorWatcher& errors)
{
    // A range insertion shows each code on a terminal as it goes.
    std::function<void(const std::string&)> progress;
    const bool showProgress =
        std::string(m_invocation.command->name) == "InserisciBadge" && ::isatty(STDERR_FILENO) == 1;
    if (showProgress)
        progress = [this](const std::string& line) { m_err << '\r' << ByteText::escape(line) << std::flush; };

    CommandRunner runner(m_registry, m_invocation.term.value_or(m_stored.Terminale), progress);
    const CommandResult result = runner.run(m_invocation);
    if (showProgress)
        m_err << '\n';
    m_out << result.text() << std::flush;
    if (result.esito == Esito::PortFailed)
        return portFailure(errors.last().value_or("the port failed"));
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
    QObject::connect(&stop, &QSocketNotifier::activated, [] { QCoreApplication::exit(0); });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    // A port that closes on its own raises no event while nothing is sent:
    // look at it from time to time.
    QTimer lineCheck;
    QObject::connect(&lineCheck, &QTimer::timeout, [&] {
        if (m_portOpen && !m_portOpen()) {
            failure = "the port closed: the line dropped or the device was removed";
            QCoreApplication::exit(ExitPort);
        }
    });
    lineCheck.start(LineCheckMs);

    link.OnComm_Attivato();
    const int status = QCoreApplication::exec();
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    if (failure)
        return portFailure(*failure);
    return status;
}

}  // namespace lettore
