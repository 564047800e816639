#include "comparison_targets.h"

#include "figure_text.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int baseSize = 100000;
constexpr double tickGrowthAllowed = 1.25;
constexpr double wholeTickMs = 60;
constexpr double clickMs = 16;
constexpr int clickSize = 20000000;
constexpr double bytesPerLine = 160;
constexpr int memoryFrom = 1000000;

void printTarget(const std::string &what, const std::string &figure, const std::string &limit, bool met)
{
    std::printf("  %-56s %-10s (%s) %s\n", what.c_str(), figure.c_str(), limit.c_str(), met ? "met" : "NOT MET");
}

void printNotRun(const std::string &what, const std::string &why)
{
    std::printf("  %-56s not run: %s\n", what.c_str(), why.c_str());
}

std::string atSize(const char *what, int size, const GrowReport &report)
{
    const CheckpointFigures *c = report.at(size);
    const std::string ceiling = c && c->atCeiling()
                                    ? " (at the ceiling, on " + withThousands(c->ticks.front().lines) + ")"
                                    : "";
    return std::string(what) + " at " + withThousands(size) + " lines" + ceiling;
}

// Why a size has no figures: left out of the run, or beyond the ceiling.
std::string whyNotRun(int size, const std::vector<int> &sizes, const GrowReport &report)
{
    if (std::find(sizes.begin(), sizes.end(), size) == sizes.end())
        return "not among this run's sizes";
    return "the memory ceiling stopped the terminal at " + withThousands(report.ceilingLines) + " lines";
}

double wholeTickMedian(const CheckpointFigures &c)
{
    return tickSpread(c, [](const TickFigures &t) { return t.wholeLessDeliveryMs(); }).median;
}

void printTickTarget(int size, const std::vector<int> &sizes, const GrowReport &report)
{
    const std::string what = atSize("whole tick less delivery", size, report);
    const CheckpointFigures *c = report.at(size);
    const CheckpointFigures *base = report.at(baseSize);
    if (!c)
        return printNotRun(what, whyNotRun(size, sizes, report));
    if (!base)
        return printNotRun(what, "no tick ran at " + withThousands(baseSize) + " lines to compare with");
    const double figure = wholeTickMedian(*c);
    const double grown = tickGrowthAllowed * wholeTickMedian(*base);
    printTarget(what, formatted("%.1f ms", figure),
                formatted("at most %.0f ms and ", wholeTickMs) + formatted("%.2f x ", tickGrowthAllowed)
                    + formatted("%.1f", wholeTickMedian(*base)) + formatted(" = %.1f ms", grown),
                figure <= std::min(wholeTickMs, grown));
}

void printSlowPassTarget(const GrowReport &report)
{
    int slow = 0;
    for (const CheckpointFigures &c : report.checkpoints) {
        slow += c.growth.slowPasses;
        for (const TickFigures &t : c.ticks)
            slow += t.slowPasses;
    }
    printTarget("event-loop passes over 16 ms, every tick of the run", std::to_string(slow), "none", slow == 0);
}

void printClickTarget(const std::vector<int> &sizes, const GrowReport &report)
{
    const std::string what = atSize("click to the repaint of the row", clickSize, report);
    // The clicks come after the last size the run reached.
    if (!report.at(clickSize) || report.checkpoints.back().size != clickSize) {
        const std::string why = report.at(clickSize) ? "a larger size came after it"
                                                     : whyNotRun(clickSize, sizes, report);
        return printNotRun(what, why + "; clicked at " + withThousands(report.clickLines) + " lines instead");
    }
    if (std::count(report.clickMs.begin(), report.clickMs.end(), -1.0) > 0)
        return printTarget(what, "not shown", "within 5 s", false);
    const double median = spread(report.clickMs).median;
    printTarget(what, formatted("%.1f ms", median), formatted("at most %.0f ms", clickMs), median <= clickMs);
}

void printMemoryTarget(int size, const std::vector<int> &sizes, const GrowReport &report)
{
    const std::string what = atSize("resident memory per line", size, report);
    const CheckpointFigures *c = report.at(size);
    if (!c)
        return printNotRun(what, whyNotRun(size, sizes, report));
    printTarget(what, formatted("%.1f B", c->bytesPerLine), formatted("at most %.0f B", bytesPerLine),
                c->bytesPerLine <= bytesPerLine);
}

} // namespace

void printTargets(const std::vector<int> &sizes, const MeasuredImplementation &now)
{
    std::printf("\nTargets, today's medians:\n");
    for (int size : {10000000, 20000000})
        printTickTarget(size, sizes, now.growth);
    printSlowPassTarget(now.growth);
    printClickTarget(sizes, now.growth);
    for (int size : sizes) {
        if (size >= memoryFrom)
            printMemoryTarget(size, sizes, now.growth);
    }
}
