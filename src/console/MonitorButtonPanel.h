#pragma once

#include "CommandPanel.h"

namespace lettore {

// The button that shows and hides the communications monitor. It sends
// nothing, so it works while a command runs. A monitor minimised by the
// window manager is brought back by either caption.
class MonitorButtonPanel : public CommandPanel {
    Q_OBJECT

public:
    explicit MonitorButtonPanel(Context context, QObject* parent = nullptr);

    void Command8_Click();
};

}  // namespace lettore
