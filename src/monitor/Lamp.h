#pragma once

#include <QColor>
#include <QWidget>

// A round activity lamp: a solid circle filling the widget, whose colour is
// the lamp's state.
class Lamp : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor)

public:
    explicit Lamp(QWidget* parent = nullptr);

    QColor color() const { return m_color; }
    // Takes the new colour and draws it before returning (when shown), so
    // a lamp lit during a busy wait on the line shows at once.
    void setColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color = Qt::black;
};
