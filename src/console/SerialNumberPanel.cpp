#include "SerialNumberPanel.h"

#include "clsSibrant.h"
#include "frmSibrant.h"

namespace lettore {

SerialNumberPanel::SerialNumberPanel(Context context, QObject* parent)
    : CommandPanel(std::move(context), parent)
{
    onClick(ui().CmdGetPrima, QStringLiteral("Get matricola Prima"), [this] { CmdGetPrima_Click(); });
    onClick(ui().CmdGetCorrente, QStringLiteral("Get matricola Corrente"),
            [this] { CmdGetCorrente_Click(); });
    onClick(ui().CmdGetProssima, QStringLiteral("Get matricola Prossima"),
            [this] { CmdGetProssima_Click(); });
}

void SerialNumberPanel::CmdGetPrima_Click() { getMatricola(&clsSibrant::GetMatricolaPrima); }

void SerialNumberPanel::CmdGetCorrente_Click() { getMatricola(&clsSibrant::GetMatricolaCorrente); }

void SerialNumberPanel::CmdGetProssima_Click() { getMatricola(&clsSibrant::GetMatricolaNext); }

void SerialNumberPanel::getMatricola(Query query)
{
    std::string outCODICE;
    ui().TxtEsitoGetMatricola->setText(esitoText((Sibrant().*query)(Terminale(), outCODICE)));
    ui().TxtRispGetMatricola->setText(text(outCODICE));
}

}  // namespace lettore
