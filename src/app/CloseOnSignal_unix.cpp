#include "CloseOnSignal.h"

#include "EndSignals.h"

#include <QSocketNotifier>
#include <QWidget>

namespace lettore {

namespace {

// Lives as long as the window: the requests are noted until the first one
// closes it, then a second one ends the program.
class CloseOnRequest : public QObject {
public:
    explicit CloseOnRequest(QWidget& window) : QObject(&window)
    {
        if (!m_requests.watching())
            return;
        auto* notifier = new QSocketNotifier(m_requests.fd(), QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, &window, [this, &window, notifier] {
            notifier->setEnabled(false);
            m_requests.release();
            window.close();
        });
    }

private:
    // System calls carry on through a request: Qt's own do not all expect
    // to be interrupted.
    EndSignals m_requests{EndSignals::Calls::Restarted};
};

}  // namespace

void closeOnEndRequest(QWidget& window) { new CloseOnRequest(window); }

}  // namespace lettore
