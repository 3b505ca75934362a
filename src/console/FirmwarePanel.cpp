#include "FirmwarePanel.h"

#include "clsSibrant.h"
#include "frmSibrant.h"

namespace lettore {

FirmwarePanel::FirmwarePanel(Context context, QObject* parent)
    : CommandPanel(std::move(context), parent)
{
    onClick(ui().CmdGetFirmwareVersion, QStringLiteral("Versione Firmware"),
            [this] { CmdGetFirmwareVersion_Click(); });
}

void FirmwarePanel::CmdGetFirmwareVersion_Click()
{
    std::string outVERSION;
    const int16_t esito = Sibrant().GetVersioneFirmware(Terminale(), outVERSION);
    window().TxtEsito[7]->setText(esitoText(esito));
    ui().TxtFirmwareVersion->setText(text(outVERSION));
}

}  // namespace lettore
