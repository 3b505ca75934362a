#include "CliSession.h"

#include "ByteText.h"
#include "CollaudoSession.h"
#include "CommandNames.h"
#include "CommandTable.h"
#include "EndRequests.h"
#include "EnrolReport.h"
#include "ErrorWatcher.h"
#include "Esito.h"
#include "JsonReadingListener.h"
#include "LoneAnswer.h"
#include "PortNaming.h"
#include "ReadingListener.h"
#include "ResultJson.h"
#include "ResultText.h"
#include "ScanReport.h"
#include "ScopedSubscription.h"
#include "SerialSettings.h"
#include "StandardStreams.h"
#include "TransactionReport.h"
#include "clsLettori.h"

#include <QCoreApplication>
#include <QTimer>

#include <memory>
#include <optional>

namespace lettore {

namespace {

constexpr int OutputCheckMs = 500;

}  // namespace

CliSession::CliSession(clsLettori& registry, Clock& clock, const Invocation& invocation,
                       const ConnectionSettings& stored, const PortNaming& naming, std::ostream& out, std::ostream& err,
                       LinkEvents* trace, std::function<bool()> outputFailed, TrafficCapture* traffic)
    : m_registry(registry), m_clock(clock), m_invocation(invocation), m_stored(stored), m_naming(naming), m_out(out),
      m_err(err), m_trace(trace), m_outputFailed(outputFailed ? std::move(outputFailed) : [] { return false; }),
      m_traffic(traffic)
{ }

int CliSession::portFailure(const std::string& text)
{
    m_err << "lettore: " << text << std::endl;
    return ExitPort;
}

std::string CliSession::portName(int16_t number) const
{
    const std::string device = m_naming.devicePath(number);
    return "port " + std::to_string(number) + (device.empty() ? "" : " (" + device + ")");
}

void CliSession::hintPortChoice(const std::string& lead)
{
    if (!m_invocation.portNumber && m_invocation.device.empty())
        m_err << "lettore: " << lead << portName(m_stored.NSeriale)
              << " is the port Seriale.cfg or the default gives; choose the reader's port with"
                 " --port N|DEVICE (lettore ports lists them)"
              << std::endl;
}

int CliSession::run()
{
    clsComunicazioni& link = m_registry.Comunicazione();
    ErrorWatcher errors;
    ScopedSubscription watching(link, errors);
    std::optional<ScopedSubscription> tracing;
    if (m_trace)
        tracing.emplace(link, *m_trace);

    // A badge list is read, and its problems told, before the port is touched.
    std::optional<EnrolReport> enrolment;
    if (m_invocation.command == &CommandNames::enrol()) {
        enrolment.emplace(m_registry, m_invocation, m_stored, m_out, m_err);
        if (const int status = enrolment->readList())
            return status;
    }

    const int16_t portNumber = m_invocation.portNumber.value_or(m_stored.NSeriale);
    link.setCommPort(portNumber);
    link.setCommSettings(SerialSettings::readersLine(m_invocation.baud.value_or(m_stored.Velocita)));
    link.setQuietGapAfterTimeOut(m_invocation.quietGapMs.value_or(clsComunicazioni::UsualQuietGapMs));
    if (m_invocation.timeoutMs)
        link.setAnswerTimeLimit(*m_invocation.timeoutMs);
    link.setAttivo(true);
    if (errors.last() || !link.Attivo()) {
        // Say which port, so a wrong number or a stale COM<N> link shows.
        const std::string port = m_invocation.device.empty() ? portName(portNumber) : m_invocation.device;
        const int status
            = portFailure("cannot open " + port + ": " + errors.last().value_or("the port could not be opened"));
        hintPortChoice("");
        return status;
    }

    int status = 0;
    if (m_invocation.listen) {
        status = listen();
    } else if (m_invocation.command == &CommandNames::collaudo() && m_traffic) {
        status = CollaudoSession(m_registry, m_clock, m_invocation, m_stored, *m_traffic, m_out, m_err).run();
    } else if (m_invocation.command == &CommandNames::scan()) {
        status = ScanReport(m_registry, m_invocation, m_out, m_err, m_outputFailed).run();
        if (status == ExitPort)
            status = portFailure(errors.last().value_or("the port failed"));
    } else if (enrolment) {
        status = enrolment->run(errors);
    } else if (m_invocation.command == &CommandNames::transactions()) {
        status = TransactionReport(m_registry, m_invocation, m_stored, m_out, m_err).run(errors);
    } else {
        status = runCommand(errors);
    }
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

    // A long run (a range insertion) stops between two exchanges at a
    // request to end, and shows each step on a terminal as it goes.
    std::optional<EndRequests> stoppable;
    const bool longRun = m_invocation.command->longRun;
    const bool showProgress = longRun && StandardStreams::errorIsTerminal();
    if (longRun) {
        stoppable.emplace();
        request.stopRequested = [this, &stoppable] { return stoppable->signal() != 0 || m_outputFailed(); };
    }
    if (showProgress)
        request.progress = [this](const RangeInsertion::Step& step) {
            m_err << '\r' << ByteText::escape(step.line()) << std::flush;
        };

    LoneAnswer lone;
    ScopedSubscription watchingAnswers(m_registry.Comunicazione(), lone);
    const CommandResult result = m_invocation.command->run(m_registry.Comunicazione(), request);
    if (showProgress)
        m_err << '\n';
    const std::string loneAnswer = lone.shown(*m_invocation.command);
    if (m_invocation.json)
        m_out << ResultJson::format(m_invocation.command->name, result, loneAnswer);
    else
        m_out << ResultText::format(result) << (loneAnswer.empty() ? "" : "risposta " + loneAnswer + "\n");
    m_out << std::flush;
    if (result.esito == Esito::PortFailed)
        return portFailure(errors.last().value_or("the port failed"));
    if (result.stopped)
        return ExitSignalBase + stoppable->signal();
    if (result.esito == Esito::TimedOut)
        hintPortChoice("no answer: ");
    if (m_invocation.strict && result.esito == Esito::Accepted && !loneAnswer.empty())
        return Esito::Rejected;
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
    const std::unique_ptr<ReadingListener> readings
        = m_invocation.json ? std::make_unique<JsonReadingListener>(m_registry, m_out, m_invocation.ack)
                            : std::make_unique<ReadingListener>(m_registry, m_out, m_invocation.ack);
    ScopedSubscription reading(link, *readings);

    // A request to end may come while a reception waits (noise started
    // it): that wait ends too, or the program would linger up to 5 s. It
    // ends as a range does, with 128 plus the signal's number.
    EndRequests stop([&link] {
        link.abandonWait();
        QCoreApplication::exit(ExitSignalBase + EndRequests::signal());
    });
    if (!stop.watching())
        return portFailure("cannot watch for signals");

    // A line that drops while nothing is sent comes as the link's Errore
    // (above); the output the readings go to is looked at from time to time.
    QTimer outputCheck;
    QObject::connect(&outputCheck, &QTimer::timeout, [&] {
        if (!m_out || m_outputFailed())
            QCoreApplication::exit(ExitOutput);
    });
    outputCheck.start(OutputCheckMs);

    link.OnComm_Attivato();
    const int status = QCoreApplication::exec();
    if (failure)
        return portFailure(*failure);
    return status;
}

}  // namespace lettore
