#include "EndRequests.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <atomic>
#include <csignal>

#include <windows.h>

namespace lettore {

namespace {

// The console's control handler runs on a thread of its own: it notes the
// request and queues onRequest for the event loop.
std::atomic<int> requestSignal = 0;
std::function<void()>* requestHandler = nullptr;

BOOL WINAPI onControl(DWORD event)
{
    requestSignal = event == CTRL_C_EVENT ? SIGINT : SIGTERM;
    if (requestHandler && QCoreApplication::instance())
        QMetaObject::invokeMethod(QCoreApplication::instance(), *requestHandler, Qt::QueuedConnection);
    return TRUE;
}

}  // namespace

struct EndRequests::Watch { };

EndRequests::EndRequests(std::function<void()> onRequest) : m_onRequest(std::move(onRequest))
{
    requestSignal = 0;
    requestHandler = m_onRequest ? &m_onRequest : nullptr;
    m_watching = ::SetConsoleCtrlHandler(onControl, TRUE) != 0;
}

EndRequests::~EndRequests()
{
    ::SetConsoleCtrlHandler(onControl, FALSE);
    requestHandler = nullptr;
}

int EndRequests::signal() { return requestSignal; }

}  // namespace lettore
