#include "CloseOnSignal.h"

namespace lettore {

// Windows asks a program with windows to end through those windows
// (WM_CLOSE, WM_ENDSESSION), which Qt already turns into a close event.
void closeOnEndRequest(QWidget&) { }

}  // namespace lettore
