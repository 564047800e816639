#include "event_loop.h"

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>

#include <algorithm>

LoopTimes runUntilIdle()
{
    QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    LoopTimes times;
    for (int idlePasses = 0; idlePasses < 3;) {
        QElapsedTimer pass;
        pass.start();
        const bool busy = dispatcher->processEvents(QEventLoop::AllEvents);
        const double ms = pass.nsecsElapsed() / 1e6;
        times.totalMs += ms;
        times.longestPassMs = std::max(times.longestPassMs, ms);
        times.slowPasses += ms > frameMs;
        idlePasses = busy ? 0 : idlePasses + 1;
    }
    return times;
}
