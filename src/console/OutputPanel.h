#pragma once

class frmSibrant;

namespace lettore {

class ConsoleGate;
class SettingsPanel;

// The "Output" panel: drives the selected reader's relay, buzzer and green
// LED with the texts of Text3, Text4 and Text5, sent as typed.
class OutputPanel {
public:
    OutputPanel(frmSibrant& window, const SettingsPanel& settings, ConsoleGate& gate);

    void Command1_Click();

private:
    frmSibrant& m_window;
    const SettingsPanel& m_settings;
};

}  // namespace lettore
