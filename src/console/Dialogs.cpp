#include "Dialogs.h"

#include <QInputDialog>
#include <QMessageBox>

QtDialogs::QtDialogs(QWidget* parent) : m_parent(parent) { }

void QtDialogs::message(const QString& text, Icon icon)
{
    const QString title = m_parent ? m_parent->window()->windowTitle() : QString();
    QMessageBox box(icon == Icon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon, title, text,
                    QMessageBox::Ok, m_parent);
    box.exec();
}

std::optional<QString> QtDialogs::askPassword(const QString& prompt, const QString& title)
{
    bool accepted = false;
    const QString text = QInputDialog::getText(m_parent, title, prompt, QLineEdit::Password, QString(), &accepted);
    if (!accepted)
        return std::nullopt;
    return text;
}
