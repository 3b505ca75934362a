#pragma once

class QWidget;

namespace lettore {

// Closes `window` as its close box would when the program is asked to end
// (the session logging out, `kill`, Ctrl-C in the terminal that started
// it), so the console saves its settings then too. A second request while
// the close waits for a running command ends the program at once.
void closeOnEndRequest(QWidget& window);

}  // namespace lettore
