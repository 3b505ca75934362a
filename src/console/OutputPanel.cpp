#include "OutputPanel.h"

#include "frmSibrant.h"

namespace lettore {

OutputPanel::OutputPanel(Context context, QObject* parent) : CommandPanel(std::move(context), parent)
{
    onClick(ui().Command1, QStringLiteral("Output"), [this] { Command1_Click(); });
}

void OutputPanel::Command1_Click()
{
    const ReaderCommand::Result result = run("SetOUTPUT", {{"RELE", bytes(ui().Text3->text())},
                                                           {"Buzzer", bytes(ui().Text4->text())},
                                                           {"LED_V", bytes(ui().Text5->text())}});
    window().TxtEsito[2]->setText(esitoText(result.esito));
}

}  // namespace lettore
