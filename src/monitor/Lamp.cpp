#include "Lamp.h"

#include <QPainter>

Lamp::Lamp(QWidget* parent)
    : QWidget(parent)
{
}

void Lamp::setColor(const QColor& color)
{
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
