#pragma once

#include "CommandPanel.h"

namespace lettore {

// "GetTransazione": reads a stored transaction from the selected reader
// and shows its badge codes, one per box, in TxtBadge(0) to TxtBadge(9);
// "Ack automatico" acknowledges it as part of the reading, "Ack" does so
// by hand.
class TransactionPanel : public CommandPanel {
    Q_OBJECT

public:
    explicit TransactionPanel(Context context, QObject* parent = nullptr);

    // "GET": the result code in TxtEsito(8); whatever the code, the
    // returned text cut into ten-character codes over TxtBadge, every box
    // not filled emptied. A text of more than ten codes fills the ten
    // boxes; the rest is not shown.
    void Command7_Click();
    // "Ack": the acknowledgement alone; nothing in the window changes.
    void CmdAck_Click();
};

}  // namespace lettore
