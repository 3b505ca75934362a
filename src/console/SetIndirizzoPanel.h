#pragma once

#include "CommandPanel.h"

namespace lettore {

// The "Set Indirizzo" panel: gives the address chosen in cmbSetIndirizzo to
// the reader whose card code is in txtCodeAddr. The command goes to every
// reader on the bus, whatever terminal is selected, and is not answered.
class SetIndirizzoPanel : public CommandPanel {
    Q_OBJECT

public:
    explicit SetIndirizzoPanel(Context context, QObject* parent = nullptr);

    // With no address chosen (the list's state after start-up) the user is
    // asked to choose one and nothing is sent, rather than sending 0.
    void cmdSetIndirizzo_Click();

    static constexpr const char* ChooseAddress = "Selezionare l'indirizzo da assegnare";
};

}  // namespace lettore
