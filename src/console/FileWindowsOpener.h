#pragma once

#include "ListImportPanel.h"
#include "TransactionDownloadPanel.h"

#include <QObject>

class QAction;

namespace lettore {

// Opens the console's file windows without changing the main window's
// layout: each is an action of the main window, with a shortcut that works
// in any window of the console (ImportShortcut, DownloadShortcut) and an
// entry of the main window's context menu, which a right click on its
// background opens, and the Menu key (or Shift+F10) on any control without
// a menu of its own.
class FileWindowsOpener : public QObject {
    Q_OBJECT

public:
    static constexpr const char* ImportShortcut = "Ctrl+Shift+I";
    static constexpr const char* DownloadShortcut = "Ctrl+Shift+T";

    explicit FileWindowsOpener(CommandPanel::Context context, QObject* parent = nullptr);

    ListImportPanel& listImport() { return m_listImport; }
    TransactionDownloadPanel& transactionDownload() { return m_transactionDownload; }

    // "Importa lista…" and "Scarica transazioni…".
    static QString importText();
    static QString downloadText();

private:
    QAction* addOpener(QWidget& mainWindow, const QString& text, const char* shortcut, FileJobPanel& panel);

    ListImportPanel m_listImport;
    TransactionDownloadPanel m_transactionDownload;
};

}  // namespace lettore
