#pragma once

#include "CommandPanel.h"

namespace lettore {

// The "Versione Firmware" panel: asks the selected reader for its
// firmware version.
class FirmwarePanel : public CommandPanel {
    Q_OBJECT

public:
    explicit FirmwarePanel(Context context, QObject* parent = nullptr);

    // TxtEsito(7) gets the result, TxtFirmwareVersion the version ("N"
    // when the answer was unusable).
    void CmdGetFirmwareVersion_Click();
};

}  // namespace lettore
