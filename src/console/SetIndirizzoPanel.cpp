#include "SetIndirizzoPanel.h"

#include "BoxText.h"
#include "ConsoleGate.h"
#include "Dialogs.h"
#include "frmSibrant.h"
#include "modLettori.h"

namespace lettore {

SetIndirizzoPanel::SetIndirizzoPanel(frmSibrant& window, Dialogs& dialogs, ConsoleGate& gate)
    : m_window(window), m_dialogs(dialogs)
{
    gate.connectButton(m_window.ui().cmdSetIndirizzo, QStringLiteral("Set Indirizzo"),
                       [this] { cmdSetIndirizzo_Click(); });
}

void SetIndirizzoPanel::cmdSetIndirizzo_Click()
{
    const auto& ui = m_window.ui();
    if (ui.cmbSetIndirizzo->currentIndex() < 0) {
        m_dialogs.message(QString::fromLatin1(ChooseAddress));
        return;
    }
    // The entries "000" to "255".
    const auto nIndirizzo = static_cast<uint8_t>(ui.cmbSetIndirizzo->currentText().toInt());
    const int16_t esito = Lettori().Sibrant().SetIndirizzo(nIndirizzo, BoxText::bytes(ui.txtCodeAddr->text()));
    m_window.TxtEsito[9]->setText(QString::number(esito));
}

}  // namespace lettore
