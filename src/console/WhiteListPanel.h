#pragma once

#include "CommandPanel.h"

namespace lettore {

// The white list of the selected reader: "White List" clears it, adds and
// deletes the code typed in "ID tessera" (Text8); "Esistenza matricola"
// asks whether the code in Text14 is on it. Codes go to the reader as
// typed, unchecked.
class WhiteListPanel : public CommandPanel {
    Q_OBJECT

public:
    explicit WhiteListPanel(Context context, QObject* parent = nullptr);

    // 0 "Clear Globale", 1 "Aggiungi", 2 "Elimina"; the result code in
    // TxtEsito(5), except that an accepted "Aggiungi" shows the reader's
    // status character instead.
    void Command3_Click(int Index);
    // "?": the result code in TxtEsito(3), the reader's answer in Text15.
    // An empty Text14 is refused with "Inserire Badge"; nothing is sent.
    void Command5_Click();

    static constexpr const char* InserireBadge = "Inserire Badge";
};

}  // namespace lettore
