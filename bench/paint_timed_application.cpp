#include "paint_timed_application.h"

#include <QPaintEvent>
#include <QWidget>

void PaintTimedApplication::afterPaintOf(QWidget *widget, std::function<void(const QRegion &)> painted)
{
    watched_ = widget;
    painted_ = std::move(painted);
}

bool PaintTimedApplication::notify(QObject *receiver, QEvent *event)
{
    if (receiver != watched_ || event->type() != QEvent::Paint)
        return QApplication::notify(receiver, event);
    const QRegion region = static_cast<QPaintEvent *>(event)->region();
    const bool handled = QApplication::notify(receiver, event);
    painted_(region);
    return handled;
}
