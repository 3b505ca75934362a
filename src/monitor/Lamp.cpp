#include "Lamp.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>

namespace {

// What assistive technology sees of a lamp: an indicator, checked while lit.
class LampAccessible : public QAccessibleWidget {
public:
    explicit LampAccessible(Lamp* lamp) : QAccessibleWidget(lamp, QAccessible::Indicator) { }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = lamp()->isLit();
        return state;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return lamp()->isLit() ? QStringLiteral("accesa") : QStringLiteral("spenta");
        return QAccessibleWidget::text(t);
    }

private:
    Lamp* lamp() const { return static_cast<Lamp*>(widget()); }
};

QAccessibleInterface* lampAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("Lamp") && object && object->isWidgetType())
        return new LampAccessible(static_cast<Lamp*>(object));
    return nullptr;
}

}  // namespace

Lamp::Lamp(QWidget* parent) : QWidget(parent)
{
    static const bool installed = (QAccessible::installFactory(lampAccessible), true);
    (void)installed;
}

void Lamp::setColors(const QColor& off, const QColor& lit)
{
    m_offColor = off;
    m_litColor = lit;
    update();
}

void Lamp::setLit(bool lit)
{
    // A lamp lit again while lit already shows its colour: at full speed
    // the lamps stay lit and cost no painting.
    if (lit == m_lit)
        return;
    m_lit = lit;
    repaint();
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void Lamp::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(color());
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}
