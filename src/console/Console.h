#pragma once

#include "ConsoleGate.h"
#include "FirmwarePanel.h"
#include "LinkRelay.h"
#include "MultimasterPanel.h"
#include "OutputPanel.h"
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

class Dialogs;

namespace lettore {

class clsLettori;

// The console as a whole: the main window, its panels, the one-command
// gate, and the relay that feeds the monitor and the reading handler from
// the link. It only wires them together; each panel holds its own
// handlers. Needs the process-wide registry's platform installed.
class Console : public QObject {
    Q_OBJECT

public:
    // dialogs: where message and input boxes go (the user's own Qt
    // dialogs unless a test answers them).
    explicit Console(Dialogs* dialogs = nullptr);
    ~Console() override;

    // Start-up: the address lists, the program's folder made current,
    // Seriale.cfg read there, the settings shown and the link started.
    void Form_Load(const std::filesystem::path& programFolder);

    frmSibrant& window() { return m_window; }
    ConsoleGate& gate() { return m_gate; }
    SettingsPanel& settings() { return *m_settings; }
    MultimasterPanel& multimaster() { return *m_multimaster; }
    // The link's events reach the monitor and the reading handler here.
    LinkRelay& relay() { return m_relay; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Closing: the monitor unloaded, then Seriale.cfg written.
    void Form_Unload();
    void addStopButton();
    // What a command panel is built on.
    CommandPanel::Context panelContext();

    frmSibrant m_window;
    std::unique_ptr<Dialogs> m_ownDialogs;
    Dialogs& m_dialogs;
    ConsoleGate m_gate;
    std::unique_ptr<SettingsPanel> m_settings;
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
    std::unique_ptr<TrafficView> m_monitor;
    LinkRelay m_relay;
    ScopedSubscription m_relaySubscription;
    ScopedSubscription m_gateSubscription;
    bool m_closeWaiting = false;
};

}  // namespace lettore
