#include "TrafficLogOpener.h"

#include "MonCom.h"
#include "TrafficLogWindow.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QShortcut>

namespace lettore {

TrafficLogOpener::TrafficLogOpener(TrafficLogModel& model, QWidget& mainWindow)
    : m_model(model), m_mainWindow(mainWindow)
{
    auto* shortcut = new QShortcut(QKeySequence(QLatin1String(Shortcut)), &mainWindow);
    connect(shortcut, &QShortcut::activated, this, &TrafficLogOpener::open);
    // The monitor is made and unmade as it is used: its context menu is
    // caught on the way to it rather than added to each one.
    qApp->installEventFilter(this);
}

TrafficLogOpener::~TrafficLogOpener() { qApp->removeEventFilter(this); }

void TrafficLogOpener::open()
{
    if (!m_window)
        m_window = new TrafficLogWindow(m_model, &m_mainWindow);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

bool TrafficLogOpener::eventFilter(QObject* watched, QEvent* event)
{
    // Only a menu asked for on the monitor itself or a control that leaves
    // it to the window (the text boxes keep their own).
    if (event->type() != QEvent::ContextMenu || !qobject_cast<MonCom*>(watched))
        return false;
    QMenu menu;
    menu.addAction(QString::fromUtf8(MenuText), this, &TrafficLogOpener::open);
    menu.exec(static_cast<QContextMenuEvent*>(event)->globalPos());
    return true;
}

}  // namespace lettore
