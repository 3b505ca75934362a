#pragma once

#include <QColor>
#include <QWidget>

// A round activity lamp: a solid circle filling the widget, drawn in its
// lit or its off colour. To a screen reader it is an indicator whose
// "checked" state is lit and whose value reads "accesa" or "spenta".
class Lamp : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor color READ color)

public:
    explicit Lamp(QWidget* parent = nullptr);

    // The two colours; the lamp starts off.
    void setColors(const QColor& off, const QColor& lit);

    QColor color() const { return m_lit ? m_litColor : m_offColor; }
    bool isLit() const { return m_lit; }
    // Lights or puts out the lamp and draws it before returning (when
    // shown), so a lamp lit during a busy wait on the line shows at once.
    void setLit(bool lit);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_offColor = Qt::black;
    QColor m_litColor = Qt::black;
    bool m_lit = false;
};
