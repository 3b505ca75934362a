#include "SetIndirizzoPanel.h"

#include "Dialogs.h"
#include "clsSibrant.h"
#include "frmSibrant.h"

namespace lettore {

SetIndirizzoPanel::SetIndirizzoPanel(Context context, QObject* parent)
    : CommandPanel(std::move(context), parent)
{
    onClick(ui().cmdSetIndirizzo, QStringLiteral("Set Indirizzo"), [this] { cmdSetIndirizzo_Click(); });
}

void SetIndirizzoPanel::cmdSetIndirizzo_Click()
{
    if (ui().cmbSetIndirizzo->currentIndex() < 0) {
        dialogs().message(QString::fromLatin1(ChooseAddress));
        return;
    }
    // The entries "000" to "255".
    const auto nIndirizzo = static_cast<uint8_t>(ui().cmbSetIndirizzo->currentText().toInt());
    const int16_t esito = Sibrant().SetIndirizzo(nIndirizzo, bytes(ui().txtCodeAddr->text()));
    window().TxtEsito[9]->setText(esitoText(esito));
}

}  // namespace lettore
