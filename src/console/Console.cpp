#include "Console.h"

#include "Dialogs.h"
#include "FailureText.h"
#include "MonCom.h"
#include "PortTable.h"
#include "clsLettori.h"
#include "ui_frmSibrant.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QSaveFile>
#include <QShortcut>
#include <QStatusBar>
#include <QStringList>

#include <system_error>

namespace lettore {

namespace {

const QString ClosingText = QStringLiteral("Chiusura in corso: il comando si ferma dopo lo scambio in corso");

}  // namespace

Console::Console(clsLettori& registry, Dialogs* dialogs)
    : m_registry(registry), m_ownDialogs(dialogs ? nullptr : std::make_unique<QtDialogs>(&m_window)),
      m_dialogs(dialogs ? *dialogs : *m_ownDialogs),
      m_gate([this](const QString& text) { m_window.statusBar()->showMessage(text); },
             [this] { m_registry.yieldIfStarved(); }, [this] { m_registry.Comunicazione().abandonWait(); }),
      m_runner(
          [this](const ReaderCommand& command, int16_t term, const ReaderCommand::Arguments& arguments,
                 bool acknowledge) { return command.run(m_registry.Comunicazione(), term, arguments, acknowledge); }),
      m_relay([]() -> TrafficView& { return MonCom::instance(); },
              [this](const std::string& dati) { m_multimaster->Lettura(dati); }),
      m_relaySubscription(registry.Comunicazione(), m_relay), m_gateSubscription(registry.Comunicazione(), m_gate)
{
    m_settingsRow = std::make_unique<SettingsPanel>(panelContext());
    m_monitorButton = std::make_unique<MonitorButtonPanel>(panelContext());
    m_multimaster = std::make_unique<MultimasterPanel>(panelContext());
    m_whiteList = std::make_unique<WhiteListPanel>(panelContext());
    m_rangeInsertion = std::make_unique<RangeInsertionPanel>(panelContext());
    m_transactions = std::make_unique<TransactionPanel>(panelContext());
    m_serialNumbers = std::make_unique<SerialNumberPanel>(panelContext());
    m_serialSetup = std::make_unique<SerialSetupPanel>(panelContext());
    m_setupBase = std::make_unique<SetupBasePanel>(panelContext());
    m_output = std::make_unique<OutputPanel>(panelContext());
    m_firmware = std::make_unique<FirmwarePanel>(panelContext());
    m_setIndirizzo = std::make_unique<SetIndirizzoPanel>(panelContext());
    m_fileWindows = std::make_unique<FileWindowsOpener>(panelContext());
    m_window.installEventFilter(this);
    connectStop();
}

CommandPanel::Context Console::panelContext()
{
    return {m_window, m_gate, m_dialogs, m_registry, m_settings, m_runner};
}

// A command stops at the user's request (the stop button beside the status
// line, or Esc): the wait under way ends at once as a time-out, and a
// command of many exchanges stops before its next one.
void Console::connectStop()
{
    QPushButton* stop = m_window.stopButton();
    connect(stop, &QPushButton::clicked, &m_gate, [this] { m_gate.stopNow(); });
    connect(&m_gate, &ConsoleGate::runningChanged, stop, &QPushButton::setEnabled);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), &m_window);
    connect(escape, &QShortcut::activated, &m_gate, [this] { m_gate.stopNow(); });
}

Console::~Console()
{
    m_window.removeEventFilter(this);
    MonCom::unload();
}

void Console::Form_Load(const std::filesystem::path& settingsFolder)
{
    m_window.RiempiIndirizzi();
    // Seriale.cfg is read and written by its bare name in the settings
    // folder. Without that folder as the current one nothing is read or
    // kept, rather than the file of the folder the console started from.
    std::error_code notEntered;
    if (!settingsFolder.empty())
        std::filesystem::current_path(settingsFolder, notEntered);
    if (settingsFolder.empty() || notEntered) {
        m_saveAtClose = false;
        if (notEntered)
            tellUnusableFolder(settingsFolder, notEntered.message(), {});
    } else {
        loadSettings(ConnectionSettings::FileName);
    }
    m_settingsRow->start();
}

void Console::tellSettingsFolder(const ProgramFolders& folders)
{
    if (!folders.unusable.empty())
        tellUnusableFolder(folders.unusable, folders.unusableReason, folders.settings);
}

void Console::tellPortTableProblems(const std::vector<std::string>& problems)
{
    QStringList lines;
    for (const std::string& problem : problems)
        lines << QStringLiteral("%1 %2").arg(QLatin1String(PortTable::FileName), FailureText::italian(problem));
    if (!lines.isEmpty())
        m_dialogs.message(lines.join(u'\n'), Dialogs::Icon::Exclamation);
}

void Console::tellPortNotice(const std::string& notice) { m_gate.setOutcome(FailureText::italian(notice)); }

void Console::tellUnusableFolder(const std::filesystem::path& folder, const std::string& reason,
                                 const std::filesystem::path& instead)
{
    const QString unusable = QStringLiteral("Impossibile usare la cartella delle impostazioni %1 (%2): ")
                                 .arg(QString::fromStdString(folder.string()), QString::fromStdString(reason));
    m_dialogs.message(unusable
                          + (instead.empty()
                                 ? QStringLiteral("le impostazioni non saranno lette né salvate.")
                                 : QStringLiteral("si usa %1.").arg(QString::fromStdString(instead.string()))),
                      Dialogs::Icon::Exclamation);
}

void Console::loadSettings(const std::filesystem::path& file)
{
    ConnectionSettings::FileState state = ConnectionSettings::FileState::Read;
    m_settings = ConnectionSettings::load(file, &state);
    m_saveAtClose = state != ConnectionSettings::FileState::Unreadable;
    if (!m_saveAtClose)
        m_dialogs.message(QStringLiteral("Impossibile leggere %1: le impostazioni non saranno salvate alla chiusura.")
                              .arg(QString::fromStdString(file.string())),
                          Dialogs::Icon::Exclamation);
}

// QSaveFile writes beside the file under a fresh name of its own and
// renames it over the file at commit, so a failure never leaves a truncated
// file, and a link planted under a guessable temporary name cannot redirect
// the write. A file that is itself a link is written at its target.
void Console::saveSettings(const std::filesystem::path& file)
{
    if (!m_saveAtClose)
        return;
    QSaveFile out(QString::fromStdString(file.string()));
    const std::string text = m_settings.text();
    const bool saved = out.open(QIODevice::WriteOnly)
                       && out.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size())
                       && out.commit();
    // The system's reason (no permission, a full disk) tells the user what to mend.
    if (!saved)
        m_dialogs.message(QStringLiteral("Impossibile scrivere %1 (%2): le impostazioni non sono state salvate.")
                              .arg(QString::fromStdString(file.string()), out.errorString()),
                          Dialogs::Icon::Exclamation);
}

// A close asked for while a command runs stops it as the stop button does:
// a wait in progress ends at its next turn, as a time-out (the port closes
// with the window, so no answer can be lost to the next command). The
// window closes once the gate is idle.
bool Console::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &m_window || event->type() != QEvent::Close)
        return QObject::eventFilter(watched, event);
    if (!m_gate.idle()) {
        event->ignore();
        m_gate.stopNow(ClosingText);
        // A reader's reception may hold the link with no command running.
        m_registry.Comunicazione().abandonWait();
        if (!m_closeWaiting) {
            m_closeWaiting = true;
            connect(
                &m_gate, &ConsoleGate::becameIdle, this, [this] { m_window.close(); }, Qt::SingleShotConnection);
        }
        return true;
    }
    Form_Unload();
    return false;
}

// The link stops taking readers' frames first: one that comes while the
// program ends has nowhere to be shown, and a reception it started would
// hold the end up to its time limit.
void Console::Form_Unload()
{
    m_registry.Comunicazione().OnComm_Disattivato();
    MonCom::unload();
    saveSettings(ConnectionSettings::FileName);
}

}  // namespace lettore
