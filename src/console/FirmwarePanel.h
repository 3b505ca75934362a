#pragma once

class frmSibrant;

namespace lettore {

class ConsoleGate;
class SettingsPanel;

// The "Versione Firmware" panel: asks the selected reader for its
// firmware version.
class FirmwarePanel {
public:
    FirmwarePanel(frmSibrant& window, const SettingsPanel& settings, ConsoleGate& gate);

    // TxtEsito(7) gets the result, TxtFirmwareVersion the version ("N"
    // when the answer was unusable).
    void CmdGetFirmwareVersion_Click();

private:
    frmSibrant& m_window;
    const SettingsPanel& m_settings;
};

}  // namespace lettore
