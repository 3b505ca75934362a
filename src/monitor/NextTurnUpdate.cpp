#include "NextTurnUpdate.h"

NextTurnUpdate::NextTurnUpdate(std::function<void()> update, QObject* parent)
    : QObject(parent), m_update(std::move(update))
{ }

// The queued call is this object's: deleting it drops the call.
void NextTurnUpdate::request()
{
    if (m_pending)
        return;
    m_pending = true;
    QMetaObject::invokeMethod(this, &NextTurnUpdate::flush, Qt::QueuedConnection);
}

void NextTurnUpdate::flush()
{
    if (!m_pending)
        return;
    m_pending = false;
    m_update();
}
