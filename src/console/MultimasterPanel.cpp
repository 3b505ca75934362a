#include "MultimasterPanel.h"

#include "ReadingDecoder.h"
#include "clsComunicazioni.h"
#include "clsSibrant.h"
#include "frmSibrant.h"
#include "modLettori.h"

namespace lettore {

MultimasterPanel::MultimasterPanel(Context context, QObject* parent) : CommandPanel(context, parent)
{
    for (int index = 0; index < 2; ++index) {
        QRadioButton* option = window().optMultiMaster[index];
        onClick(option, option->text(), [this, index] { optMultiMaster_Click(index); });
    }
}

void MultimasterPanel::Lettura(const std::string& dati)
{
    if (!window().optMultiMaster[1]->isChecked())
        return;
    const std::optional<Reading> reading = ReadingDecoder::decode(dati);
    if (!reading || !reading->address)
        return;
    RiproduciSuono("LetturaOk.wav", true);
    ui().txtAddrMM->setText(QString::number(*reading->address));
    ui().TxtBadgeMM->setText(QString::fromLatin1(reading->code.data(), static_cast<qsizetype>(reading->code.size())));
    if (ui().ChkAutoAck->checkState() == Qt::Checked)
        Sibrant().SendACK(*reading->address);
}

void MultimasterPanel::optMultiMaster_Click(int Index)
{
    if (Index == 0)
        link().OnComm_Disattivato();
    else
        link().OnComm_Attivato();
}

}  // namespace lettore
