#include "SerialSetupPanel.h"

#include "ConnectionSettings.h"
#include "ConsoleGate.h"
#include "Dialogs.h"
#include "FieldCodec.h"
#include "frmSibrant.h"

namespace lettore {

namespace {

// Kept in the program; asked for at every click, never remembered.
const QString Password = QStringLiteral("7391");

}  // namespace

SerialSetupPanel::SerialSetupPanel(Context context, QObject* parent) : CommandPanel(context, parent)
{
    onClick(ui().CmdSetSetupSeriale, QStringLiteral("Setup seriale"), [this] { CmdSetSetupSeriale_Click(); });
    onClick(ui().Command10, QStringLiteral("Loop BaudRate"), [this] { Command10_Click(); });
}

bool SerialSetupPanel::passwordGiven()
{
    const std::optional<QString> answer
        = dialogs().askPassword(QString::fromUtf8(PasswordPrompt), QString::fromUtf8(PasswordTitle));
    if (answer == Password)
        return true;
    dialogs().message(QString::fromUtf8(WrongPassword), Dialogs::Icon::Exclamation);
    return false;
}

bool SerialSetupPanel::newAddressChosen()
{
    if (frmSibrant::address(*ui().CmbNewAddr))
        return true;
    dialogs().message(QString::fromLatin1(ChooseNewAddress));
    return false;
}

void SerialSetupPanel::sendSetup()
{
    const std::string BaudRate = bytes(ui().CobNewBaudRate->currentText());
    const int16_t NewAddress = frmSibrant::address(*ui().CmbNewAddr).value_or(0);
    const ReaderCommand::Result result
        = run("SetupSeriale", {{"BaudRate", BaudRate}, {"NewAddress", std::to_string(NewAddress)}});
    window().TxtEsito[0]->setText(esitoText(result.esito));
}

void SerialSetupPanel::CmdSetSetupSeriale_Click()
{
    if (newAddressChosen() && passwordGiven())
        sendSetup();
}

void SerialSetupPanel::Command10_Click()
{
    if (!newAddressChosen() || !passwordGiven())
        return;
    const QString kept = QString::fromStdString(settings().Velocita);
    const auto passes = static_cast<int>(FieldCodec::baudRates().size());
    int done = 0;
    bool stopped = false;
    for (; done < passes && !(stopped = gate().betweenExchanges()); ++done) {
        gate().setProgress(QStringLiteral("velocità %1 di %2").arg(done + 1).arg(passes));
        selectBaudRate(done);
        sendSetup();
    }
    if (stopped)
        gate().setOutcome(
            done == 0
                ? QString::fromUtf8(StoppedBeforeFirst)
                : QString::fromUtf8(StoppedByUser).arg(ui().CmbBaudRate->itemText(done - 1)).arg(done).arg(passes));
    selectBaudRate(ui().CmbBaudRate->findText(kept));
}

}  // namespace lettore
