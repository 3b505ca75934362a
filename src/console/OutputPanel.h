#pragma once

#include "CommandPanel.h"

namespace lettore {

// The "Output" panel: drives the selected reader's relay, buzzer and green
// LED with the texts of Text3, Text4 and Text5, sent as typed.
class OutputPanel : public CommandPanel {
    Q_OBJECT

public:
    explicit OutputPanel(Context context, QObject* parent = nullptr);

    void Command1_Click();
};

}  // namespace lettore
