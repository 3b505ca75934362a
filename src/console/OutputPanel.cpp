#include "OutputPanel.h"

#include "clsSibrant.h"
#include "frmSibrant.h"

namespace lettore {

OutputPanel::OutputPanel(Context context, QObject* parent)
    : CommandPanel(std::move(context), parent)
{
    onClick(ui().Command1, QStringLiteral("Output"), [this] { Command1_Click(); });
}

void OutputPanel::Command1_Click()
{
    const int16_t esito = Sibrant().SetOUTPUT(Terminale(), bytes(ui().Text3->text()), bytes(ui().Text4->text()),
                                              bytes(ui().Text5->text()));
    window().TxtEsito[2]->setText(esitoText(esito));
}

}  // namespace lettore
