#include "SerialSetupPanel.h"

#include "BoxText.h"
#include "ConsoleGate.h"
#include "Dialogs.h"
#include "LeadingNumber.h"
#include "SettingsPanel.h"
#include "frmSibrant.h"
#include "modLettori.h"

namespace lettore {

namespace {

// Kept in the program; asked for at every click, never remembered.
const QString Password = QStringLiteral("7391");

}  // namespace

SerialSetupPanel::SerialSetupPanel(frmSibrant& window, SettingsPanel& settings, Dialogs& dialogs,
                                   ConsoleGate& gate)
    : m_window(window), m_settings(settings), m_dialogs(dialogs), m_gate(gate)
{
    gate.connectButton(m_window.ui().CmdSetSetupSeriale, QStringLiteral("Setup seriale"),
                       [this] { CmdSetSetupSeriale_Click(); });
    gate.connectButton(m_window.ui().Command10, QStringLiteral("Loop BaudRate"), [this] { Command10_Click(); });
}

bool SerialSetupPanel::passwordGiven()
{
    const std::optional<QString> answer =
        m_dialogs.askPassword(QString::fromUtf8(PasswordPrompt), QString::fromUtf8(PasswordTitle));
    if (answer == Password)
        return true;
    m_dialogs.message(QString::fromUtf8(WrongPassword), Dialogs::Icon::Exclamation);
    return false;
}

void SerialSetupPanel::sendSetup()
{
    const auto& ui = m_window.ui();
    const std::string BaudRate = BoxText::bytes(ui.CobNewBaudRate->currentText());
    // The list's entries "000" to "255"; no entry selected reads as 0.
    const int16_t NewAddress = LeadingNumber::toInt16(ui.CmbNewAddr->currentText().toStdString()).value_or(0);
    const int16_t esito = Lettori().Sibrant().SetupSeriale(m_settings.Terminale(), BaudRate, NewAddress);
    m_window.TxtEsito[0]->setText(QString::number(esito));
}

void SerialSetupPanel::CmdSetSetupSeriale_Click()
{
    if (passwordGiven())
        sendSetup();
}

void SerialSetupPanel::Command10_Click()
{
    if (!passwordGiven())
        return;
    const QString kept = QString::fromStdString(m_settings.Velocita());
    const auto passes = static_cast<int>(SettingsPanel::BaudRates.size());
    for (int i = 0; i < passes && !m_gate.stopRequested(); ++i) {
        m_gate.setProgress(QStringLiteral("velocità %1 di %2").arg(i + 1).arg(passes));
        m_settings.selectBaudRate(i);
        sendSetup();
    }
    m_settings.selectBaudRate(kept);
}

}  // namespace lettore
