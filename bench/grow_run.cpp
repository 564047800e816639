#include "grow_run.h"

#include "click_repaint.h"
#include "growing_terminal.h"
#include "paint_timed_application.h"
#include "resident_memory.h"
#include "tick_scenario.h"

namespace {

constexpr int ticksAtCheckpoint = 3;

void tickAfterClear(GrowingTerminal &terminal)
{
    for (int tick = 0; tick < ticksAtCheckpoint; ++tick) {
        terminal.clear();
        printTick(0, terminal.timedTick(tickBlocks));
    }
}

void tickAt(GrowingTerminal &terminal, int size)
{
    printGrowth(size, terminal.growTo(size));
    for (int tick = 0; tick < ticksAtCheckpoint; ++tick)
        printTick(size, terminal.timedTick(tickBlocks));
    printMemory(size, terminal.lines(), terminal.bytesPerLine());
}

} // namespace

void runGrowth(GrowingTerminal &terminal, const std::vector<int> &sizes, PaintTimedApplication &application)
{
    tickAfterClear(terminal);
    for (int size : sizes) {
        tickAt(terminal, size);
        if (terminal.cuts() > 0) {
            printCeiling(terminal.highestLines(), terminal.ceilingMiB());
            break;
        }
    }
    const int lines = terminal.lines();
    for (double ms : clickToRepaintMs(terminal.view(), application))
        printClick(lines, ms);
    printPeak(double(peakResidentBytes()));
}
