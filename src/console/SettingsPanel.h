#pragma once

#include "ConnectionSettings.h"
#include "SerialSettings.h"

#include <QObject>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

class frmSibrant;
class Dialogs;

namespace lettore {

class ConsoleGate;
class clsComunicazioni;

// The settings row of the console: serial port, baud rate and terminal
// address, read from Seriale.cfg at start-up, applied to the link, changed
// by the user and written back at close; and the button that shows and
// hides the communications monitor.
class SettingsPanel : public QObject {
    Q_OBJECT

public:
    // The six rates the console offers, in the lists' order.
    static const QStringList BaudRates;

    // link: the registry's link, fetched afresh at each use.
    SettingsPanel(frmSibrant& window, std::function<clsComunicazioni&()> link, Dialogs& dialogs,
                  ConsoleGate& gate, QObject* parent = nullptr);

    // Reads `file` (defaults for what cannot be read), shows the settings
    // and starts the link on them. A file that is there but cannot be read
    // is told to the user, and save() will leave it alone.
    void load(const std::filesystem::path& file);
    // Writes the settings to `file` (to its target when it is a link), as a
    // whole or not at all; a failure is told to the user.
    void save(const std::filesystem::path& file);

    int16_t NSeriale() const { return m_settings.NSeriale; }
    const std::string& Velocita() const { return m_settings.Velocita; }
    int16_t Terminale() const { return m_settings.Terminale; }

    // Selects entry `index` of the baud-rate list by program, with the
    // effect a user's selection has: the panels' loop over the rates.
    void selectBaudRate(int index);
    void selectBaudRate(const QString& rate);

    // The handlers, also for tests.
    void TxtNumCom_LostFocus();
    void CmbBaudRate_Click();
    void CmbTerminale_Click();
    void Command8_Click();

    static constexpr const char* SerialeGiaUtilizzata = "Seriale già utilizzata";
    static constexpr const char* SerialeInesistente = "Seriale inesistente";

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showSettings();
    std::string settingsString() const { return SerialSettings::readersLine(m_settings.Velocita); }

    frmSibrant& m_window;
    std::function<clsComunicazioni&()> m_link;
    Dialogs& m_dialogs;
    ConsoleGate& m_gate;
    ConnectionSettings m_settings;
    // False once the file found at start-up could not be read: writing
    // over it would lose what the user stored there.
    bool m_saveAtClose = true;
};

}  // namespace lettore
