#pragma once

#include "LinkEvents.h"

#include <QAbstractButton>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

namespace lettore {

// Lets one command at a time reach the link. While a command runs, or the
// link is busy on its own (a reception a reader started), the guarded
// controls are disabled, the status line says what is going on, and a
// command asked for meanwhile is refused: the link hands the event loop a
// turn during every wait, so without this a click could start a second
// exchange under the first. The monitor and the window keep updating.
// Subscribed to the link, it hears the link's own busy state.
class ConsoleGate : public QObject, public LinkEvents {
    Q_OBJECT

public:
    // status: shows one line of text; "" when nothing is going on.
    explicit ConsoleGate(std::function<void(const QString&)> status, QObject* parent = nullptr);

    // A control that starts commands or changes the port.
    void guard(QWidget* control);

    // Runs handler now, as the command named `command`, unless another one
    // runs or the link is busy; then nothing happens and false comes back.
    bool run(const QString& command, const std::function<void()>& handler);

    // A command button: guarded, and each click runs handler as `command`.
    void connectButton(QAbstractButton* button, const QString& command, std::function<void()> handler);

    // As run(), but a handler refused now runs as soon as the gate is idle
    // (only the latest one asked for): for work that must not be lost, such
    // as the port number typed before the focus left its box.
    void runWhenIdle(const QString& command, std::function<void()> handler);

    // A command of many exchanges: its progress ("codice 5 di 101") joins
    // the status line, and it asks between two exchanges whether the user
    // wants it to stop (the stop button, Esc). A stop asked for outside a
    // command is forgotten.
    void setProgress(const QString& text);
    void requestStop();
    bool stopRequested() const { return m_stopRequested; }

    // The link's own busy state, as it reports it.
    void setLinkBusy(bool busy);
    void busyChanged(bool busy) override { setLinkBusy(busy); }

    bool idle() const { return !m_running && !m_linkBusy; }
    // The command running now, "" when none.
    const QString& running() const { return m_command; }

    static QString runningText(const QString& command);
    static QString receivingText();

signals:
    void becameIdle();
    // A command started (true) or ended (false): the stop button follows it.
    void runningChanged(bool running);

private:
    void update();
    void finish();

    std::function<void(const QString&)> m_status;
    std::vector<QPointer<QWidget>> m_controls;
    bool m_running = false;
    bool m_linkBusy = false;
    bool m_controlsEnabled = true;
    bool m_stopRequested = false;
    QString m_command;
    QString m_progress;
    QString m_deferredCommand;
    std::function<void()> m_deferred;
};

}  // namespace lettore
