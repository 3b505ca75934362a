#include "TransactionDownload.h"

#include "BetweenExchanges.h"
#include "Esito.h"
#include "ReaderCommand.h"
#include "WallTime.h"
#include "clsComunicazioni.h"

namespace lettore {

TransactionDownload::TransactionDownload(clsComunicazioni& link, int16_t term, TransactionSink& sink, Progress progress,
                                         StopRequested stop, Now now)
    : m_link(link), m_term(term), m_sink(sink), m_progress(std::move(progress)), m_stop(std::move(stop)),
      m_now(std::move(now))
{ }

TransactionDownload::Result TransactionDownload::run() const
{
    Result result;
    const ReaderCommand& query = ReaderCommand::named("GetTransazione");
    const ReaderCommand& confirm = ReaderCommand::named("SendACK");
    // A record in a late answer to an earlier run's request would be stored
    // and acknowledged in place of the one the reader sends next, which the
    // acknowledgement then deletes unread.
    m_link.keepQuietGapBeforeNextSend();
    for (;;) {
        if (BetweenExchanges::stop(m_link, m_stop)) {
            result.stopped = true;
            break;
        }
        // Not acknowledged here: the record must be stored first.
        const ReaderCommand::Result read = query.run(m_link, m_term, {}, false);
        if (read.esito != Esito::Accepted) {
            result.esito = read.esito;
            break;
        }
        if (!query.usable(read.Risposta, read.esito)) {
            m_sink.drained();
            break;
        }
        TransactionRecord record{m_term, isoTime(m_now()), read.Risposta.substr(3, 1), read.value("outCODICE")};
        if (!m_sink.append(record) || !m_sink.flush()) {
            result.sinkFailed = true;
            break;
        }
        const int16_t confirmed = confirm.run(m_link, m_term).esito;
        if (confirmed != Esito::Accepted) {
            result.esito = confirmed;
            break;
        }
        m_sink.confirmed();
        ++result.records;
        result.repeated += record.repeated ? 1 : 0;
        if (m_progress)
            m_progress(record);
    }
    return result;
}

}  // namespace lettore
