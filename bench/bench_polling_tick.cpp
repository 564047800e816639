// What a polling tick on a saturated bus costs as the terminal grows the way a
// user's does, tick by tick; what a terminal line costs in memory; and how
// fast the simulated board delivers blocks through velkor-sim, so that the
// tool's own cost is told apart from the board's.
//   bench_polling_tick --compare PREVIOUS_BUILD   both implementations, in turn, medians of three runs
//   bench_polling_tick --grow                     one terminal grown here (under libumockdev-preload)
//   velkor-sim --load max -- bench_polling_tick --delivery
//   bench_polling_tick --tick N [LINES [TRACE]]   one N-block tick on LINES lines, for a profiler
// scripts/bench.sh builds the previous implementation and runs the comparison.
#include "board_delivery.h"
#include "resident_memory.h"
#include "run_comparison.h"
#include "simulated_board.h"
#include "tick_scenario.h"
#include "velkor_library.h"
#include "window_probe.h"

// The tool's main keeps freed memory for reuse; the previous implementation did not.
#if __has_include("terminal/freed_memory.h")
#include "terminal/freed_memory.h"
#else
void keepFreedMemoryForReuse() {}
#endif

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <vector>

// The board's share of a tick is its delivery of the DMA blocks, which the
// library's read waits for; the benchmark is linked with --wrap to time it.
namespace {
double deliveryMs = 0;
}

extern "C" DMA_READ_BLOCK *__real_velkor_readAllDmaBlocksReadyRead(int fd, unsigned int *cntBlocks);

extern "C" DMA_READ_BLOCK *__wrap_velkor_readAllDmaBlocksReadyRead(int fd, unsigned int *cntBlocks)
{
    QElapsedTimer read;
    read.start();
    DMA_READ_BLOCK *container = __real_velkor_readAllDmaBlocksReadyRead(fd, cntBlocks);
    deliveryMs += read.nsecsElapsed() / 1e6;
    return container;
}

namespace {

const std::vector<int> checkpoints = {0, 100000, 1000000};

// The interrupt count and its four entries, "timerDMA", a summary per block
// and a data-word line for every other block.
int linesOfTick(unsigned blocks)
{
    return 6 + int(blocks + blocks / 2);
}

struct LoopTimes {
    double totalMs = 0;
    double longestPassMs = 0;
};

// After a tick the view places the new rows and repaints in event-loop passes;
// the window answers only between passes. Runs passes until three in a row
// find nothing to do.
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
        idlePasses = busy ? 0 : idlePasses + 1;
    }
    return times;
}

// Freed memory goes back to the system first, so that only what the lines
// still hold is counted.
double trimmedResidentBytes()
{
    malloc_trim(0);
    return double(residentBytes());
}

// One shown window on channel 0 whose terminal only grows, by real ticks.
class GrowingTerminal
{
public:
    explicit GrowingTerminal(velkor_sim::Board &board) : board_(board)
    {
        probe_.window.show();
        probe_.selectChannel(0);
        probe_.click("pushButton_startDriverTest");
        // Fonts, caches and the buffers of a full tick are not the lines' cost.
        // The empty terminal is then one that Clear emptied: its tick finds
        // the memory that the cleared lines left, as a user's after Clear does.
        for (int pass = 0; pass < 2; ++pass) {
            tick(tickBlocks);
            probe_.clearTerminal();
            runUntilIdle();
            if (pass == 0)
                baselineBytes_ = trimmedResidentBytes();
        }
    }

    // One tick of the given size once the terminal holds the given lines. The
    // memory is counted after it, so that giving freed pages back does not
    // make the timed tick fault them in again.
    Checkpoint tickAt(int lines, unsigned blocks)
    {
        growTo(lines);
        Checkpoint c;
        c.lines = probe_.terminal()->count();
        deliveryMs = 0;
        c.callMs = tick(blocks);
        c.deliveryMs = deliveryMs;
        const LoopTimes loop = runUntilIdle();
        c.loopMs = loop.totalMs;
        c.longestPassMs = loop.longestPassMs;
        c.bytesPerLine = (trimmedResidentBytes() - baselineBytes_) / probe_.terminal()->count();
        return c;
    }

private:
    double tick(unsigned blocks)
    {
        queueSaturatedBus(board_, blocks);
        QElapsedTimer call;
        call.start();
        probe_.invoke("slot_timerDMA");
        return call.nsecsElapsed() / 1e6;
    }

    // Full ticks while they fit, then one smaller tick to land on the size.
    void growTo(int lines)
    {
        while (probe_.terminal()->count() + linesOfTick(tickBlocks) <= lines) {
            tick(tickBlocks);
            runUntilIdle();
        }
        const int missing = lines - probe_.terminal()->count();
        if (missing > linesOfTick(0)) {
            tick(unsigned(2 * (missing - linesOfTick(0)) + 1) / 3);
            runUntilIdle();
        }
    }

    velkor_sim::Board &board_;
    WindowProbe probe_;
    double baselineBytes_ = 0;
};

} // namespace

int main(int argc, char **argv)
{
    const QByteArray mode = argc > 1 ? argv[1] : "";
    if (mode == "--compare" && argc == 3)
        return runComparison(argv[0], argv[2]);
    if (mode == "--delivery")
        return measureDelivery();
    if (mode != "--grow" && !(mode == "--tick" && argc >= 3)) {
        std::fprintf(stderr, "usage: see the head of bench/bench_polling_tick.cpp\n");
        return 2;
    }
    keepFreedMemoryForReuse();
    velkor_sim::SimulatedBoard simulated;
    std::FILE *trace = mode == "--tick" && argc > 4 ? std::fopen(argv[4], "w") : nullptr;
    if (trace)
        simulated.traceTo(trace);
    QApplication application(argc, argv);
    GrowingTerminal terminal(simulated.board());
    if (mode == "--grow") {
        for (int lines : checkpoints)
            printCheckpoint(terminal.tickAt(lines, tickBlocks));
        return 0;
    }
    const Checkpoint c = terminal.tickAt(argc > 3 ? QByteArray(argv[3]).toInt() : 0, QByteArray(argv[2]).toUInt());
    std::printf("%s-block tick on %d lines: call %.1f ms (the board's delivery %.1f ms), loop %.1f ms, "
                "longest pass %.1f ms\n",
                argv[2], c.lines, c.callMs, c.deliveryMs, c.loopMs, c.longestPassMs);
    return 0;
}
