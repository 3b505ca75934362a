#include "FirmwarePanel.h"

#include "frmSibrant.h"

namespace lettore {

FirmwarePanel::FirmwarePanel(Context context, QObject* parent) : CommandPanel(std::move(context), parent)
{
    onClick(ui().CmdGetFirmwareVersion, QStringLiteral("Versione Firmware"), [this] { CmdGetFirmwareVersion_Click(); });
}

void FirmwarePanel::CmdGetFirmwareVersion_Click()
{
    const ReaderCommand::Result result = run("GetVersioneFirmware");
    window().TxtEsito[7]->setText(esitoText(result.esito));
    ui().TxtFirmwareVersion->setText(text(result.value("outVERSION")));
}

}  // namespace lettore
