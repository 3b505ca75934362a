#include "RangeInsertionPanel.h"

#include "ConsoleGate.h"
#include "Dialogs.h"
#include "Esito.h"
#include "NumberText.h"
#include "RangeInsertion.h"
#include "frmSibrant.h"

namespace lettore {

const QString RangeInsertionPanel::BoundsRefused
    = QStringLiteral("Da e A devono essere numeri da 0 a %1").arg(RangeInsertion::MaxBound);

const QString RangeInsertionPanel::StoppedByPort
    = QStringLiteral("Inserisci Badge fermato al codice %1 (%2 di %3): errore della porta seriale");

const QString RangeInsertionPanel::StoppedByUser = QStringLiteral("Inserisci Badge interrotto al codice %1 (%2 di %3)");

const QString RangeInsertionPanel::StoppedBeforeFirst
    = QStringLiteral("Inserisci Badge interrotto prima del primo codice");

RangeInsertionPanel::RangeInsertionPanel(Context context, QObject* parent) : CommandPanel(std::move(context), parent)
{
    onClick(ui().Command11, QStringLiteral("Inserisci Badge"), [this] { Command11_Click(); });
    // Written at every code of a range: ten digits, a blank and a status
    // character, laid out without shaping, which such text never needs.
    QFont unshaped = ui().TxtRisposta->font();
    unshaped.setStyleStrategy(QFont::PreferNoShaping);
    ui().TxtRisposta->setFont(unshaped);
}

void RangeInsertionPanel::Command11_Click()
{
    const std::optional<int16_t> last = NumberText::leadingInt16(bytes(ui().TxtA->text()));
    const std::optional<int16_t> first = NumberText::leadingInt16(bytes(ui().TxtDa->text()));
    if (!first || !last || *first < 0 || *last < 0) {
        dialogs().message(BoundsRefused);
        return;
    }
    m_lastStep = {};
    const auto progress = [this](const RangeInsertion::Step& step) {
        m_lastStep = step;
        m_progress.request();
    };
    const auto stopRequested = [this] { return gate().betweenExchanges(); };
    const RangeInsertion::Result result
        = RangeInsertion(link(), Terminale(), progress, stopRequested).run(*first, *last);
    m_progress.flush();
    const QString reached = text(m_lastStep.code);
    if (result.esito == Esito::PortFailed)
        gate().setOutcome(StoppedByPort.arg(reached).arg(m_lastStep.index).arg(m_lastStep.count));
    else if (result.stopped)
        gate().setOutcome(result.sent == 0 ? StoppedBeforeFirst
                                           : StoppedByUser.arg(reached).arg(m_lastStep.index).arg(m_lastStep.count));
}

void RangeInsertionPanel::showProgress()
{
    ui().TxtRisposta->setText(text(m_lastStep.line()));
    gate().setProgress(QStringLiteral("codice %1 di %2").arg(m_lastStep.index).arg(m_lastStep.count));
}

}  // namespace lettore
