#include "WindowAccessible.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace {

// Asked for each class of an object in turn, from the most derived: answers
// for the most derived class only, when it is one of this program's (Qt's
// are all named Q...) and derives directly from QWidget. Qt's own widgets
// keep their interfaces, even while a control made without a parent is
// briefly a window of its own.
QAccessibleInterface* windowAccessible(const QString& className, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget || !widget->isWindow() || className != QLatin1String(object->metaObject()->className())
        || className.startsWith(QLatin1Char('Q')) || object->metaObject()->superClass() != &QWidget::staticMetaObject)
        return nullptr;
    return new QAccessibleWidget(widget, QAccessible::Window);
}

}  // namespace

void WindowAccessible::install()
{
    static const bool installed = (QAccessible::installFactory(windowAccessible), true);
    (void)installed;
}
