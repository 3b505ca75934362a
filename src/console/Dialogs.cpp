#include "Dialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

QtDialogs::QtDialogs(QWidget* parent)
    : m_parent(parent)
{
}

void QtDialogs::message(const QString& text, Icon icon)
{
    QMessageBox box(icon == Icon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon,
                    QApplication::applicationDisplayName(), text, QMessageBox::Ok, m_parent);
    box.exec();
}

std::optional<QString> QtDialogs::askPassword(const QString& prompt, const QString& title)
{
    bool accepted = false;
    const QString text = QInputDialog::getText(m_parent, title, prompt, QLineEdit::Password,
                                               QString(), &accepted);
    if (!accepted)
        return std::nullopt;
    return text;
}
