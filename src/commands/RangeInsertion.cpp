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
    for (int n = first; n <= last; ++n) {
        if (m_stopRequested && m_stopRequested()) {
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
    }
    return result;
}

}  // namespace lettore
