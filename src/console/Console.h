#pragma once

#include "ConnectionSettings.h"
#include "ConsoleGate.h"
#include "FileWindowsOpener.h"
#include "FirmwarePanel.h"
#include "LinkRelay.h"
#include "MonitorButtonPanel.h"
#include "MultimasterPanel.h"
#include "OutputPanel.h"
#include "ProgramFolders.h"
#include "RangeInsertionPanel.h"
#include "ScopedSubscription.h"
#include "SerialNumberPanel.h"
#include "SerialSetupPanel.h"
#include "SetIndirizzoPanel.h"
#include "SettingsPanel.h"
#include "SetupBasePanel.h"
#include "TransactionPanel.h"
#include "WhiteListPanel.h"
#include "frmSibrant.h"

#include <QObject>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class Dialogs;

namespace lettore {

class clsLettori;

// The console as a whole: the main window, its panels, the one-command
// gate, and the relay that feeds the monitor and the reading handler from
// the link; it reads Seriale.cfg at start-up and writes it at close. It
// only wires them together; each panel holds its own handlers.
class Console : public QObject {
    Q_OBJECT

public:
    // registry: the link and the reader command set the console drives.
    // dialogs: where message and input boxes go (the user's own Qt
    // dialogs unless a test answers them).
    explicit Console(clsLettori& registry, Dialogs* dialogs = nullptr);
    ~Console() override;

    // Start-up: the address lists, the settings folder made current,
    // Seriale.cfg read there, the settings shown and the link started.
    // Without a settings folder (empty) the defaults are used and nothing
    // is kept.
    void Form_Load(const std::filesystem::path& settingsFolder);
    // Tells the user, when the usual settings folder could not be used,
    // why and which one is used instead, if any.
    void tellSettingsFolder(const ProgramFolders& folders);
    // Tells the user, in one message, the problems of the port table
    // (PorteRete.cfg): its lines that reach no port, or that it cannot be
    // read.
    void tellPortTableProblems(const std::vector<std::string>& problems);
    // What a port says once about itself (a raw TCP port's settings stay on
    // this side): on the status line until the next command starts.
    void tellPortNotice(const std::string& notice);

    frmSibrant& window() { return m_window; }
    // Port, rate and terminal as selected now.
    const ConnectionSettings& settings() const { return m_settings; }
    ConsoleGate& gate() { return m_gate; }
    // The link's events reach the monitor and the reading handler here.
    LinkRelay& relay() { return m_relay; }
    // "Importa lista…" and "Scarica transazioni…".
    FileWindowsOpener& fileWindows() { return *m_fileWindows; }
    // The panels' reader commands go to `runner` in place of the link, so a
    // test sees which command each click runs, with which fields, and gives
    // the result the panel shows. Range insertion and the file windows run
    // on the link whatever the runner.
    void setCommandRunner(CommandPanel::CommandRunner runner) { m_runner = std::move(runner); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Closing: readers' frames no longer taken, the monitor unloaded, then
    // Seriale.cfg written.
    void Form_Unload();
    // Tells the user that `folder` cannot hold the settings, and why; which
    // folder holds them `instead`, or none.
    void tellUnusableFolder(const std::filesystem::path& folder, const std::string& reason,
                            const std::filesystem::path& instead);
    // Reads `file` (defaults for what cannot be read). A file that is
    // there but cannot be read is told to the user, and saveSettings()
    // will leave it alone.
    void loadSettings(const std::filesystem::path& file);
    // Writes the settings to `file` (to its target when it is a link), as a
    // whole or not at all; a failure is told to the user.
    void saveSettings(const std::filesystem::path& file);
    void connectStop();
    // What a panel is built on.
    CommandPanel::Context panelContext();

    clsLettori& m_registry;
    frmSibrant m_window;
    std::unique_ptr<Dialogs> m_ownDialogs;
    Dialogs& m_dialogs;
    ConsoleGate m_gate;
    ConnectionSettings m_settings;
    CommandPanel::CommandRunner m_runner;
    // False once the file found at start-up could not be read: writing
    // over it would lose what the user stored there.
    bool m_saveAtClose = true;
    std::unique_ptr<SettingsPanel> m_settingsRow;
    std::unique_ptr<MonitorButtonPanel> m_monitorButton;
    std::unique_ptr<MultimasterPanel> m_multimaster;
    std::unique_ptr<WhiteListPanel> m_whiteList;
    std::unique_ptr<RangeInsertionPanel> m_rangeInsertion;
    std::unique_ptr<TransactionPanel> m_transactions;
    std::unique_ptr<SerialNumberPanel> m_serialNumbers;
    std::unique_ptr<SerialSetupPanel> m_serialSetup;
    std::unique_ptr<SetupBasePanel> m_setupBase;
    std::unique_ptr<OutputPanel> m_output;
    std::unique_ptr<FirmwarePanel> m_firmware;
    std::unique_ptr<SetIndirizzoPanel> m_setIndirizzo;
    std::unique_ptr<FileWindowsOpener> m_fileWindows;
    LinkRelay m_relay;
    ScopedSubscription m_relaySubscription;
    ScopedSubscription m_gateSubscription;
    bool m_closeWaiting = false;
};

}  // namespace lettore
