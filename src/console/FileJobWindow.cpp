#include "FileJobWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace lettore {

FileJobWindow::FileJobWindow(const QString& title, const QString& fileCaption, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window), m_file(new QLineEdit), m_browse(new QPushButton(QString::fromUtf8("Sfoglia…"))),
      m_buttons(new QHBoxLayout), m_stop(new QPushButton(QStringLiteral("Interrompi"))), m_progress(new QProgressBar),
      m_summary(new QLabel), m_details(new QPlainTextEdit)
{
    setWindowTitle(title);
    auto* fileLabel = new QLabel(fileCaption);
    fileLabel->setBuddy(m_file);
    m_file->setAccessibleName(fileCaption);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileLabel);
    fileRow->addWidget(m_file, 1);
    fileRow->addWidget(m_browse);

    m_buttons->addStretch(1);
    m_buttons->addWidget(m_stop);
    m_stop->setEnabled(false);
    m_progress->setAccessibleName(QStringLiteral("Avanzamento"));
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_summary->setWordWrap(true);
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    auto* detailsLabel = new QLabel(QStringLiteral("Dettagli"));
    detailsLabel->setBuddy(m_details);
    m_details->setReadOnly(true);
    m_details->setAccessibleName(QStringLiteral("Dettagli"));
    m_details->setLineWrapMode(QPlainTextEdit::NoWrap);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fileRow);
    layout->addLayout(m_buttons);
    layout->addWidget(m_progress);
    layout->addWidget(m_summary);
    layout->addWidget(detailsLabel);
    layout->addWidget(m_details, 1);
    resize(560, 420);
}

QPushButton* FileJobWindow::addButton(const QString& caption)
{
    auto* button = new QPushButton(caption);
    m_buttons->insertWidget(m_buttons->count() - 2, button);
    return button;
}

}  // namespace lettore
