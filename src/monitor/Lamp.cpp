#include "Lamp.h"

#include <QPainter>

Lamp::Lamp(QWidget* parent)
    : QWidget(parent)
{
}

void Lamp::setColor(const QColor& color)
{
    // A lamp lit again while lit already shows its colour: at full speed
    // the lamps stay lit and cost no painting.
    if (color == m_color)
        return;
    m_color = color;
    repaint();
}

void Lamp::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(m_color);
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}
