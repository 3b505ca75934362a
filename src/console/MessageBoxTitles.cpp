#include "MessageBoxTitles.h"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QStyle>

void MessageBoxTitles::install()
{
    static MessageBoxTitles* const filter = [] {
        auto* titles = new MessageBoxTitles;
        titles->setParent(qApp);
        qApp->installEventFilter(titles);
        return titles;
    }();
    (void)filter;
}

bool MessageBoxTitles::eventFilter(QObject* watched, QEvent* event)
{
    // Seen before the box's own show handler, which sizes it from its layout.
    auto* box = event->type() == QEvent::Show ? qobject_cast<QMessageBox*>(watched) : nullptr;
    auto* grid = box ? qobject_cast<QGridLayout*>(box->layout()) : nullptr;
    if (!grid || box->property("titleFitted").toBool())
        return false;
    box->setProperty("titleFitted", true);
    const QFontMetrics titleFont(QApplication::font("QMdiSubWindowTitleBar"));
    const int titleButtons = 4 * box->style()->pixelMetric(QStyle::PM_TitleBarHeight);
    grid->addItem(new QSpacerItem(titleFont.horizontalAdvance(box->windowTitle()) + titleButtons, 0,
                                  QSizePolicy::Minimum, QSizePolicy::Expanding),
                  grid->rowCount(), 0, 1, grid->columnCount());
    return false;
}
