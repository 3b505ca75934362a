#pragma once

#include "CommandPanel.h"

namespace lettore {

// "Get matricola": walks the selected reader's stored serial numbers,
// first, current and next. Each button shows the result code in
// TxtEsitoGetMatricola and, whatever the code, the returned text in
// TxtRispGetMatricola.
class SerialNumberPanel : public CommandPanel {
    Q_OBJECT

public:
    explicit SerialNumberPanel(Context context, QObject* parent = nullptr);

    void CmdGetPrima_Click();
    void CmdGetCorrente_Click();
    void CmdGetProssima_Click();

private:
    void getMatricola(const char* command);
};

}  // namespace lettore
