#pragma once

#include "CommandPanel.h"

#include <string>

namespace lettore {

// The right-hand "Setup seriale" panel: "Standard" (the link reads the line
// only for its own exchanges) or "Multimaster" (readers send readings on
// their own), and the reading handler that shows, sounds and acknowledges
// those readings.
class MultimasterPanel : public CommandPanel {
    Q_OBJECT

public:
    explicit MultimasterPanel(Context context, QObject* parent = nullptr);

    // A text the link received. In "Multimaster" mode a 16-character
    // reading is shown in txtAddrMM and TxtBadgeMM, LetturaOk.wav plays,
    // and with "Ack automatico" ticked the reader gets its acknowledgement.
    // A reading whose address characters make no address is ignored.
    void Lettura(const std::string& dati);

    // 0 "Standard": receive notifications off; 1 "Multimaster": on.
    void optMultiMaster_Click(int Index);
};

}  // namespace lettore
