#pragma once

// What a screen reader, or a test driving a window through the accessibility tree, needs of every
// control: an accessible name, and a description that says what the control is for and ends with the
// control's own name in brackets, where tests find it ("TxtEsito_3": "Codice di esito ... [TxtEsito(3)]").
#include <QAccessible>
#include <QLabel>
#include <QRegularExpression>
#include <QWidget>

// The problems found among the named widgets of `window`, one line each. Caption labels with the
// "lbl" prefix are the window's own additions and need no description.
inline QStringList accessibilityProblems(const QWidget& window)
{
    static const QRegularExpression arrayMember(QStringLiteral("^(.+)_(\\d+)$"));
    QStringList problems;
    const auto widgets = window.findChildren<QWidget*>();
    for (const QWidget* widget : widgets) {
        const QString name = widget->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || name == QLatin1String("centralwidget")
            || (qobject_cast<const QLabel*>(widget) && name.startsWith(QLatin1String("lbl"))))
            continue;
        QString described = name;
        described.replace(arrayMember, QStringLiteral("\\1(\\2)"));
        const QString tag = " [" + described + ']';
        const QString description = widget->accessibleDescription();
        if (!description.endsWith(tag) || description.size() == tag.size())
            problems << name + ": description \"" + widget->accessibleDescription() + '"';
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(const_cast<QWidget*>(widget));
        if (widget->focusPolicy() != Qt::NoFocus
            && (!accessible || accessible->text(QAccessible::Name).trimmed().isEmpty()))
            problems << name + ": no accessible name";
    }
    return problems;
}
