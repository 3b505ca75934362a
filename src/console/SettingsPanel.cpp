#include "SettingsPanel.h"

#include "ConsoleGate.h"
#include "Dialogs.h"
#include "LeadingNumber.h"
#include "MonCom.h"
#include "clsComunicazioni.h"
#include "frmSibrant.h"
#include "ui_frmSibrant.h"

#include <QFocusEvent>
#include <QSaveFile>

namespace lettore {

const QStringList SettingsPanel::BaudRates{"1200", "2400", "4800", "9600", "19200", "38400"};

namespace {

constexpr int16_t Broadcast = 256;

}  // namespace

SettingsPanel::SettingsPanel(frmSibrant& window, std::function<clsComunicazioni&()> link,
                             Dialogs& dialogs, ConsoleGate& gate, QObject* parent)
    : QObject(parent), m_window(window), m_link(std::move(link)), m_dialogs(dialogs), m_gate(gate)
{
    const auto& ui = m_window.ui();
    ui.TxtNumCom->installEventFilter(this);
    // activated: a user's choice; a choice made by program calls the
    // handler itself.
    connect(ui.CmbBaudRate, &QComboBox::activated, this,
            [this] { m_gate.runWhenIdle(QStringLiteral("baud rate"), [this] { CmbBaudRate_Click(); }); });
    connect(ui.CmbTerminale, &QComboBox::activated, this, [this] { CmbTerminale_Click(); });
    connect(ui.Command8, &QPushButton::clicked, this, [this] { Command8_Click(); });
    // The whole row: a long command reads the terminal at each exchange.
    m_gate.guard(ui.TxtNumCom);
    m_gate.guard(ui.CmbBaudRate);
    m_gate.guard(ui.CmbTerminale);
}

void SettingsPanel::load(const std::filesystem::path& file)
{
    ConnectionSettings::FileState state = ConnectionSettings::FileState::Read;
    m_settings = ConnectionSettings::load(file, &state);
    m_saveAtClose = state != ConnectionSettings::FileState::Unreadable;
    if (!m_saveAtClose)
        m_dialogs.message(QStringLiteral("Impossibile leggere %1: le impostazioni non saranno salvate alla chiusura.")
                              .arg(QString::fromStdString(file.string())),
                          Dialogs::Icon::Exclamation);
    // The lists cannot show other values: an unknown rate or an address
    // outside the list falls back to its default rather than being sent.
    const ConnectionSettings defaults;
    if (!BaudRates.contains(QString::fromStdString(m_settings.Velocita)))
        m_settings.Velocita = defaults.Velocita;
    if (m_settings.Terminale < 0 || m_settings.Terminale > Broadcast)
        m_settings.Terminale = defaults.Terminale;

    showSettings();

    clsComunicazioni& link = m_link();
    link.setCommPort(m_settings.NSeriale);
    link.setCommSettings(settingsString());
    link.setAttivo(true);
}

void SettingsPanel::showSettings()
{
    const auto& ui = m_window.ui();
    ui.TxtNumCom->setText(QString::number(m_settings.NSeriale));
    const QString rate = QString::fromStdString(m_settings.Velocita);
    ui.CmbBaudRate->setCurrentIndex(ui.CmbBaudRate->findText(rate));
    ui.CmbTerminale->setCurrentIndex(m_settings.Terminale);
    CmbTerminale_Click();
    ui.CobNewBaudRate->setCurrentIndex(ui.CobNewBaudRate->findText(rate));
    if (m_settings.Terminale != Broadcast)
        ui.CmbNewAddr->setCurrentIndex(m_settings.Terminale);
}

// QSaveFile writes beside the file under a fresh name of its own and
// renames it over the file at commit, so a failure never leaves a truncated
// file, and a link planted under a guessable temporary name cannot redirect
// the write. A file that is itself a link is written at its target.
void SettingsPanel::save(const std::filesystem::path& file)
{
    if (!m_saveAtClose)
        return;
    QSaveFile out(QString::fromStdString(file.string()));
    const std::string text = m_settings.text();
    const bool saved = out.open(QIODevice::WriteOnly)
                       && out.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size())
                       && out.commit();
    if (!saved)
        m_dialogs.message(QStringLiteral("Impossibile scrivere %1: le impostazioni non sono state salvate.")
                              .arg(QString::fromStdString(file.string())),
                          Dialogs::Icon::Exclamation);
}

// The port number is taken when the user leaves its box; if the link is
// busy then (a reader's reception), the change waits for it rather than
// being lost. A command that starts parks the focus and gives it back
// when it ends: the user has not left the box, and is maybe still typing.
bool SettingsPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window.ui().TxtNumCom && event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason
            && m_gate.running().isEmpty())
            m_gate.runWhenIdle(QStringLiteral("Seriale n."), [this] { TxtNumCom_LostFocus(); });
    }
    return QObject::eventFilter(watched, event);
}

void SettingsPanel::TxtNumCom_LostFocus()
{
    QLineEdit* box = m_window.ui().TxtNumCom;
    clsComunicazioni& link = m_link();
    const std::optional<int16_t> n = LeadingNumber::toInt16(box->text().toStdString());
    if (n && *n == link.CommPort())
        return;

    // A number no port can have is a port that does not exist.
    int16_t S_Stato = 3;
    if (n) {
        S_Stato = 0;
        std::string S_Setting;
        link.AnalizzaSeriale(*n, S_Stato, S_Setting);
    }
    switch (S_Stato) {
    case 1:
        m_settings.NSeriale = *n;
        link.setCommPort(m_settings.NSeriale);
        link.setCommSettings(settingsString());
        break;
    case 2:
        m_dialogs.message(QString::fromUtf8(SerialeGiaUtilizzata));
        box->setText(QString::number(m_settings.NSeriale));
        break;
    case 3:
        m_dialogs.message(QString::fromUtf8(SerialeInesistente));
        box->setText(QString::number(m_settings.NSeriale));
        break;
    default:
        break;  // an unknown failure: the box keeps what was typed
    }
}

void SettingsPanel::CmbBaudRate_Click()
{
    const std::string rate = m_window.ui().CmbBaudRate->currentText().toStdString();
    if (rate == m_settings.Velocita)
        return;
    m_settings.Velocita = rate;
    m_link().setCommSettings(settingsString());
}

void SettingsPanel::selectBaudRate(int index)
{
    m_window.ui().CmbBaudRate->setCurrentIndex(index);
    CmbBaudRate_Click();
}

void SettingsPanel::selectBaudRate(const QString& rate)
{
    selectBaudRate(m_window.ui().CmbBaudRate->findText(rate));
}

void SettingsPanel::CmbTerminale_Click()
{
    m_settings.Terminale = static_cast<int16_t>(m_window.ui().CmbTerminale->currentText().toInt());
}

void SettingsPanel::Command8_Click()
{
    QPushButton* button = m_window.ui().Command8;
    if (button->text() == QLatin1String("Visualizza Monitor")) {
        MonCom::instance().show();
        button->setText(QStringLiteral("Nascondi Monitor"));
    } else {
        MonCom::instance().hide();
        button->setText(QStringLiteral("Visualizza Monitor"));
    }
    m_window.ui().Text3->setFocus();
}

}  // namespace lettore
