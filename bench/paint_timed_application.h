// The application, able to say when one widget has finished a paint. An
// event filter is called before the widget handles the event, and a scroll
// area's viewport paints in its area's own filter, so no filter of ours sees
// the paint end; notify() wraps the whole delivery, and returns after it.
#ifndef PAINT_TIMED_APPLICATION_H
#define PAINT_TIMED_APPLICATION_H

#include <QApplication>
#include <QRegion>

#include <functional>

class PaintTimedApplication : public QApplication
{
public:
    using QApplication::QApplication;

    // painted is called with the region of each Paint the widget gets, right
    // after the widget has handled it; a null widget stops the watch.
    void afterPaintOf(QWidget *widget, std::function<void(const QRegion &)> painted);

    bool notify(QObject *receiver, QEvent *event) override;

private:
    QObject *watched_ = nullptr;
    std::function<void(const QRegion &)> painted_;
};

#endif
