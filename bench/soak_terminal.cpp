// The tool at full bus load for a long time: run it as velkor-sim's program,
//   QT_QPA_PLATFORM=offscreen velkor-sim --load max -- build/bench/soak_terminal SECONDS [cut]
// (scripts/soak.sh does). It sets channel 0 up as remote terminal through the
// real window and lets the window's own timer poll for SECONDS, then reports
// the lines written, lines a second, resident memory a line, the longest
// tick, whether every DMA block the board delivered was reported, and what
// the terminal's memory ceiling cut. The exit status is 1 when a block went
// unreported, nothing arrived, a line went other than in an announced cut of
// the oldest lines, or, with "cut", when the terminal never reached its ceiling.
#include "process/freed_memory.h"
#include "group_memory.h"
#include "resident_memory.h"
#include "terminal_cuts.h"
#include "velkor_library.h"
#include "window_probe.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStringView>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <malloc.h>

namespace {

// Every DMA block the board hands the tool passes through the library's read;
// the soak is linked with --wrap so that it sees each container on its way.
unsigned long long deliveredBlocks = 0;

} // namespace

extern "C" DMA_READ_BLOCK *__real_velkor_readAllDmaBlocksReadyRead(int fd, unsigned int *cntBlocks);

extern "C" DMA_READ_BLOCK *__wrap_velkor_readAllDmaBlocksReadyRead(int fd, unsigned int *cntBlocks)
{
    DMA_READ_BLOCK *container = __real_velkor_readAllDmaBlocksReadyRead(fd, cntBlocks);
    if (container)
        deliveredBlocks += container->countBlocks;
    return container;
}

namespace {

double trimmedResidentBytes()
{
    malloc_trim(0);
    return double(residentBytes());
}

// Times each tick of the polling timer, from its timer event to the end of
// the window's slot, and checks that the tick wrote one summary per block.
class TickWatch : public QObject
{
public:
    TickWatch(QTimer *timer, QListWidget *terminal) : terminal_(terminal)
    {
        timer->installEventFilter(this);
        connect(timer, &QTimer::timeout, this, [this]() { tickEnded(); });
        // A cut during the tick moves its lines up.
        connect(terminal->model(), &QAbstractItemModel::rowsAboutToBeRemoved, this,
                [this](const QModelIndex &, int first, int last) {
                    firstRow_ -= std::max(0, std::min(last + 1, firstRow_) - first);
                });
    }

    int ticks = 0;
    double longestMs = 0;
    unsigned long long reportedBlocks = 0;
    int unreportedTicks = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Timer) {
            firstRow_ = terminal_->count();
            deliveredBefore_ = deliveredBlocks;
            tick_.start();
        }
        return false;
    }

private:
    void tickEnded()
    {
        longestMs = std::max(longestMs, tick_.nsecsElapsed() / 1e6);
        ++ticks;
        unsigned long long summaries = 0;
        for (int row = firstRow_; row < terminal_->count(); ++row) {
            const QString line = terminal_->item(row)->text();
            summaries += QStringView(line).mid(WindowProbe::timeStampLength).startsWith(u"Транзакция");
        }
        reportedBlocks += summaries;
        unreportedTicks += summaries != deliveredBlocks - deliveredBefore_;
    }

    QListWidget *terminal_;
    QElapsedTimer tick_;
    int firstRow_ = 0;
    unsigned long long deliveredBefore_ = 0;
};

QTimer *runningTimer(const MainWindow &window)
{
    for (QTimer *timer : window.findChildren<QTimer *>()) {
        if (timer->isActive())
            return timer;
    }
    qFatal("no polling timer runs after the remote terminal set-up");
}

} // namespace

int main(int argc, char **argv)
{
    keepFreedMemoryForReuse();
    QApplication application(argc, argv);
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 600;
    const bool cutExpected = argc > 2 && QByteArray(argv[2]) == "cut";
    WindowProbe probe;
    probe.window.show();
    probe.selectChannel(0);
    const double emptyBytes = trimmedResidentBytes();
    TerminalCuts cuts(probe.window, probe.terminal());
    probe.click("pushButton_initRT");
    QTimer *timer = runningTimer(probe.window);
    TickWatch watch(timer, probe.terminal());
    DataSizeWatch dataSize;
    QObject::connect(timer, &QTimer::timeout, [&dataSize]() { dataSize.note(); });

    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(seconds * 1000, &application, &QApplication::quit);
    application.exec();
    const double elapsed = wall.nsecsElapsed() / 1e9;
    probe.click("pushButton_Stop");

    const int lines = probe.terminal()->count();
    const double bytesPerLine = (trimmedResidentBytes() - emptyBytes) / std::max(lines, 1);
    probe.click("pushButtonClear");
    const double afterClear = trimmedResidentBytes() - emptyBytes;
    const bool reported = watch.unreportedTicks == 0 && deliveredBlocks > 0;
    const bool kept = cuts.accountedFor(lines) && (cuts.cuts > 0 || !cutExpected);

    std::printf("soak: %.0f s at full bus load, channel 0 as remote terminal\n", elapsed);
    std::printf("ticks: %d, the longest %.1f ms\n", watch.ticks, watch.longestMs);
    std::printf("DMA blocks delivered: %llu (%.0f a second), reported: %llu, ticks with a block unreported: %d\n",
                deliveredBlocks, deliveredBlocks / elapsed, watch.reportedBlocks, watch.unreportedTicks);
    std::printf("terminal lines: %lld written (%.0f a second), %d kept, resident memory %.0f bytes a line; "
                "after Clear %.1f MB\n",
                cuts.written, cuts.written / elapsed, lines, bytesPerLine, afterClear / 1e6);
    const QString ceilingText = cuts.ceilingMiB ? QString("%1 MiB").arg(cuts.ceilingMiB) : QString("not reached");
    std::printf("memory ceiling of the terminal %s: %d cuts of the oldest lines (%d of others), %lld lines cut, "
                "%lld announced; %lld lines written\n",
                qPrintable(ceilingText), cuts.cuts, cuts.cutsNotOfTheOldest, cuts.removed, cuts.announced,
                cuts.written);
    const bool underLimit = printLimitedMemory(dataSize);
    std::printf("%s\n", reported ? "every block delivered was reported" : "FAILED: blocks went unreported or none came");
    std::printf("%s\n", kept ? "every line written is there or went in an announced cut of the oldest"
                               : cutExpected && cuts.cuts == 0 ? "FAILED: the terminal never reached its ceiling"
                                                               : "FAILED: lines went other than in announced cuts");
    return reported && kept && underLimit ? 0 : 1;
}
