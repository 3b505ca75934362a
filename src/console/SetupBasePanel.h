#pragma once

#include "CommandPanel.h"

namespace lettore {

// The two base-setup panels, which share the Text11 boxes: "Setup base"
// sends the six fields of Text11(0) to Text11(5) once each is a
// fixed-width decimal number within its range; "GetSetupBase" reads them
// back into Text11(6) to Text11(11), in mirror order.
class SetupBasePanel : public CommandPanel {
    Q_OBJECT

public:
    explicit SetupBasePanel(Context context, QObject* parent = nullptr);

    // "SET": the first bad field, in the boxes' order, is named in a
    // message and nothing is sent; otherwise the fields go out as typed
    // and TxtEsito(1) gets the result.
    void Command4_Click();
    // "GET": TxtEsito(4) gets the result, the six boxes what came back
    // ("N" each when the answer was unusable).
    void Command6_Click();
};

}  // namespace lettore
