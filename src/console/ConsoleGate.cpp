#include "ConsoleGate.h"

#include <QTimer>

#include <algorithm>
#include <utility>

namespace lettore {

ConsoleGate::ConsoleGate(std::function<void(const QString&)> status, std::function<void()> turn,
                         std::function<void()> abandonWait, QObject* parent)
    : QObject(parent), m_status(std::move(status)), m_turn(std::move(turn)), m_abandonWait(std::move(abandonWait))
{ }

void ConsoleGate::guard(QWidget* control)
{
    m_controls.emplace_back(control);
    control->setEnabled(m_controlsEnabled);
}

void ConsoleGate::connectButton(QAbstractButton* button, const QString& command, std::function<void()> handler)
{
    guard(button);
    connect(button, &QAbstractButton::clicked, this,
            [this, command, handler = std::move(handler)] { runSoon(command, handler); });
}

bool ConsoleGate::run(const QString& command, const std::function<void()>& handler, StopEnds stopEnds)
{
    if (!idle())
        return false;
    begin(command, stopEnds);
    carryOut(handler);
    return true;
}

void ConsoleGate::runSoon(const QString& command, std::function<void()> handler)
{
    if (!m_waiting.empty() || !idle()) {
        runWhenIdle(command, std::move(handler));
        return;
    }
    begin(command, StopEnds::EveryWait);
    QTimer::singleShot(0, this, [this, handler = std::move(handler)] {
        if (m_stopRequested)
            finish();
        else
            carryOut(handler);
    });
}

void ConsoleGate::begin(const QString& command, StopEnds stopEnds)
{
    m_running = true;
    m_command = command;
    m_progress.clear();
    m_stopReason.clear();
    m_outcome.clear();
    m_stopRequested = false;
    m_waitsAbandoned = false;
    m_stopEnds = stopEnds;
    enableControls(false);
    showStatus();
    emit runningChanged(true);
}

void ConsoleGate::carryOut(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (...) {
        // A handler never throws by design; if one does, the window must
        // not stay locked behind it.
        finish();
        throw;
    }
    finish();
}

void ConsoleGate::finish()
{
    m_running = false;
    m_stopRequested = false;
    m_waitsAbandoned = false;
    m_stopReason.clear();
    m_command.clear();
    m_progress.clear();
    enableControls(true);
    emit runningChanged(false);
    update();
}

void ConsoleGate::setProgress(const QString& text)
{
    m_progress = text;
    if (m_running)
        showStatus();
}

// Once a stop is asked for the command ends here, so no turn is needed. A
// reader's reception that starts in the turn is the link's own, not the
// command's: a stop does not cut it short (busyChanged()).
bool ConsoleGate::betweenExchanges()
{
    if (m_stopRequested || !m_turn)
        return m_stopRequested;
    m_inTurn = true;
    m_turn();
    m_inTurn = false;
    return m_stopRequested;
}

void ConsoleGate::requestStop(const QString& reason)
{
    if (!m_running)
        return;
    m_stopRequested = true;
    if (!reason.isEmpty())
        m_stopReason = reason;
    showStatus();
}

void ConsoleGate::stopNow(const QString& reason)
{
    if (!m_running)
        return;
    requestStop(reason);
    m_waitsAbandoned = true;
    if (m_abandonWait)
        m_abandonWait();
}

void ConsoleGate::setOutcome(const QString& text)
{
    m_outcome = text;
    showStatus();
}

void ConsoleGate::runWhenIdle(const QString& command, std::function<void()> handler)
{
    // Requests already waiting go first.
    if (m_waiting.empty() && run(command, handler))
        return;
    const auto same = std::find_if(m_waiting.begin(), m_waiting.end(),
                                   [&](const Request& request) { return request.command == command; });
    if (same != m_waiting.end())
        same->handler = std::move(handler);
    else
        m_waiting.push_back({command, std::move(handler)});
    if (idle())
        scheduleWaiting();
}

// The link forgets an abandoned wait when it goes busy again; a command
// told to stop has its next wait abandoned as it begins: its own exchanges,
// and the acknowledgements of readings held meanwhile with the quiet line
// they may wait for.
void ConsoleGate::busyChanged(bool busy)
{
    if (busy && m_running && m_waitsAbandoned && !m_inTurn && m_stopEnds == StopEnds::EveryWait && m_abandonWait)
        m_abandonWait();
    setLinkBusy(busy);
}

// While a command runs the status line names it whatever the link's state,
// and the gate cannot become idle: the two changes of each of its exchanges
// would only write the same line again.
void ConsoleGate::setLinkBusy(bool busy)
{
    if (busy == m_linkBusy)
        return;
    m_linkBusy = busy;
    if (!m_running)
        update();
}

QString ConsoleGate::runningText(const QString& command) { return QStringLiteral("Comando in corso: %1").arg(command); }

QString ConsoleGate::receivingText() { return QStringLiteral("Ricezione dal lettore in corso"); }

void ConsoleGate::showStatus()
{
    if (!m_status)
        return;
    if (m_running && !m_stopReason.isEmpty())
        m_status(m_stopReason);
    else if (m_running)
        m_status(m_progress.isEmpty() ? runningText(m_command)
                                      : runningText(m_command) + QStringLiteral(" — ") + m_progress);
    else
        m_status(m_linkBusy ? receivingText() : m_outcome);
}

bool ConsoleGate::isGuarded(const QWidget* widget) const
{
    return std::any_of(m_controls.begin(), m_controls.end(), [widget](const QPointer<QWidget>& control) {
        return control && (control == widget || control->isAncestorOf(widget));
    });
}

// Controls change only when a command starts or ends, not at every
// exchange of a long run, so a run of a thousand codes costs no repaints.
//
// A disabled control cannot keep the focus: Qt would hand it to the next
// control in tab order, selecting a box's text, so that the user's next
// key overwrites it. The window itself holds the focus meanwhile (keys go
// nowhere, Esc still reaches its shortcut), and the control gets it back
// at the end unless the user put it elsewhere.
void ConsoleGate::enableControls(bool enable)
{
    if (enable == m_controlsEnabled)
        return;
    m_controlsEnabled = enable;
    if (!enable) {
        m_focusBefore = nullptr;
        for (const QPointer<QWidget>& control : m_controls) {
            QWidget* focus = control ? control->window()->focusWidget() : nullptr;
            if (focus && isGuarded(focus)) {
                m_focusBefore = focus;
                focus->window()->setFocus(Qt::OtherFocusReason);
                break;
            }
        }
    }
    for (const QPointer<QWidget>& control : m_controls)
        if (control)
            control->setEnabled(enable);
    if (enable && m_focusBefore) {
        QWidget* before = std::exchange(m_focusBefore, nullptr);
        if (before->isEnabled() && before->window()->focusWidget() == before->window())
            before->setFocus(Qt::OtherFocusReason);
    }
}

// Status line, then, once nothing holds the gate, the requests that waited.
void ConsoleGate::update()
{
    showStatus();
    if (!idle())
        return;
    emit becameIdle();
    scheduleWaiting();
}

// After the current event, so the work that just ended unwinds first.
void ConsoleGate::scheduleWaiting()
{
    if (m_waiting.empty() || m_waitingScheduled)
        return;
    m_waitingScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_waitingScheduled = false;
        runWaiting();
    });
}

void ConsoleGate::runWaiting()
{
    if (!idle() || m_waiting.empty())
        return;
    Request request = std::move(m_waiting.front());
    m_waiting.pop_front();
    run(request.command, request.handler);
}

}  // namespace lettore
