#include "EventLoopPause.h"

#include <QEventLoop>
#include <QTimer>

namespace lettore {

void pauseServingEvents(uint32_t ms)
{
    QEventLoop wait;
    QTimer::singleShot(static_cast<int>(ms), &wait, &QEventLoop::quit);
    wait.exec();
}

}  // namespace lettore
