#pragma once

#include "CommandPanel.h"

namespace lettore {

// The settings row of the console: serial port, baud rate and terminal
// address, shown as the console's settings read at start-up, applied to the
// link and changed by the user.
class SettingsPanel : public CommandPanel {
    Q_OBJECT

public:
    explicit SettingsPanel(Context context, QObject* parent = nullptr);

    // Shows the settings and starts the link on them. A rate the list
    // does not offer, or an address outside the list, falls back to its
    // default rather than being sent.
    void start();

    // The handlers, also for tests.
    void TxtNumCom_LostFocus();
    void CmbTerminale_Click();

    static constexpr const char* SerialeGiaUtilizzata = "Seriale già utilizzata";
    static constexpr const char* SerialeInesistente = "Seriale inesistente";

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace lettore
