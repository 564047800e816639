#include "click_repaint.h"

#include "event_loop.h"
#include "paint_timed_application.h"

#include <QAbstractEventDispatcher>
#include <QAbstractItemView>
#include <QElapsedTimer>
#include <QtTest>

namespace {

constexpr qint64 patienceNs = 5000000000;

double clickRow(QAbstractItemView *terminal, PaintTimedApplication &application, const QModelIndex &row)
{
    const QRect rowRect = terminal->visualRect(row);
    QElapsedTimer clock;
    qint64 shownNs = -1;
    application.afterPaintOf(terminal->viewport(), [&](const QRegion &painted) {
        if (shownNs < 0 && painted.intersects(rowRect) && terminal->selectionModel()->isSelected(row))
            shownNs = clock.nsecsElapsed();
    });
    clock.start();
    // Near the row's left end: a row is as wide as the longest line, wider
    // than the viewport.
    QTest::mouseClick(terminal->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(rowRect.left() + 8, rowRect.center().y()));
    // Passes without waiting, so that the clock stops in the pass that paints.
    while (shownNs < 0 && clock.nsecsElapsed() < patienceNs)
        QAbstractEventDispatcher::instance()->processEvents(QEventLoop::AllEvents);
    application.afterPaintOf(nullptr, {});
    runUntilIdle();
    return shownNs < 0 ? -1 : shownNs / 1e6;
}

} // namespace

std::vector<double> clickToRepaintMs(QAbstractItemView *terminal, PaintTimedApplication &application)
{
    const QAbstractItemModel *model = terminal->model();
    terminal->scrollTo(model->index(model->rowCount() / 2, 0), QAbstractItemView::PositionAtCenter);
    runUntilIdle();
    std::vector<double> times;
    for (int quarter = 1; quarter <= 3; ++quarter) {
        const QModelIndex row = terminal->indexAt(QPoint(8, terminal->viewport()->height() * quarter / 4));
        times.push_back(row.isValid() ? clickRow(terminal, application, row) : -1);
    }
    return times;
}
