#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QHBoxLayout;

namespace lettore {

// A window of the console for one long job on a file and the selected
// reader: the file (typed, or chosen with "Sfoglia…"), the job's buttons,
// its progress and "Interrompi", a summary line, and the details (codes,
// problems, records) in a read-only box. Each caption is the buddy of its
// box and each control has an accessible name, so a screen reader can use
// the window. A window of the main window's: it closes with it.
class FileJobWindow : public QWidget {
    Q_OBJECT

public:
    FileJobWindow(const QString& title, const QString& fileCaption, QWidget* mainWindow);

    // A job button, added to the row after the others.
    QPushButton* addButton(const QString& caption);

    QLineEdit* file() const { return m_file; }
    QPushButton* browse() const { return m_browse; }
    QPushButton* stop() const { return m_stop; }
    QProgressBar* progress() const { return m_progress; }
    QLabel* summary() const { return m_summary; }
    QPlainTextEdit* details() const { return m_details; }

private:
    QLineEdit* m_file;
    QPushButton* m_browse;
    QHBoxLayout* m_buttons;
    QPushButton* m_stop;
    QProgressBar* m_progress;
    QLabel* m_summary;
    QPlainTextEdit* m_details;
};

}  // namespace lettore
