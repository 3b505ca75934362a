#include "TransactionPanel.h"

#include "TransactionCodes.h"
#include "frmSibrant.h"

namespace lettore {

TransactionPanel::TransactionPanel(Context context, QObject* parent) : CommandPanel(std::move(context), parent)
{
    onClick(ui().Command7, QStringLiteral("GetTransazione"), [this] { Command7_Click(); });
    onClick(ui().CmdAck, QStringLiteral("Ack"), [this] { CmdAck_Click(); });
}

void TransactionPanel::Command7_Click()
{
    const bool AutoAck = ui().ChkAutoAck->checkState() == Qt::Checked;
    const ReaderCommand::Result result = run("GetTransazione", {}, AutoAck);
    window().TxtEsito[8]->setText(esitoText(result.esito));
    const auto& boxes = window().TxtBadge;
    const std::vector<std::string> codes = TransactionCodes::inBoxes(result.value("outCODICE"), boxes.size());
    for (size_t i = 0; i < boxes.size(); ++i)
        boxes[i]->setText(text(codes[i]));
}

void TransactionPanel::CmdAck_Click() { run("SendACK"); }

}  // namespace lettore
