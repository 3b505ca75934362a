#include "CollaudoOpener.h"

#include <QAction>

namespace lettore {

CollaudoOpener::CollaudoOpener(CollaudoWindow::Context context, QWidget& mainWindow)
    : m_context(std::move(context)), m_mainWindow(mainWindow)
{
    m_action = new QAction(menuText(), &mainWindow);
    m_action->setShortcut(QKeySequence(QLatin1String(Shortcut)));
    m_action->setShortcutContext(Qt::ApplicationShortcut);
    connect(m_action, &QAction::triggered, this, &CollaudoOpener::open);
    mainWindow.addAction(m_action);
    mainWindow.setContextMenuPolicy(Qt::ActionsContextMenu);
}

QString CollaudoOpener::menuText() { return QString::fromUtf8("Collaudo lettore…"); }

void CollaudoOpener::open()
{
    if (!m_window)
        m_window = new CollaudoWindow(m_context, &m_mainWindow);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

}  // namespace lettore
