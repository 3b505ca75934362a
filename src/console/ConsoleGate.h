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
    // abandonWait: ends the link's wait under way (for an answer, or for a
    // quiet line) as a time-out; empty when there is no link to stop.
    explicit ConsoleGate(std::function<void(const QString&)> status, std::function<void()> turn = {},
                         std::function<void()> abandonWait = {}, QObject* parent = nullptr);

    // A control that starts commands or changes the port.
    void guard(QWidget* control);

    // What a stop asks of the link's waits while the command runs: EveryWait
    // ends the wait under way and each one the command starts afterwards;
    // CurrentWait only the one under way, for a command that still has work to
    // do on the line once stopped (putting a reader back as it was).
    enum class StopEnds { EveryWait, CurrentWait };

    // Runs handler now, as the command named `command`, unless another one
    // runs or the link is busy; then nothing happens and false comes back.
    bool run(const QString& command, const std::function<void()>& handler, StopEnds stopEnds = StopEnds::EveryWait);

    // As runWhenIdle(), but a command that can start now starts at once
    // (controls off, status line) and its handler runs from the event loop,
    // so the caller (a click, an accessibility "Press") returns without
    // waiting for the command. A stop asked for before the handler's turn
    // comes ends the command without running it.
    void runSoon(const QString& command, std::function<void()> handler);

    // As run(), but a handler refused now runs as soon as the gate is idle,
    // in the order asked for; a command already waiting is not queued
    // twice. For a click during a reader's reception, and for work that
    // must not be lost, such as the port number typed before the focus
    // left its box.
    void runWhenIdle(const QString& command, std::function<void()> handler);

    // A command button: guarded, and each click runs handler as `command`
    // through runSoon() (when the gate is idle again if a reception holds
    // the link).
    void connectButton(QAbstractButton* button, const QString& command, std::function<void()> handler);

    // A command of many exchanges: its progress ("codice 5 di 101") joins
    // the status line, and between two exchanges it calls betweenExchanges(),
    // which hands the event loop a turn (so the window answers even when
    // every exchange fails at once, as on a dead port) and tells whether
    // the user wants it to stop (the stop button, Esc, closing the window);
    // once a stop is asked for it gives no more turns.
    // A stop asked for outside a command is forgotten.
    void setProgress(const QString& text);
    bool betweenExchanges();
    // reason, when given, replaces the progress on the status line until
    // the command ends.
    void requestStop(const QString& reason = {});
    // As requestStop(), and the link's wait under way ends at once, as a
    // time-out, and so does every wait the command starts afterwards
    // (unless it runs with StopEnds::CurrentWait): the command reaches its
    // next stop point without waiting out a silent reader or a quiet line.
    void stopNow(const QString& reason = {});

    // What the command that runs now left to say once it has ended ("the
    // range stopped at code 5"): shown on the status line until the next
    // command starts.
    void setOutcome(const QString& text);

    // The link's own busy state, as it reports it.
    void setLinkBusy(bool busy);
    void busyChanged(bool busy) override;

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
    void begin(const QString& command, StopEnds stopEnds);
    void carryOut(const std::function<void()>& handler);
    void finish();
    void enableControls(bool enable);
    void showStatus();
    void scheduleWaiting();
    void runWaiting();
    bool isGuarded(const QWidget* widget) const;

    std::function<void(const QString&)> m_status;
    std::function<void()> m_turn;
    std::function<void()> m_abandonWait;
    std::vector<QPointer<QWidget>> m_controls;
    bool m_running = false;
    bool m_linkBusy = false;
    bool m_controlsEnabled = true;
    bool m_stopRequested = false;
    bool m_waitsAbandoned = false;  // stopNow() was asked during this command
    bool m_inTurn = false;  // betweenExchanges() is handing the event loop a turn
    StopEnds m_stopEnds = StopEnds::EveryWait;
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
