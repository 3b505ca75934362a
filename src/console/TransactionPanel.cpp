#include "TransactionPanel.h"

#include "BadgeCode.h"
#include "clsSibrant.h"
#include "frmSibrant.h"

namespace lettore {

namespace {

// The last box filled for a text of `length` characters: length / 10 - 1
// rounded to the nearest integer, a tie to the even one, so that 30
// characters fill three boxes (last 2) and 1 character none (last -1). In
// whole numbers, as the tie falls exactly on a length ending in 5.
int lastFilledBox(int length)
{
    const int excess = length - int(BadgeCode::Length);
    int whole = excess / 10;
    int rest = excess % 10;
    if (rest < 0) {  // floor division for a text under ten characters
        whole -= 1;
        rest += 10;
    }
    if (rest > 5 || (rest == 5 && whole % 2 != 0))
        whole += 1;
    return whole;
}

}  // namespace

TransactionPanel::TransactionPanel(Context context, QObject* parent)
    : CommandPanel(std::move(context), parent)
{
    onClick(ui().Command7, QStringLiteral("GetTransazione"), [this] { Command7_Click(); });
    onClick(ui().CmdAck, QStringLiteral("Ack"), [this] { CmdAck_Click(); });
}

void TransactionPanel::Command7_Click()
{
    const bool AutoAck = ui().ChkAutoAck->checkState() == Qt::Checked;
    std::string outCODICE;
    window().TxtEsito[8]->setText(esitoText(Sibrant().GetTransazione(Terminale(), outCODICE, AutoAck)));
    showCodes(outCODICE);
}

void TransactionPanel::showCodes(const std::string& outCODICE)
{
    const auto& boxes = window().TxtBadge;
    // A box filled begins within the text (10 * last <= length - 5); a
    // text of more than ten codes fills the ten boxes.
    const int last = lastFilledBox(int(outCODICE.size()));
    for (int i = 0; i < int(boxes.size()); ++i)
        boxes[i]->setText(i <= last ? text(outCODICE.substr(size_t(i) * BadgeCode::Length, BadgeCode::Length))
                                    : QString());
}

void TransactionPanel::CmdAck_Click() { Sibrant().SendACK(Terminale()); }

}  // namespace lettore
