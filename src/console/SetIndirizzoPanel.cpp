#include "SetIndirizzoPanel.h"

#include "Dialogs.h"
#include "frmSibrant.h"

namespace lettore {

SetIndirizzoPanel::SetIndirizzoPanel(Context context, QObject* parent) : CommandPanel(std::move(context), parent)
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
    // Goes to every reader, whatever the terminal.
    const ReaderCommand::Result result
        = run("SetIndirizzo", {{"nIndirizzo", std::to_string(*address)}, {"sCodice", bytes(ui().txtCodeAddr->text())}});
    window().TxtEsito[9]->setText(esitoText(result.esito));
}

}  // namespace lettore
