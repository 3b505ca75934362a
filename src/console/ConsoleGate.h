#pragma once

#include "LinkEvents.h"

#include <QAbstractButton>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <deque>
#include <functional>
#include <vector>

namespace lettore {

// Lets one command at a time reach the link. While a command runs the
// guarded controls are disabled, the status line says what is going on,
// and a command asked for meanwhile is refused: the link hands the event
// loop a turn during every wait, so without this a click could start a
// second exchange under the first. The monitor and the window keep
// updating.
//
// A reception a reader started on its own (a reading in Multimaster mode)
// also holds the link, but only for the few milliseconds of its frame:
// the controls stay on then, so the focus never leaves a box the user is
// typing in, and a command asked for meanwhile waits for the link instead
// of being dropped. Subscribed to the link, the gate hears its busy state.
class ConsoleGate : public QObject, public LinkEvents {
    Q_OBJECT

public:
    // status: shows one line of text; "" when nothing is going on.
    // turn: hands the event loop one turn, between two exchanges of a long
    // command; empty means there is no event loop to serve.
    explicit ConsoleGate(std::function<void(const QString&)> status, std::function<void()> turn = {},
                         QObject* parent = nullptr);

    // A control that starts commands or changes the port.
    void guard(QWidget* control);

    // Runs handler now, as the command named `command`, unless another one
    // runs or the link is busy; then nothing happens and false comes back.
    bool run(const QString& command, const std::function<void()>& handler);

    // As run(), but a handler refused now runs as soon as the gate is idle,
    // in the order asked for; a command already waiting is not queued
    // twice. For a click during a reader's reception, and for work that
    // must not be lost, such as the port number typed before the focus
    // left its box.
    void runWhenIdle(const QString& command, std::function<void()> handler);

    // A command button: guarded, and each click runs handler as `command`
    // (when the gate is idle again if a reception holds the link).
    void connectButton(QAbstractButton* button, const QString& command, std::function<void()> handler);

    // A command of many exchanges: its progress ("codice 5 di 101") joins
    // the status line, and between two exchanges it calls betweenExchanges(),
    // which hands the event loop a turn (so the window answers even when
    // every exchange fails at once, as on a dead port) and tells whether
    // the user wants it to stop (the stop button, Esc, closing the window).
    // A stop asked for outside a command is forgotten.
    void setProgress(const QString& text);
    bool betweenExchanges();
    // reason, when given, replaces the progress on the status line until
    // the command ends.
    void requestStop(const QString& reason = {});

    // What the command that runs now left to say once it has ended ("the
    // range stopped at code 5"): shown on the status line until the next
    // command starts.
    void setOutcome(const QString& text);

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
    struct Request {
        QString command;
        std::function<void()> handler;
    };

    void update();
    void finish();
    void enableControls(bool enable);
    void showStatus();
    void scheduleWaiting();
    void runWaiting();
    bool isGuarded(const QWidget* widget) const;

    std::function<void(const QString&)> m_status;
    std::function<void()> m_turn;
    std::vector<QPointer<QWidget>> m_controls;
    bool m_running = false;
    bool m_linkBusy = false;
    bool m_controlsEnabled = true;
    bool m_stopRequested = false;
    QString m_command;
    QString m_progress;
    QString m_stopReason;
    QString m_outcome;
    std::deque<Request> m_waiting;
    bool m_waitingScheduled = false;
    // The guarded control that had the focus when a command began: the
    // focus is parked on its window meanwhile and given back at the end.
    QPointer<QWidget> m_focusBefore;
};

}  // namespace lettore
