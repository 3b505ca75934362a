#include "Dialogs.h"

#include <QApplication>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QSpacerItem>
#include <QStyle>

QtDialogs::QtDialogs(QWidget* parent)
    : m_parent(parent)
{
}

void QtDialogs::message(const QString& text, Icon icon)
{
    const QString title = m_parent ? m_parent->window()->windowTitle() : QString();
    QMessageBox box(icon == Icon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon, title, text,
                    QMessageBox::Ok, m_parent);
    // A message box is as wide as its text, and a short text ("Password
    // errata!") leaves the window manager too little room for the title,
    // which it cuts ("Tes… ant"). The box is made wide enough for the
    // title in the title bar's font, with room for its buttons.
    const QFontMetrics titleFont(QApplication::font("QMdiSubWindowTitleBar"));
    const int titleButtons = 4 * box.style()->pixelMetric(QStyle::PM_TitleBarHeight);
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(titleFont.horizontalAdvance(title) + titleButtons, 0,
                                      QSizePolicy::Minimum, QSizePolicy::Expanding),
                      grid->rowCount(), 0, 1, grid->columnCount());
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
