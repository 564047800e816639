// What a polling tick on a saturated bus costs as the terminal grows the way a
// user's does, tick by tick and never cut; what a terminal line costs in
// memory; and how fast the simulated board alone delivers blocks, so that the
// tool's own cost can be told apart. The terminal as it was written before is
// measured in the same run, beside today's.
// Run under libumockdev-preload on the offscreen platform: scripts/bench.sh.
#include "previous_terminal.h"
#include "resident_memory.h"
#include "simulated_board.h"
#include "tick_scenario.h"
#include "velkor_library.h"
#include "window_probe.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <malloc.h>
#include <sys/wait.h>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

const unsigned tickBlocks = 40000;
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

struct Checkpoint {
    int lines;
    double callMs;
    LoopTimes loop;
    double bytesPerLine;
};

// One shown window on channel 0 whose terminal only grows, by real ticks.
class GrowingTerminal
{
public:
    GrowingTerminal(velkor_sim::Board &board, bool previous) : board_(board)
    {
        probe_.window.show();
        if (previous)
            usePreviousTerminal(probe_.window, probe_.terminal());
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

    std::vector<Checkpoint> grow()
    {
        std::vector<Checkpoint> results;
        for (int lines : checkpoints)
            results.push_back(tickAt(lines, tickBlocks));
        return results;
    }

    // One tick of the given size once the terminal holds the given lines. The
    // memory is counted after it, so that giving freed pages back does not
    // make the timed tick fault them in again.
    Checkpoint tickAt(int lines, unsigned blocks)
    {
        growTo(lines);
        const int count = probe_.terminal()->count();
        const double callMs = tick(blocks);
        const LoopTimes loop = runUntilIdle();
        const double bytesPerLine = (trimmedResidentBytes() - baselineBytes_) / probe_.terminal()->count();
        return {count, callMs, loop, bytesPerLine};
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

std::vector<Checkpoint> growTerminal(bool previous, int argc, char **argv)
{
    velkor_sim::SimulatedBoard simulated;
    QApplication application(argc, argv);
    return GrowingTerminal(simulated.board(), previous).grow();
}

// Each implementation grows its terminal in a process of its own, so that
// neither meets the heap that the other left behind.
std::vector<Checkpoint> growTerminalInChild(bool previous, int argc, char **argv)
{
    std::vector<Checkpoint> results(checkpoints.size());
    const std::size_t bytes = results.size() * sizeof(Checkpoint);
    int channel[2];
    if (pipe(channel) != 0)
        std::exit(1);
    const pid_t child = fork();
    if (child == 0) {
        ::close(channel[0]);
        results = growTerminal(previous, argc, argv);
        _exit(::write(channel[1], results.data(), bytes) == ssize_t(bytes) ? 0 : 1);
    }
    ::close(channel[1]);
    std::size_t received = 0;
    for (ssize_t n = 1; n > 0 && received < bytes; received += std::size_t(std::max<ssize_t>(n, 0)))
        n = ::read(channel[0], reinterpret_cast<char *>(results.data()) + received, bytes - received);
    ::close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (received != bytes || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "the %s terminal's run failed\n", previous ? "previous" : "current");
        std::exit(1);
    }
    return results;
}

void printGrowingTerminal(const std::vector<Checkpoint> &previous, const std::vector<Checkpoint> &now)
{
    std::printf("%u-block tick of the saturated mix on a terminal grown by such ticks, never cut\n", tickBlocks);
    std::printf("call: the slot; loop: the event loop until idle; longest: its longest pass;\n"
                "bytes/line: resident memory of the terminal per line after the tick, after malloc_trim\n\n");
    std::printf("%-16s | %-40s | %-40s\n", "", "previous (QString items)", "now (compact items)");
    const char *columns = "   call    loop   total longest bytes/line";
    std::printf("%-16s | %s | %s\n", "terminal lines", columns, columns);
    for (std::size_t i = 0; i < now.size(); ++i) {
        std::printf("%16d", now[i].lines);
        for (const Checkpoint &c : {previous[i], now[i]})
            std::printf(" | %7.1f %7.1f %7.1f %7.1f %10.0f", c.callMs, c.loop.totalMs, c.callMs + c.loop.totalMs,
                        c.loop.longestPassMs, c.bytesPerLine);
        std::printf("\n");
    }
}

void measureDeliveryRate(velkor_sim::Board &board)
{
    const int fd = ::open("/dev/mil1553dev-0-ch-1", O_RDWR);
    const unsigned blocks = 40000;
    std::vector<double> seconds;
    for (int run = 0; run < 7; ++run) {
        for (unsigned n = 0; n < blocks; ++n)
            board.queueDmaBlock(1, velkor_sim::DmaBlock{});
        unsigned int count = 0;
        QElapsedTimer timer;
        timer.start();
        DMA_READ_BLOCK *container = velkor_readAllDmaBlocksReadyRead(fd, &count);
        seconds.push_back(timer.nsecsElapsed() / 1e9);
        velkor_freeDmaReadBlock(container);
    }
    ::close(fd);
    std::sort(seconds.begin(), seconds.end());
    const double s = seconds[seconds.size() / 2];
    std::printf("\nboard delivery through ioctl, median of 7: %u blocks in %.1f ms = %.0f blocks/s (%.0f MB/s)\n",
                blocks, s * 1e3, blocks / s, blocks * 128 / s / 1e6);
}

} // namespace

int main(int argc, char **argv)
{
    // "--tick N [LINES [TRACE]]" times one N-block tick on a terminal grown to LINES lines, for a
    // profiler, with the board's commands traced to the file TRACE as velkor-sim --trace does.
    if (argc >= 3 && QByteArray(argv[1]) == "--tick") {
        velkor_sim::SimulatedBoard simulated;
        std::FILE *trace = argc > 4 ? std::fopen(argv[4], "w") : nullptr;
        if (trace)
            simulated.traceTo(trace);
        QApplication application(argc, argv);
        const Checkpoint c = GrowingTerminal(simulated.board(), false)
                                 .tickAt(argc > 3 ? QByteArray(argv[3]).toInt() : 0, QByteArray(argv[2]).toUInt());
        std::printf("%s-block tick on %d lines: call %.1f ms, loop %.1f ms, longest pass %.1f ms\n", argv[2], c.lines,
                    c.callMs, c.loop.totalMs, c.loop.longestPassMs);
        return 0;
    }
    const std::vector<Checkpoint> previous = growTerminalInChild(true, argc, argv);
    const std::vector<Checkpoint> now = growTerminalInChild(false, argc, argv);
    printGrowingTerminal(previous, now);
    velkor_sim::SimulatedBoard simulated;
    measureDeliveryRate(simulated.board());
    return 0;
}
