#include "SerialNumberPanel.h"

#include "frmSibrant.h"

namespace lettore {

SerialNumberPanel::SerialNumberPanel(Context context, QObject* parent) : CommandPanel(std::move(context), parent)
{
    onClick(ui().CmdGetPrima, QStringLiteral("Get matricola Prima"), [this] { CmdGetPrima_Click(); });
    onClick(ui().CmdGetCorrente, QStringLiteral("Get matricola Corrente"), [this] { CmdGetCorrente_Click(); });
    onClick(ui().CmdGetProssima, QStringLiteral("Get matricola Prossima"), [this] { CmdGetProssima_Click(); });
}

void SerialNumberPanel::CmdGetPrima_Click() { getMatricola("GetMatricolaPrima"); }

void SerialNumberPanel::CmdGetCorrente_Click() { getMatricola("GetMatricolaCorrente"); }

void SerialNumberPanel::CmdGetProssima_Click() { getMatricola("GetMatricolaNext"); }

void SerialNumberPanel::getMatricola(const char* command)
{
    const ReaderCommand::Result result = run(command);
    ui().TxtEsitoGetMatricola->setText(esitoText(result.esito));
    ui().TxtRispGetMatricola->setText(text(result.value("outCODICE")));
}

}  // namespace lettore
