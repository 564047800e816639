#include "comparison_table.h"

#include "figure_text.h"
#include "tick_scenario.h"

#include <cstdio>
#include <functional>

namespace {

// Below this a terminal's own memory drowns in the megabytes by which the
// heaps of the board's thread and of Qt move between runs.
constexpr int memoryShownFrom = 1000000;

using Cell = std::function<std::string(const CheckpointFigures &)>;

void printCells(const char *label, const std::string &previous, const std::string &now)
{
    std::printf("  %-40s %-36s %s\n", label, previous.c_str(), now.c_str());
}

// A checkpoint that one implementation did not reach is "not run" in its column.
void printRow(const char *label, int size, const MeasuredImplementation &previous, const MeasuredImplementation &now,
              const Cell &cell)
{
    const auto text = [&](const MeasuredImplementation &m) {
        const CheckpointFigures *c = m.growth.at(size);
        return c ? cell(*c) : std::string("not run");
    };
    printCells(label, text(previous), text(now));
}

std::string tickLines(const CheckpointFigures &c)
{
    return withThousands(c.ticks.front().lines) + " to " + withThousands(c.ticks.back().lines)
           + (c.atCeiling() ? " (ceiling)" : "");
}

std::string slowPasses(const CheckpointFigures &c)
{
    int inTicks = 0;
    for (const TickFigures &t : c.ticks)
        inTicks += t.slowPasses;
    return std::to_string(inTicks) + "; " + std::to_string(c.growth.slowPasses) + " in "
           + std::to_string(c.growth.ticks) + " growth ticks";
}

void printCheckpoint(int size, const MeasuredImplementation &previous, const MeasuredImplementation &now)
{
    if (size == 0)
        std::printf("the empty terminal: Clear, then a tick, three times\n");
    else
        std::printf("%s lines: three consecutive ticks\n", withThousands(size).c_str());
    if (!previous.growth.at(size) && !now.growth.at(size)) {
        std::printf("  not run by either\n");
        return;
    }
    printRow("ticks on (lines)", size, previous, now, tickLines);
    const struct {
        const char *label;
        TickFigure figure;
    } tickRows[] = {
        {"own share: call less delivery", [](const TickFigures &t) { return t.ownMs(); }},
        {"the board's delivery in the call", [](const TickFigures &t) { return t.deliveryMs; }},
        {"event loop until idle", [](const TickFigures &t) { return t.loopMs; }},
        {"whole tick less delivery", [](const TickFigures &t) { return t.wholeLessDeliveryMs(); }},
        {"longest pass of the loop", [](const TickFigures &t) { return t.longestPassMs; }},
    };
    for (const auto &row : tickRows)
        printRow(row.label, size, previous, now,
                 [&](const CheckpointFigures &c) { return spreadText(tickSpread(c, row.figure), "ms"); });
    printRow("loop passes over 16 ms: ticks; growth", size, previous, now, slowPasses);
    if (size >= memoryShownFrom)
        printRow("resident memory per line", size, previous, now, [](const CheckpointFigures &c) {
            return formatted("%.1f B at ", c.bytesPerLine) + withThousands(c.memoryLines) + " lines";
        });
    if (size == 0)
        return;
    printRow("growth to here: ticks, time", size, previous, now, [](const CheckpointFigures &c) {
        return std::to_string(c.growth.ticks) + " in " + formatted("%.1f s", c.growth.seconds);
    });
    printRow("growth's longest pass of the loop", size, previous, now,
             [](const CheckpointFigures &c) { return formatted("%.1f ms", c.growth.longestPassMs); });
}

void printCeiling(const MeasuredImplementation &m)
{
    if (m.growth.ceilingLines == 0)
        return;
    const std::string ceiling = m.growth.ceilingMiB < 0 ? std::string("without a notice")
                                                        : "at its " + std::to_string(m.growth.ceilingMiB) + " MiB";
    std::printf("%s: the terminal reached its memory ceiling at %s lines and cut its oldest lines (%s); "
                "it grows no further, and no larger size was run\n",
                m.name, withThousands(m.growth.ceilingLines).c_str(), ceiling.c_str());
}

std::string clicks(const GrowReport &report)
{
    for (double ms : report.clickMs) {
        if (ms < 0)
            return "a click not shown within 5 s";
    }
    return report.clickMs.empty() ? "not run" : spreadText(spread(report.clickMs), "ms");
}

void printLargest(const MeasuredImplementation &previous, const MeasuredImplementation &now)
{
    std::printf("the largest terminal, scrolled to its middle: a click on three rows in turn\n");
    printCells("terminal lines", withThousands(previous.growth.clickLines), withThousands(now.growth.clickLines));
    printCells("click to the repaint of the row", clicks(previous.growth), clicks(now.growth));
    printCells("peak resident memory of the process", formatted("%.0f MB", previous.growth.peakBytes / 1e6),
               formatted("%.0f MB", now.growth.peakBytes / 1e6));
}

} // namespace

void printComparison(const std::vector<int> &sizes, const MeasuredImplementation &previous,
                     const MeasuredImplementation &now)
{
    std::printf("%u-block ticks of the saturated mix (%s lines each) on a terminal grown by such ticks,\n"
                "one growing process per implementation, the two in turn. Each tick figure: median of three\n"
                "consecutive ticks (lowest-highest). Memory per line: resident memory after the three ticks and\n"
                "malloc_trim, less the window's before its first line. A loop pass over 16 ms is a frame the\n"
                "window does not answer in.\n",
                tickBlocks, withThousands(linesOfTick(tickBlocks)).c_str());
    std::printf("\n  %-40s %-36s %s\n", "", previous.name, now.name);
    printCheckpoint(0, previous, now);
    for (int size : sizes)
        printCheckpoint(size, previous, now);
    printCeiling(previous);
    printCeiling(now);
    printLargest(previous, now);
    std::printf("the simulated board through velkor-sim, three runs\n");
    printCells("delivery of 40,000 blocks", spreadText(spread(previous.deliveryMs), "ms"),
               spreadText(spread(now.deliveryMs), "ms"));
}
