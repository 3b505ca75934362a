#include "WhiteListPanel.h"

#include "Dialogs.h"
#include "frmSibrant.h"

namespace lettore {

WhiteListPanel::WhiteListPanel(Context context, QObject* parent) : CommandPanel(std::move(context), parent)
{
    for (int index = 0; index < 3; ++index)
        onClick(window().Command3[index], window().Command3[index]->text(), [this, index] { Command3_Click(index); });
    onClick(ui().Command5, QStringLiteral("Esistenza matricola"), [this] { Command5_Click(); });
}

void WhiteListPanel::Command3_Click(int Index)
{
    QLineEdit* esito = window().TxtEsito[5];
    switch (Index) {
    case 0: esito->setText(esitoText(run("CancellaWL").esito)); break;
    case 1: {
        const ReaderCommand::Result result = run("CreaBadge", {{"CODICE", bytes(ui().Text8->text())}});
        esito->setText(result.esito == 0 ? text(result.value("outst")) : esitoText(result.esito));
        break;
    }
    case 2: esito->setText(esitoText(run("EliminaBadge", {{"CODICE", bytes(ui().Text8->text())}}).esito)); break;
    default: break;
    }
}

void WhiteListPanel::Command5_Click()
{
    const QString codice = ui().Text14->text();
    if (codice.isEmpty()) {
        dialogs().message(QString::fromLatin1(InserireBadge));
        return;
    }
    const ReaderCommand::Result result = run("VerificaBadge", {{"CODICE", bytes(codice)}});
    window().TxtEsito[3]->setText(esitoText(result.esito));
    ui().Text15->setText(text(result.value("outESISTE")));
}

}  // namespace lettore
