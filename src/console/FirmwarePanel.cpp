#include "FirmwarePanel.h"

#include "BoxText.h"
#include "ConsoleGate.h"
#include "SettingsPanel.h"
#include "frmSibrant.h"
#include "modLettori.h"

namespace lettore {

FirmwarePanel::FirmwarePanel(frmSibrant& window, const SettingsPanel& settings, ConsoleGate& gate)
    : m_window(window), m_settings(settings)
{
    gate.connectButton(m_window.ui().CmdGetFirmwareVersion, QStringLiteral("Versione Firmware"),
                       [this] { CmdGetFirmwareVersion_Click(); });
}

void FirmwarePanel::CmdGetFirmwareVersion_Click()
{
    std::string outVERSION;
    const int16_t esito = Lettori().Sibrant().GetVersioneFirmware(m_settings.Terminale(), outVERSION);
    m_window.TxtEsito[7]->setText(QString::number(esito));
    m_window.ui().TxtFirmwareVersion->setText(BoxText::text(outVERSION));
}

}  // namespace lettore
