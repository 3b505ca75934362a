#include "WhiteListPanel.h"

#include "Dialogs.h"
#include "clsSibrant.h"
#include "frmSibrant.h"

namespace lettore {

WhiteListPanel::WhiteListPanel(Context context, QObject* parent)
    : CommandPanel(std::move(context), parent)
{
    for (int index = 0; index < 3; ++index)
        onClick(window().Command3[index], window().Command3[index]->text(),
                [this, index] { Command3_Click(index); });
    onClick(ui().Command5, QStringLiteral("Esistenza matricola"), [this] { Command5_Click(); });
}

void WhiteListPanel::Command3_Click(int Index)
{
    QLineEdit* esito = window().TxtEsito[5];
    switch (Index) {
    case 0:
        esito->setText(esitoText(Sibrant().CancellaWL(Terminale())));
        break;
    case 1: {
        std::string outst;
        const int16_t code = Sibrant().CreaBadge(Terminale(), bytes(ui().Text8->text()), outst);
        esito->setText(code == 0 ? text(outst) : esitoText(code));
        break;
    }
    case 2:
        esito->setText(esitoText(Sibrant().EliminaBadge(Terminale(), bytes(ui().Text8->text()))));
        break;
    default:
        break;
    }
}

void WhiteListPanel::Command5_Click()
{
    const QString codice = ui().Text14->text();
    if (codice.isEmpty()) {
        dialogs().message(QString::fromLatin1(InserireBadge));
        return;
    }
    std::string outESISTE;
    const int16_t code = Sibrant().VerificaBadge(Terminale(), bytes(codice), outESISTE);
    window().TxtEsito[3]->setText(esitoText(code));
    ui().Text15->setText(text(outESISTE));
}

}  // namespace lettore
