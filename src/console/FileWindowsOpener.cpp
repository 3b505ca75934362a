#include "FileWindowsOpener.h"

#include "frmSibrant.h"

#include <QAction>

namespace lettore {

FileWindowsOpener::FileWindowsOpener(CommandPanel::Context context, QObject* parent)
    : QObject(parent), m_listImport(context), m_transactionDownload(context)
{
    QWidget& mainWindow = context.window;
    addOpener(mainWindow, importText(), ImportShortcut, m_listImport);
    addOpener(mainWindow, downloadText(), DownloadShortcut, m_transactionDownload);
    mainWindow.setContextMenuPolicy(Qt::ActionsContextMenu);
}

QString FileWindowsOpener::importText() { return QString::fromUtf8("Importa lista…"); }

QString FileWindowsOpener::downloadText() { return QString::fromUtf8("Scarica transazioni…"); }

QAction* FileWindowsOpener::addOpener(QWidget& mainWindow, const QString& text, const char* shortcut,
                                      FileJobPanel& panel)
{
    auto* action = new QAction(text, &mainWindow);
    action->setShortcut(QKeySequence(QLatin1String(shortcut)));
    // From any of the console's windows: the monitor and the traffic log too.
    action->setShortcutContext(Qt::ApplicationShortcut);
    connect(action, &QAction::triggered, &panel, &FileJobPanel::open);
    mainWindow.addAction(action);
    return action;
}

}  // namespace lettore
