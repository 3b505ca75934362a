#include "RangeInsertion.h"

#include "BadgeCode.h"
#include "BetweenExchanges.h"
#include "ReaderCommand.h"
#include "clsComunicazioni.h"

namespace lettore {

RangeInsertion::RangeInsertion(clsComunicazioni& link, int16_t term, Progress progress, StopRequested stopRequested)
    : m_link(link), m_term(term), m_progress(std::move(progress)), m_stopRequested(std::move(stopRequested))
{ }

RangeInsertion::Result RangeInsertion::run(int first, int last) const
{
    Result result;
    if (first < 0 || last > MaxBound || first > last)
        return result;
    // Counting in int: a last bound of 32767 ends the loop without overflow.
    const int count = last - first + 1;
    const ReaderCommand& add = ReaderCommand::named("CreaBadge");
    for (int n = first; n <= last; ++n) {
        if (BetweenExchanges::stop(m_link, m_stopRequested)) {
            result.stopped = true;
            break;
        }
        Step step{n - first + 1, count, BadgeCode::fromNumber(n), 0, {}};
        const ReaderCommand::Result added = add.run(m_link, m_term, {{"CODICE", step.code}});
        step.esito = added.esito;
        step.outst = added.value("outst");
        ++result.sent;
        if (step.esito == 0) {
            ++result.accepted;
            ++result.statuses[step.outst];
        } else if (result.esito == 0) {
            result.esito = step.esito;
        }
        result.lastLine = step.line();
        if (m_progress)
            m_progress(step);
        // The port is gone (device unplugged, line dropped): every further
        // code would fail the same way, at once.
        if (step.esito == Esito::PortFailed) {
            result.esito = Esito::PortFailed;
            break;
        }
    }
    return result;
}

}  // namespace lettore
