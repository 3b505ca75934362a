#include "ConsoleGate.h"

#include <QTimer>

namespace lettore {

ConsoleGate::ConsoleGate(std::function<void(const QString&)> status, QObject* parent)
    : QObject(parent), m_status(std::move(status))
{
}

void ConsoleGate::guard(QWidget* control)
{
    m_controls.emplace_back(control);
    control->setEnabled(m_controlsEnabled);
}

void ConsoleGate::connectButton(QAbstractButton* button, const QString& command,
                                std::function<void()> handler)
{
    guard(button);
    connect(button, &QAbstractButton::clicked, this,
            [this, command, handler = std::move(handler)] { run(command, handler); });
}

bool ConsoleGate::run(const QString& command, const std::function<void()>& handler)
{
    if (!idle())
        return false;
    m_running = true;
    m_command = command;
    m_progress.clear();
    m_stopRequested = false;
    update();
    emit runningChanged(true);
    try {
        handler();
    } catch (...) {
        // A handler never throws by design; if one does, the window must
        // not stay locked behind it.
        finish();
        throw;
    }
    finish();
    return true;
}

void ConsoleGate::finish()
{
    m_running = false;
    m_stopRequested = false;
    m_command.clear();
    m_progress.clear();
    emit runningChanged(false);
    update();
}

void ConsoleGate::setProgress(const QString& text)
{
    m_progress = text;
    if (m_status && m_running)
        m_status(runningText(m_command) + QStringLiteral(" — ") + m_progress);
}

void ConsoleGate::requestStop()
{
    if (m_running)
        m_stopRequested = true;
}

void ConsoleGate::runWhenIdle(const QString& command, std::function<void()> handler)
{
    if (run(command, handler))
        return;
    m_deferredCommand = command;
    m_deferred = std::move(handler);
}

void ConsoleGate::setLinkBusy(bool busy)
{
    if (busy == m_linkBusy)
        return;
    m_linkBusy = busy;
    update();
}

QString ConsoleGate::runningText(const QString& command)
{
    return QStringLiteral("Comando in corso: %1").arg(command);
}

QString ConsoleGate::receivingText() { return QStringLiteral("Ricezione dal lettore in corso"); }

// Controls change only when the gate opens or closes, not at every
// exchange of a long run, so a run of a thousand codes costs no repaints.
void ConsoleGate::update()
{
    const bool enable = idle();
    if (enable != m_controlsEnabled) {
        m_controlsEnabled = enable;
        for (const QPointer<QWidget>& control : m_controls)
            if (control)
                control->setEnabled(enable);
    }
    if (m_status) {
        QString text = m_running ? runningText(m_command) : m_linkBusy ? receivingText() : QString();
        if (m_running && !m_progress.isEmpty())
            text += QStringLiteral(" — ") + m_progress;
        m_status(text);
    }
    if (!enable)
        return;
    emit becameIdle();
    if (m_deferred) {
        // After the current event, so the work that just ended unwinds first.
        QTimer::singleShot(0, this, [this] {
            if (!m_deferred || !idle())
                return;
            auto handler = std::exchange(m_deferred, {});
            run(std::exchange(m_deferredCommand, {}), handler);
        });
    }
}

}  // namespace lettore
