#include "ScanReport.h"

#include "ByteText.h"
#include "CliSession.h"
#include "EndRequests.h"
#include "Esito.h"
#include "ReaderScan.h"
#include "ResultJson.h"
#include "StandardStreams.h"
#include "clsLettori.h"

#include <QJsonArray>

namespace lettore {

ScanReport::ScanReport(clsLettori& registry, const Invocation& invocation, std::ostream& out, std::ostream& err,
                       std::function<bool()> outputFailed)
    : m_registry(registry), m_invocation(invocation), m_out(out), m_err(err), m_outputFailed(std::move(outputFailed))
{ }

int ScanReport::run()
{
    clsComunicazioni& link = m_registry.Comunicazione();
    // A request to end cuts the wait under way short, and the scan stops
    // before the next poll.
    EndRequests stop([&link] { link.abandonWait(); });
    const bool showProgress = StandardStreams::errorIsTerminal();
    const auto progress = [&](int address, const std::string& baud) {
        if (showProgress)
            m_err << "\rscan: " << baud << " baud, address " << address << "   " << std::flush;
    };
    const auto found = [&](const ReaderScan::Found& reader) {
        if (showProgress)
            m_err << '\n';
        if (!m_invocation.json)
            m_out << "trovato " << reader.address << ' ' << reader.baud << ' ' << ByteText::escape(reader.firmware)
                  << '\n'
                  << std::flush;
    };
    if (const auto roundTrip = link.roundTripMs())
        m_err << "scan: round trip to the device server " << *roundTrip << " ms, added to each poll's time limit\n"
              << std::flush;
    ReaderScan scan(m_registry, progress, found, [&] { return stop.signal() != 0 || m_outputFailed(); });
    const ReaderScan::Result result
        = scan.run(m_invocation.scanFrom, m_invocation.scanTo, m_invocation.scanRates, m_invocation.timeoutMs);
    if (showProgress)
        m_err << '\n';
    if (result.portFailed)
        return CliSession::ExitPort;

    if (m_invocation.json) {
        QJsonArray readers;
        for (const ReaderScan::Found& reader : result.found)
            readers.append(QJsonObject{{"address", reader.address},
                                       {"baud", std::stoi(reader.baud)},
                                       {"firmware", ResultJson::text(reader.firmware)}});
        m_out << ResultJson::line({{"command", "scan"}, {"readers", readers}, {"stopped", result.stopped}}) << '\n';
    } else {
        m_out << "trovati " << result.found.size() << '\n';
    }
    m_out << std::flush;
    if (result.stopped)
        return CliSession::ExitSignalBase + stop.signal();
    return result.found.empty() ? Esito::TimedOut : Esito::Accepted;
}

}  // namespace lettore
