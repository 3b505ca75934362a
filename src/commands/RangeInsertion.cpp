#include "RangeInsertion.h"

#include "BadgeCode.h"
#include "clsLettori.h"

namespace lettore {

RangeInsertion::RangeInsertion(clsLettori& registry, int16_t term, Progress progress,
                               StopRequested stopRequested)
    : m_registry(registry),
      m_term(term),
      m_progress(std::move(progress)),
      m_stopRequested(std::move(stopRequested))
{
}

RangeInsertion::Result RangeInsertion::run(int first, int last) const
{
    Result result;
    if (first < 0 || last > MaxBound || first > last)
        return result;
    // Counting in int: a last bound of 32767 ends the loop without overflow.
    const int count = last - first + 1;
    const auto stopNow = [&] { return m_stopRequested && m_stopRequested(); };
    for (int n = first; n <= last; ++n) {
        bool stop = stopNow();
        // A stop may come during the quiet gap too: the code is not sent then.
        if (!stop) {
            m_registry.Comunicazione().keepQuietGap();
            stop = stopNow();
        }
        if (stop) {
            result.stopped = true;
            break;
        }
        Step step{n - first + 1, count, BadgeCode::fromNumber(n), 0, {}};
        step.esito = m_registry.Sibrant().CreaBadge(m_term, step.code, step.outst);
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
