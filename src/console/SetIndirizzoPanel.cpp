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
    const std::optional<int16_t> address = frmSibrant::address(*ui().cmbSetIndirizzo);
    if (!address) {
        dialogs().message(QString::fromLatin1(ChooseAddress));
        return;
    }
    const auto nIndirizzo = static_cast<uint8_t>(*address);
    const int16_t esito = Sibrant().SetIndirizzo(nIndirizzo, bytes(ui().txtCodeAddr->text()));
    window().TxtEsito[9]->setText(esitoText(esito));
}

}  // namespace lettore
