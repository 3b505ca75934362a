#include "TransactionReport.h"

#include "ByteText.h"
#include "CliSession.h"
#include "EndRequests.h"
#include "ErrorWatcher.h"
#include "Esito.h"
#include "ReaderName.h"
#include "ResultJson.h"
#include "TransactionFile.h"
#include "clsLettori.h"

namespace lettore {

TransactionReport::TransactionReport(clsLettori& registry, const Invocation& invocation,
                                     const ConnectionSettings& stored, std::ostream& out, std::ostream& err)
    : m_registry(registry), m_invocation(invocation), m_out(out), m_err(err),
      m_term(invocation.term.value_or(stored.Terminale)), m_reader(ReaderName::of(invocation, stored))
{ }

int TransactionReport::run(const ErrorWatcher& errors)
{
    TransactionFile file;
    if (!file.open(m_invocation.out, m_reader)) {
        m_err << "lettore: cannot append to " << m_invocation.out << ": " << file.error() << std::endl;
        return CliSession::ExitOutput;
    }
    const EndRequests stoppable;
    const auto stored = [this](const TransactionRecord& record) {
        if (m_invocation.json)
            m_out << ResultJson::line({{"transazione", QJsonObject{{"address", record.reader},
                                                                   {"code", ResultJson::text(record.code)},
                                                                   {"status", ResultJson::text(record.status)},
                                                                   {"time", ResultJson::text(record.downloaded)},
                                                                   {"repeated", record.repeated}}}});
        else
            m_out << "transazione " << record.reader << ' ' << ByteText::escape(record.code) << " status "
                  << ByteText::escape(record.status) << ' ' << record.downloaded
                  << (record.repeated ? " repeated" : "");
        m_out << std::endl;
    };
    const TransactionDownload::Result result
        = TransactionDownload(m_registry.Comunicazione(), m_term, file, stored, [&stoppable] {
              return stoppable.signal() != 0;
          }).run();
    if (m_invocation.json)
        m_out << ResultJson::line({{"command", "transactions"},
                                   {"esito", result.esito},
                                   {"records", result.records},
                                   {"repeated", result.repeated},
                                   {"stopped", result.stopped},
                                   {"file", ResultJson::text(m_invocation.out)}})
              << '\n';
    else
        m_out << "esito " << result.esito << "\ntransazioni " << result.records << "\nripetute " << result.repeated
              << '\n';
    m_out << std::flush;
    if (result.sinkFailed) {
        m_err << "lettore: cannot write " << m_invocation.out << ": " << file.error()
              << "; the reader keeps the record it sent last" << std::endl;
        return CliSession::ExitOutput;
    }
    if (result.esito == Esito::PortFailed) {
        m_err << "lettore: " << errors.last().value_or("the port failed") << std::endl;
        return CliSession::ExitPort;
    }
    if (result.stopped)
        return CliSession::ExitSignalBase + stoppable.signal();
    return result.esito;
}

}  // namespace lettore
