#pragma once

#include "CollaudoWindow.h"

#include <QObject>
#include <QPointer>

class QAction;

namespace lettore {

// Opens "Collaudo lettore" without changing the main window's layout: an
// action of the main window with the shortcut Shortcut, which works in any
// of the console's windows, and an entry of the main window's context menu
// (a right click on its background, or the Menu key or Shift+F10 on a
// control without a menu of its own). The window is made on first use as
// a window of the main one, and closes with it.
class CollaudoOpener : public QObject {
    Q_OBJECT

public:
    static constexpr const char* Shortcut = "Ctrl+Shift+C";

    CollaudoOpener(CollaudoWindow::Context context, QWidget& mainWindow);

    // Shows the window and brings it to the front.
    void open();
    CollaudoWindow* window() const { return m_window; }
    QAction* action() const { return m_action; }

    // "Collaudo lettore…"
    static QString menuText();

private:
    CollaudoWindow::Context m_context;
    QWidget& m_mainWindow;
    QAction* m_action = nullptr;
    QPointer<CollaudoWindow> m_window;
};

}  // namespace lettore
