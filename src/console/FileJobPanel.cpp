#include "FileJobPanel.h"

#include "ConnectionSettings.h"
#include "ConsoleGate.h"
#include "FileJobWindow.h"
#include "Frame.h"
#include "frmSibrant.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>

namespace lettore {

FileJobPanel::FileJobPanel(Context context, const QString& title, const QString& fileCaption, QObject* parent)
    : CommandPanel(std::move(context), parent), m_window(new FileJobWindow(title, fileCaption, &window()))
{
    gate().guard(m_window->file());
    gate().guard(m_window->browse());
    connect(m_window->stop(), &QPushButton::clicked, &gate(), [this] { gate().requestStop(); });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), m_window);
    connect(escape, &QShortcut::activated, &gate(), [this] {
        if (m_running)
            gate().requestStop();
    });
    connect(&gate(), &ConsoleGate::runningChanged, this, [this] { updateButtons(); });
    m_window->installEventFilter(this);
}

FileJobPanel::~FileJobPanel()
{
    if (m_window)
        m_window->removeEventFilter(this);
}

FileJobWindow& FileJobPanel::jobWindow() const { return *m_window; }

void FileJobPanel::open()
{
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

QPushButton* FileJobPanel::addJob(const QString& caption, const QString& command, std::function<void()> job)
{
    QPushButton* button = m_window->addButton(caption);
    connect(button, &QPushButton::clicked, this, [this, command, job = std::move(job)] {
        gate().runSoon(command, [this, job] {
            m_running = true;
            m_window->stop()->setEnabled(true);
            job();
            m_running = false;
            m_window->stop()->setEnabled(false);
            if (std::exchange(m_closeWhenStopped, false))
                m_window->close();
        });
    });
    return button;
}

bool FileJobPanel::idle() const { return gate().running().isEmpty(); }

void FileJobPanel::showProgress(int index, int count, const QString& text)
{
    QProgressBar* bar = m_window->progress();
    bar->setRange(0, count);
    bar->setValue(count == 0 ? 0 : index);
    gate().setProgress(text);
}

bool FileJobPanel::stopRequested() { return gate().betweenExchanges(); }

std::string FileJobPanel::readerName() const
{
    return "port " + std::to_string(settings().NSeriale) + " term " + std::to_string(Terminale());
}

bool FileJobPanel::oneReader()
{
    if (Terminale() != Frame::Broadcast)
        return true;
    setSummary(QStringLiteral("Scegliere un terminale da 000 a 255: a 256 nessun lettore risponde."));
    return false;
}

void FileJobPanel::setSummary(const QString& text) { m_window->summary()->setText(text); }

// Closing the window during a job stops the job; the window closes once
// it has.
bool FileJobPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_window || event->type() != QEvent::Close || !m_running)
        return CommandPanel::eventFilter(watched, event);
    event->ignore();
    m_closeWhenStopped = true;
    gate().requestStop();
    return true;
}

}  // namespace lettore
