#pragma once

#include "CommandPanel.h"

#include <QPointer>

#include <functional>

class QPushButton;

namespace lettore {

class FileJobWindow;

// What the console's file windows ("Importa lista…", "Scarica
// transazioni…") share: their window, their jobs run through the gate one
// command at a time, the progress shown in the window and on the status
// line, and a stop from "Interrompi", Esc, the main window's stop, or
// closing the window (which then closes once the job has stopped). The
// file box and "Sfoglia…" are off while any command runs; each job button
// is on only while no command runs and the window's own state allows it.
class FileJobPanel : public CommandPanel {
    Q_OBJECT

public:
    // Shows the window and brings it to the front.
    void open();
    FileJobWindow& jobWindow() const;

protected:
    FileJobPanel(Context context, const QString& title, const QString& fileCaption, QObject* parent);
    ~FileJobPanel() override;

    // A button of the window that runs `job` through the gate as `command`.
    QPushButton* addJob(const QString& caption, const QString& command, std::function<void()> job);
    // Asks updateButtons() for the job buttons' state from now on.
    virtual void updateButtons() = 0;
    // Whether no command runs now: a job button may be on.
    bool idle() const;

    // One step of `count` (0: an unknown number) done; `text` also goes to
    // the status line.
    void showProgress(int index, int count, const QString& text);
    // Between two exchanges: the event loop's turn, and whether to stop.
    bool stopRequested();
    // The reader as journals and notes name it: "port 9 term 1".
    std::string readerName() const;
    // A terminal that one reader answers at; false, with the summary
    // saying so, for 256.
    bool oneReader();
    void setSummary(const QString& text);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<FileJobWindow> m_window;
    bool m_running = false;
    bool m_closeWhenStopped = false;
};

}  // namespace lettore
