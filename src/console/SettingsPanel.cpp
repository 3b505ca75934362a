#include "SettingsPanel.h"

#include "ConnectionSettings.h"
#include "ConsoleGate.h"
#include "Dialogs.h"
#include "FieldCodec.h"
#include "NumberText.h"
#include "SerialSettings.h"
#include "clsComunicazioni.h"
#include "frmSibrant.h"

#include <QFocusEvent>

#include <algorithm>

namespace lettore {

namespace {

constexpr int16_t Broadcast = 256;

}  // namespace

SettingsPanel::SettingsPanel(Context context, QObject* parent) : CommandPanel(context, parent)
{
    ui().TxtNumCom->installEventFilter(this);
    // activated: a user's choice; a choice made by program calls the
    // handler itself.
    connect(ui().CmbBaudRate, &QComboBox::activated, this,
            [this] { gate().runWhenIdle(QStringLiteral("baud rate"), [this] { applyBaudRate(); }); });
    connect(ui().CmbTerminale, &QComboBox::activated, this, [this] { CmbTerminale_Click(); });
    // The whole row: a long command reads the terminal at each exchange.
    gate().guard(ui().TxtNumCom);
    gate().guard(ui().CmbBaudRate);
    gate().guard(ui().CmbTerminale);
}

void SettingsPanel::start()
{
    ConnectionSettings& stored = settings();
    const ConnectionSettings defaults;
    const std::vector<std::string> rates = FieldCodec::baudRates();
    if (std::find(rates.begin(), rates.end(), stored.Velocita) == rates.end())
        stored.Velocita = defaults.Velocita;
    if (stored.Terminale < 0 || stored.Terminale > Broadcast)
        stored.Terminale = defaults.Terminale;

    const QString rate = QString::fromStdString(stored.Velocita);
    ui().TxtNumCom->setText(QString::number(stored.NSeriale));
    ui().CmbBaudRate->setCurrentIndex(ui().CmbBaudRate->findText(rate));
    ui().CmbTerminale->setCurrentIndex(stored.Terminale);
    CmbTerminale_Click();
    ui().CobNewBaudRate->setCurrentIndex(ui().CobNewBaudRate->findText(rate));

    link().setCommPort(stored.NSeriale);
    link().setCommSettings(SerialSettings::readersLine(stored.Velocita));
    link().setAttivo(true);
}

// The port number is taken when the user leaves its box; if the link is
// busy then (a reader's reception), the change waits for it rather than
// being lost. A command that starts parks the focus and gives it back
// when it ends: the user has not left the box, and is maybe still typing.
bool SettingsPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui().TxtNumCom && event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && gate().running().isEmpty())
            gate().runWhenIdle(QStringLiteral("Seriale n."), [this] { TxtNumCom_LostFocus(); });
    }
    return QObject::eventFilter(watched, event);
}

void SettingsPanel::TxtNumCom_LostFocus()
{
    QLineEdit* box = ui().TxtNumCom;
    const std::optional<int16_t> n = NumberText::leadingInt16(box->text().toStdString());
    if (n && *n == link().CommPort())
        return;

    // A number no port can have is a port that does not exist.
    int16_t S_Stato = 3;
    if (n) {
        S_Stato = 0;
        std::string S_Setting;
        link().AnalizzaSeriale(*n, S_Stato, S_Setting);
    }
    switch (S_Stato) {
    case 1:
        settings().NSeriale = *n;
        link().setCommPort(*n);
        link().setCommSettings(SerialSettings::readersLine(settings().Velocita));
        break;
    case 2:
        dialogs().message(QString::fromUtf8(SerialeGiaUtilizzata));
        box->setText(QString::number(settings().NSeriale));
        break;
    case 3:
        dialogs().message(QString::fromUtf8(SerialeInesistente));
        box->setText(QString::number(settings().NSeriale));
        break;
    default: break;  // an unknown failure: the box keeps what was typed
    }
}

// "New Addr." of the serial setup follows the terminal, at start-up as
// when one is chosen later: the reader addressed keeps its address unless
// the user picks another. With every reader addressed (256) none is chosen,
// so "Set" asks for one rather than giving all of them the same address.
void SettingsPanel::CmbTerminale_Click()
{
    settings().Terminale = frmSibrant::address(*ui().CmbTerminale).value_or(0);
    ui().CmbNewAddr->setCurrentIndex(settings().Terminale == Broadcast ? -1 : settings().Terminale);
}

}  // namespace lettore
