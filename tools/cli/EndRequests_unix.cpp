#include "EndRequests.h"

#include "EndSignals.h"

#include <QSocketNotifier>

namespace lettore {

// The requests noted by the shared self-pipe, the pipe watched by Qt's loop.
struct EndRequests::Watch {
    // A request interrupts a write that waits, so that a reader that stopped
    // reading cannot hold the program (see DescriptorOutput::giveUpWhen).
    EndSignals requests{EndSignals::Calls::Interrupted};
    std::unique_ptr<QSocketNotifier> notifier;
};

EndRequests::EndRequests(std::function<void()> onRequest)
    : m_onRequest(std::move(onRequest)), m_watch(std::make_unique<Watch>())
{
    m_watching = m_watch->requests.watching();
    if (!m_watching || !m_onRequest)
        return;
    m_watch->notifier = std::make_unique<QSocketNotifier>(m_watch->requests.fd(), QSocketNotifier::Read);
    QObject::connect(m_watch->notifier.get(), &QSocketNotifier::activated, [this] {
        m_watch->notifier->setEnabled(false);
        m_onRequest();
    });
}

EndRequests::~EndRequests() = default;

int EndRequests::signal() { return EndSignals::received(); }

}  // namespace lettore
