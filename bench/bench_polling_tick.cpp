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
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

const int repetitions = 7;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Enough event-loop passes for the view to place every row in its batches.
void settle()
{
    for (int pass = 0; pass < 100; ++pass)
        QApplication::processEvents();
}

// The view places the new rows when the event loop next runs, in batches; the
// window is frozen for the tick and then for each batch. Reported: the tick,
// the tick with the longest batch after it, and the tick with all batches.
struct TickTimes {
    std::vector<double> tickMs, freezeMs, withLayoutMs;

    void print(const char *what) const
    {
        std::printf("%-50s %10.1f %12.1f %12.1f\n", what, median(tickMs), median(freezeMs), median(withLayoutMs));
    }
};

// One window on channel 0 whose terminal holds `lines` lines before each tick.
class TimedWindow
{
public:
    explicit TimedWindow(int lines) : lines_(lines)
    {
        probe_.window.show();
        probe_.selectChannel(0);
        probe_.click("pushButton_startDriverTest");
        probe_.clearTerminal();
        fill(probe_, lines);
    }

    void tick(velkor_sim::Board &board, unsigned blocks)
    {
        queueSaturatedBus(board, blocks);
        QElapsedTimer timer;
        timer.start();
        probe_.invoke("slot_timerDMA");
        const double tickMs = timer.nsecsElapsed() / 1e6;
        double longestPassMs = 0;
        for (int pass = 0; pass < 100; ++pass) {
            QElapsedTimer passTimer;
            passTimer.start();
            QApplication::processEvents();
            longestPassMs = std::max(longestPassMs, passTimer.nsecsElapsed() / 1e6);
        }
        times.tickMs.push_back(tickMs);
        times.freezeMs.push_back(tickMs + longestPassMs);
        times.withLayoutMs.push_back(timer.nsecsElapsed() / 1e6);
        trim();
    }

    static void fill(WindowProbe &probe, int lines)
    {
        const QString text = "Слова данных: 0x1111, 0x2222, 0x3333, 0x4444, 0x5555, 0x6666;";
        QListWidget *terminal = probe.terminal();
        while (terminal->count() < lines)
            emit probe.window.signal_writeInTerminal(text);
        settle();
    }

    TickTimes times;

private:
    // Back to the same terminal size, so that every repetition meets the same view.
    void trim()
    {
        QListWidget *terminal = probe_.terminal();
        while (terminal->count() > lines_)
            delete terminal->takeItem(terminal->count() - 1);
        settle();
    }

    WindowProbe probe_;
    int lines_;
};

void measureMemoryPerLine()
{
    WindowProbe probe;
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

// Windows are ticked in turn, repetition by repetition, so that a slow phase
// of the machine falls on all of them alike.
void measureTicks(velkor_sim::Board &board, const std::vector<unsigned> &blocks, const std::vector<int> &lines)
{
    std::vector<std::unique_ptr<TimedWindow>> windows;
    for (int terminalLines : lines)
        windows.push_back(std::make_unique<TimedWindow>(terminalLines));
    for (int run = 0; run < repetitions; ++run) {
        for (std::size_t i = 0; i < windows.size(); ++i)
            windows[i]->tick(board, blocks[i]);
    }
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const QByteArray what = QByteArray::number(blocks[i]) + " DMA blocks, terminal of " +
            QByteArray::number(lines[i]) + " lines";
        windows[i]->times.print(what.constData());
    }
}

} // namespace

int main(int argc, char **argv)
{
    velkor_sim::SimulatedBoard simulated;
    velkor_sim::Board &board = simulated.board();
    QApplication application(argc, argv);

    // "--tick N [LINES [TRACE]]" times only the N-block tick on a terminal of LINES lines, for a
    // profiler, with the board's commands traced to the file TRACE as velkor-sim --trace does.
    if (argc >= 3 && QByteArray(argv[1]) == "--tick") {
        std::FILE *trace = argc > 4 ? std::fopen(argv[4], "w") : nullptr;
        if (trace)
            simulated.traceTo(trace);
        measureTicks(board, {QByteArray(argv[2]).toUInt()}, {argc > 3 ? QByteArray(argv[3]).toInt() : 0});
        return 0;
    }
    measureMemoryPerLine();
    std::printf("\n%-50s %10s %12s %12s\n", "polling tick, median of 7", "tick ms", "freeze ms", "+layout ms");
    measureTicks(board, {1000, 10000, 40000}, {0, 0, 0});
    measureTicks(board, {40000, 40000, 40000}, {0, 100000, 1000000});
    measureDeliveryRate(board);
    return 0;
}
