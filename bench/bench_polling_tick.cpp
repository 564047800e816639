// How long one polling tick takes on a saturated bus, how the terminal's size
// affects it, what a terminal line costs in memory, and how fast the simulated
// board alone delivers blocks (so the tool's own cost can be told apart).
// Run under libumockdev-preload on the offscreen platform: scripts/bench.sh.
#include "resident_memory.h"
#include "simulated_board.h"
#include "tick_scenario.h"
#include "velkor_library.h"
#include "window_probe.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

const int repetitions = 5;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The layout of new rows happens when the event loop next runs; a user sees
// the lines only after it, so it belongs to the tick's cost.
struct TickTimes {
    double tickMs;
    double withLayoutMs;
};

TickTimes timeOneTick(WindowProbe &probe, velkor_sim::Board &board, unsigned blocks)
{
    queueSaturatedBus(board, blocks);
    QElapsedTimer timer;
    timer.start();
    probe.invoke("slot_timerDMA");
    const double tickMs = timer.nsecsElapsed() / 1e6;
    QApplication::processEvents();
    return {tickMs, timer.nsecsElapsed() / 1e6};
}

TickTimes medianTick(WindowProbe &probe, velkor_sim::Board &board, unsigned blocks, int terminalLines)
{
    std::vector<double> ticks, withLayout;
    for (int run = 0; run < repetitions; ++run) {
        while (probe.terminal()->count() > terminalLines)
            delete probe.terminal()->takeItem(probe.terminal()->count() - 1);
        QApplication::processEvents();
        const TickTimes times = timeOneTick(probe, board, blocks);
        ticks.push_back(times.tickMs);
        withLayout.push_back(times.withLayoutMs);
    }
    return {median(ticks), median(withLayout)};
}

void fillTerminal(WindowProbe &probe, int lines)
{
    const QString text = "Слова данных: 0x1111, 0x2222, 0x3333, 0x4444, 0x5555, 0x6666;";
    while (probe.terminal()->count() < lines)
        emit probe.window.signal_writeInTerminal(text);
    QApplication::processEvents();
}

void printTick(const char *what, const TickTimes &times)
{
    std::printf("%-52s %12.1f %12.1f\n", what, times.tickMs, times.withLayoutMs);
}

void measureMemoryPerLine(WindowProbe &probe)
{
    probe.clearTerminal();
    QApplication::processEvents();
    const int lines = 200000;
    const QString text = "Транзакция - тип = 1 - нет ошибок - freeTimer: 123456 - CntServWords: 2 - "
                         "CntDataWords: 32 - Шина: Шина А";
    const int64_t before = residentBytes();
    for (int i = 0; i < lines; ++i)
        emit probe.window.signal_writeInTerminal(text);
    QApplication::processEvents();
    const double perLine = double(residentBytes() - before) / lines;
    const int textBytes = 2 * probe.terminal()->item(0)->text().size();
    std::printf("memory per terminal line: %.0f bytes (its UTF-16 text: %d bytes)\n", perLine, textBytes);
    probe.clearTerminal();
}

void measureDeliveryRate(velkor_sim::Board &board)
{
    const int fd = ::open("/dev/mil1553dev-0-ch-1", O_RDWR);
    const unsigned blocks = 40000;
    std::vector<double> seconds;
    for (int run = 0; run < repetitions; ++run) {
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
    const double s = median(seconds);
    std::printf("board delivery through ioctl: %u blocks in %.1f ms = %.0f blocks/s (%.0f MB/s)\n", blocks, s * 1e3,
                blocks / s, blocks * 128 / s / 1e6);
}

} // namespace

int main(int argc, char **argv)
{
    velkor_sim::SimulatedBoard simulated;
    velkor_sim::Board &board = simulated.board();
    QApplication application(argc, argv);
    WindowProbe probe;
    probe.window.show();
    probe.selectChannel(0);
    probe.click("pushButton_startDriverTest");

    // "--tick N [LINES]" times only the N-block tick on a terminal of LINES lines, for a profiler.
    if (argc >= 3 && QByteArray(argv[1]) == "--tick") {
        const int lines = argc > 3 ? QByteArray(argv[3]).toInt() : 0;
        fillTerminal(probe, lines);
        printTick("tick", medianTick(probe, board, QByteArray(argv[2]).toUInt(), lines));
        return 0;
    }
    measureMemoryPerLine(probe);

    std::printf("\n%-52s %12s %12s\n", "polling tick, median of 5", "tick ms", "+layout ms");
    for (unsigned blocks : {1000u, 10000u, 40000u}) {
        probe.clearTerminal();
        const QByteArray what = QByteArray::number(blocks) + " DMA blocks, empty terminal";
        printTick(what.constData(), medianTick(probe, board, blocks, 0));
    }
    for (int lines : {0, 100000, 1000000}) {
        probe.clearTerminal();
        fillTerminal(probe, lines);
        const QByteArray what = "40000 DMA blocks, terminal holding " + QByteArray::number(lines) + " lines";
        printTick(what.constData(), medianTick(probe, board, 40000, lines));
    }
    measureDeliveryRate(board);
    return 0;
}
