#include "MultimasterPanel.h"

#include "ConsoleGate.h"
#include "ReadingDecoder.h"
#include "clsLettori.h"
#include "frmSibrant.h"
#include "modLettori.h"
#include "ui_frmSibrant.h"

namespace lettore {

MultimasterPanel::MultimasterPanel(frmSibrant& window, std::function<clsLettori&()> registry,
                                   ConsoleGate& gate, QObject* parent)
    : QObject(parent), m_window(window), m_registry(std::move(registry))
{
    for (int index = 0; index < 2; ++index) {
        QRadioButton* option = m_window.optMultiMaster[index];
        gate.connectButton(option, option->text(), [this, index] { optMultiMaster_Click(index); });
    }
}

void MultimasterPanel::Lettura(const std::string& dati)
{
    if (!m_window.optMultiMaster[1]->isChecked())
        return;
    const std::optional<Reading> reading = ReadingDecoder::decode(dati);
    if (!reading || !reading->address)
        return;
    RiproduciSuono("LetturaOk.wav", true);
    const auto& ui = m_window.ui();
    ui.txtAddrMM->setText(QString::number(*reading->address));
    ui.TxtBadgeMM->setText(QString::fromLatin1(reading->code.data(),
                                               static_cast<qsizetype>(reading->code.size())));
    if (ui.ChkAutoAck->checkState() == Qt::Checked)
        m_registry().Sibrant().SendACK(*reading->address);
}

void MultimasterPanel::optMultiMaster_Click(int Index)
{
    if (Index == 0)
        m_registry().Comunicazione().OnComm_Disattivato();
    else
        m_registry().Comunicazione().OnComm_Attivato();
}

}  // namespace lettore
