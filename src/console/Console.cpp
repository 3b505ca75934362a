#include "Console.h"

#include "Dialogs.h"
#include "MonCom.h"
#include "clsLettori.h"
#include "modLettori.h"
#include "ui_frmSibrant.h"

#include <QCloseEvent>
#include <QDir>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>

namespace lettore {

namespace {

// The monitor as the relay sees it: the process-wide window, loaded again
// if it was closed since the last event.
class MonitorView : public TrafficView {
public:
    void setTextComando(const std::string& bytes) override { MonCom::instance().setTextComando(bytes); }
    void setRisposta(const std::string& bytes) override { MonCom::instance().setRisposta(bytes); }
    void AttivaLed_TX() override { MonCom::instance().AttivaLed_TX(); }
    void AttivaLed_RX() override { MonCom::instance().AttivaLed_RX(); }
    void AttivaLed_TO() override { MonCom::instance().AttivaLed_TO(); }
    void MostraErrore(int16_t codice, const std::string& descrizione) override
    {
        MonCom::instance().MostraErrore(codice, descrizione);
    }
};

const QString ClosingText =
    QStringLiteral("Chiusura in corso: il comando si ferma dopo lo scambio in corso");


}  // namespace

Console::Console(Dialogs* dialogs)
    : m_ownDialogs(dialogs ? nullptr : std::make_unique<QtDialogs>(&m_window)),
      m_dialogs(dialogs ? *dialogs : *m_ownDialogs),
      m_gate([this](const QString& text) { m_window.statusBar()->showMessage(text); },
             [] { yieldIfStarved(); }),
      m_monitor(std::make_unique<MonitorView>()),
      m_relay([this]() -> TrafficView& { return *m_monitor; },
              [this](const std::string& dati) { m_multimaster->Lettura(dati); }),
      m_relaySubscription(Lettori().Comunicazione(), m_relay),
      m_gateSubscription(Lettori().Comunicazione(), m_gate)
{
    m_settings = std::make_unique<SettingsPanel>(
        m_window, []() -> clsComunicazioni& { return Lettori().Comunicazione(); }, m_dialogs, m_gate);
    m_multimaster = std::make_unique<MultimasterPanel>(
        m_window, []() -> clsLettori& { return Lettori(); }, m_gate);
    m_whiteList = std::make_unique<WhiteListPanel>(panelContext());
    m_rangeInsertion = std::make_unique<RangeInsertionPanel>(panelContext());
    m_transactions = std::make_unique<TransactionPanel>(panelContext());
    m_serialNumbers = std::make_unique<SerialNumberPanel>(panelContext());
    m_serialSetup = std::make_unique<SerialSetupPanel>(panelContext(), *m_settings);
    m_setupBase = std::make_unique<SetupBasePanel>(panelContext());
    m_output = std::make_unique<OutputPanel>(panelContext());
    m_firmware = std::make_unique<FirmwarePanel>(panelContext());
    m_setIndirizzo = std::make_unique<SetIndirizzoPanel>(panelContext());
    m_window.installEventFilter(this);
    addStopButton();
}

CommandPanel::Context Console::panelContext()
{
    return {m_window, m_gate, m_dialogs, []() -> clsLettori& { return Lettori(); },
            [this] { return m_settings->Terminale(); }};
}

// A command of many exchanges stops between two of them at the user's
// request: the stop button beside the status line, or Esc.
void Console::addStopButton()
{
    // The status line goes below the form's client area, never over it.
    const QSize client = m_window.size();
    m_window.centralWidget()->setMinimumSize(client);
    auto* stop = new QPushButton(QStringLiteral("Interrompi"), m_window.statusBar());
    stop->setObjectName(QStringLiteral("CmdStop"));
    stop->setAccessibleDescription(QStringLiteral("CmdStop"));
    stop->setToolTip(QStringLiteral("Interrompe il comando in corso (Esc)"));
    stop->setEnabled(false);
    // A click leaves the focus where the command left it, so that the
    // gate gives it back to the control that started the command.
    stop->setFocusPolicy(Qt::NoFocus);
    m_window.statusBar()->addPermanentWidget(stop);
    connect(stop, &QPushButton::clicked, &m_gate, [this] { m_gate.requestStop(); });
    connect(&m_gate, &ConsoleGate::runningChanged, stop, &QPushButton::setEnabled);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), &m_window);
    connect(escape, &QShortcut::activated, &m_gate, [this] { m_gate.requestStop(); });
    m_window.resize(client.width(), client.height() + m_window.statusBar()->sizeHint().height());
}

Console::~Console()
{
    m_window.removeEventFilter(this);
    MonCom::unload();
}

void Console::Form_Load(const std::filesystem::path& programFolder)
{
    m_window.RiempiIndirizzi();
    QDir::setCurrent(QString::fromStdString(programFolder.string()));
    m_settings->load(ConnectionSettings::FileName);
}

// A close asked for while a command runs stops it after the exchange in
// progress; a wait for an answer in progress ends at its next turn, as a
// time-out (the port closes with the window, so no answer can be lost to
// the next command). The window closes once the gate is idle.
bool Console::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &m_window || event->type() != QEvent::Close)
        return QObject::eventFilter(watched, event);
    if (!m_gate.idle()) {
        event->ignore();
        m_gate.requestStop(ClosingText);
        Lettori().Comunicazione().abandonWait();
        if (!m_closeWaiting) {
            m_closeWaiting = true;
            connect(&m_gate, &ConsoleGate::becameIdle, this, [this] { m_window.close(); },
                    Qt::SingleShotConnection);
        }
        return true;
    }
    Form_Unload();
    return false;
}

void Console::Form_Unload()
{
    MonCom::unload();
    m_settings->save(ConnectionSettings::FileName);
}

}  // namespace lettore
