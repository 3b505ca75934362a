#include "OutputPanel.h"

#include "BoxText.h"
#include "ConsoleGate.h"
#include "SettingsPanel.h"
#include "frmSibrant.h"
#include "modLettori.h"

namespace lettore {

OutputPanel::OutputPanel(frmSibrant& window, const SettingsPanel& settings, ConsoleGate& gate)
    : m_window(window), m_settings(settings)
{
    gate.connectButton(m_window.ui().Command1, QStringLiteral("Output"), [this] { Command1_Click(); });
}

void OutputPanel::Command1_Click()
{
    const auto& ui = m_window.ui();
    const int16_t esito = Lettori().Sibrant().SetOUTPUT(m_settings.Terminale(), BoxText::bytes(ui.Text3->text()),
                                                        BoxText::bytes(ui.Text4->text()),
                                                        BoxText::bytes(ui.Text5->text()));
    m_window.TxtEsito[2]->setText(QString::number(esito));
}

}  // namespace lettore
