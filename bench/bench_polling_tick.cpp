// What a polling tick on a saturated bus costs as the terminal grows the way a
// user's does, tick by tick, up to tens of millions of lines; what a terminal
// line costs in memory; how long a click on a row takes to show; and how
// fast the simulated board delivers blocks through velkor-sim, so that the
// tool's own cost is told apart from the board's.
//   bench_polling_tick --compare PREVIOUS_BUILD --grow SIZES   both implementations, in turn
//   bench_polling_tick --grow SIZES       one terminal grown here (under libumockdev-preload),
//                                         SIZES as 100000,1000000,10000000,20000000
//   velkor-sim --load max -- bench_polling_tick --delivery
//   bench_polling_tick --tick N [LINES [TRACE]]   one N-block tick on LINES lines, for a profiler
// bench/bench.sh builds the previous implementation and runs the comparison.
#include "board_delivery.h"
#include "grow_run.h"
#include "grow_sizes.h"
#include "growing_terminal.h"
#include "paint_timed_application.h"
#include "run_comparison.h"
#include "simulated_board.h"
#include "process/freed_memory.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: see the head of bench/bench_polling_tick.cpp\n");
    return 2;
}

void printOneTick(GrowingTerminal &terminal, unsigned blocks, int lines)
{
    terminal.growTo(lines);
    const TickFigures t = terminal.timedTick(blocks);
    std::printf("%u-block tick on %d lines: call %.1f ms (the board's delivery %.1f ms), loop %.1f ms, "
                "longest pass %.1f ms\n",
                blocks, t.lines, t.callMs, t.deliveryMs, t.loopMs, t.longestPassMs);
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const std::string mode = arguments.empty() ? "" : arguments[0];
    if (mode == "--compare" && arguments.size() == 4 && arguments[2] == "--grow") {
        const std::vector<int> sizes = sizesFromText(arguments[3]);
        return sizes.empty() ? usage() : runComparison(argv[0], arguments[1], sizes);
    }
    if (mode == "--delivery")
        return measureDelivery();
    const std::vector<int> sizes = mode == "--grow" && arguments.size() == 2 ? sizesFromText(arguments[1])
                                                                              : std::vector<int>();
    if (sizes.empty() && !(mode == "--tick" && arguments.size() >= 2))
        return usage();
    keepFreedMemoryForReuse();
    velkor_sim::SimulatedBoard simulated;
    std::FILE *trace = mode == "--tick" && arguments.size() > 3 ? std::fopen(arguments[3].c_str(), "w") : nullptr;
    if (trace)
        simulated.traceTo(trace);
    PaintTimedApplication application(argc, argv);
    GrowingTerminal terminal(simulated.board());
    if (mode == "--grow")
        runGrowth(terminal, sizes, application);
    else
        printOneTick(terminal, unsigned(std::stoul(arguments[1])), arguments.size() > 2 ? std::stoi(arguments[2]) : 0);
    return 0;
}
