#pragma once

#include "CommandPanel.h"
#include "NextTurnUpdate.h"
#include "RangeInsertion.h"

namespace lettore {

// "Inserisci Badge  Da - A": adds the numbered badge codes from TxtDa to
// TxtA to the selected reader's white list, one exchange per code, showing
// each code and its status character in TxtRisposta as it goes. The gate's
// status line counts the codes; both show the latest code at each turn of
// the event loop, and the last one when the run ends, so no drawing comes
// between an answer and the next code. The window answers between two codes, and
// the user can stop the run: a wait under way ends at once, and the run
// ends before the next code. A stop or a port failure ending the run is
// told on the status line, with the last code sent.
class RangeInsertionPanel : public CommandPanel {
    Q_OBJECT

public:
    explicit RangeInsertionPanel(Context context, QObject* parent = nullptr);

    // Reads TxtA, then TxtDa, each as the number that leads its text,
    // rounded half to even, and sends first..last (nothing when first is
    // greater). A bound that is negative or beyond 16 bits would make codes
    // that are not ten digits: refused with a message, nothing sent.
    // Result codes are not shown; a code refused or unanswered does not
    // stop the run, a port failure does.
    void Command11_Click();

    static const QString BoundsRefused;
    // The status line after a run that a port failure ended: the code, its
    // place in the range and the range's size.
    static const QString StoppedByPort;
    // The status line after a run the user stopped: the last code sent, its
    // place and the range's size; or that none was sent.
    static const QString StoppedByUser;
    static const QString StoppedBeforeFirst;

private:
    void showProgress();

    // The latest code of the run under way.
    RangeInsertion::Step m_lastStep;
    NextTurnUpdate m_progress{[this] { showProgress(); }, this};
};

}  // namespace lettore
