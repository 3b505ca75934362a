#include "Twips.h"

#include <QRegularExpression>
#include <QWidget>

#include <cmath>

Twips::Twips(int dotsPerInch) : m_dotsPerInch(dotsPerInch) { }

int Twips::toPixels(int twips) const
{
    return static_cast<int>(std::lround(double(twips) * m_dotsPerInch / TwipsPerInch));
}

QRect Twips::fromForm(const QRect& rect) const
{
    const int left = fromForm(rect.x());
    const int top = fromForm(rect.y());
    return {left, top, fromForm(rect.x() + rect.width()) - left, fromForm(rect.y() + rect.height()) - top};
}

void Twips::placeForm(QWidget& window) const
{
    window.resize(fromForm(window.width()), fromForm(window.height()));
    placeChildren(window);
}

// Only the form's own widgets: a child that is a window of its own (a
// list's drop-down) is placed by Qt when it opens.
void Twips::placeChildren(QWidget& parent) const
{
    for (QWidget* child : parent.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow())
            continue;
        child->setGeometry(fromForm(child->geometry()));
        if (!child->styleSheet().isEmpty())
            child->setStyleSheet(styleSheet(child->styleSheet()));
        placeChildren(*child);
    }
}

// A style sheet's lengths ("margin-top: 7px") are form pixels too.
QString Twips::styleSheet(const QString& sheet) const
{
    static const QRegularExpression length(QStringLiteral("\\b(\\d+)px\\b"));
    QString placed;
    qsizetype from = 0;
    for (const QRegularExpressionMatch& match : length.globalMatch(sheet)) {
        placed += sheet.mid(from, match.capturedStart() - from);
        placed += QString::number(fromForm(match.captured(1).toInt())) + QStringLiteral("px");
        from = match.capturedEnd();
    }
    return placed + sheet.mid(from);
}
