#include "grow_report.h"

#include <cstdio>

namespace {

// Each line is flushed at once: the comparison shows the run's progress.
template<typename... Figures>
void printLine(const char *format, Figures... figures)
{
    std::printf(format, figures...);
    std::fflush(stdout);
}

CheckpointFigures &checkpointOf(GrowReport &report, int size)
{
    if (report.checkpoints.empty() || report.checkpoints.back().size != size) {
        report.checkpoints.emplace_back();
        report.checkpoints.back().size = size;
    }
    return report.checkpoints.back();
}

} // namespace

bool CheckpointFigures::atCeiling() const
{
    int cuts = growth.cuts;
    for (const TickFigures &t : ticks)
        cuts += t.cuts;
    return cuts > 0;
}

const CheckpointFigures *GrowReport::at(int size) const
{
    for (const CheckpointFigures &c : checkpoints) {
        if (c.size == size && !c.ticks.empty())
            return &c;
    }
    return nullptr;
}

void printGrowth(int size, const GrowthFigures &g)
{
    printLine("growth %d %d %.3f %d %.3f %d\n", size, g.ticks, g.seconds, g.slowPasses, g.longestPassMs, g.cuts);
}

void printTick(int size, const TickFigures &t)
{
    printLine("tick %d %d %.3f %.3f %.3f %.3f %d %d\n", size, t.lines, t.callMs, t.deliveryMs, t.loopMs,
              t.longestPassMs, t.slowPasses, t.cuts);
}

void printMemory(int size, int lines, double bytesPerLine)
{
    printLine("memory %d %d %.1f\n", size, lines, bytesPerLine);
}

void printCeiling(int highestLines, int mib)
{
    printLine("ceiling %d %d\n", highestLines, mib);
}

void printClick(int lines, double ms)
{
    printLine("click %d %.3f\n", lines, ms);
}

void printPeak(double bytes)
{
    printLine("peak %.0f\n", bytes);
}

void readReportLine(const char *line, GrowReport &report)
{
    int size = 0, lines = 0;
    GrowthFigures g;
    TickFigures t;
    double value = 0;
    if (std::sscanf(line, "growth %d %d %lf %d %lf %d", &size, &g.ticks, &g.seconds, &g.slowPasses,
                    &g.longestPassMs, &g.cuts)
        == 6) {
        checkpointOf(report, size).growth = g;
        return;
    }
    if (std::sscanf(line, "tick %d %d %lf %lf %lf %lf %d %d", &size, &t.lines, &t.callMs, &t.deliveryMs, &t.loopMs,
                    &t.longestPassMs, &t.slowPasses, &t.cuts)
        == 8) {
        checkpointOf(report, size).ticks.push_back(t);
        return;
    }
    if (std::sscanf(line, "memory %d %d %lf", &size, &lines, &value) == 3) {
        CheckpointFigures &c = checkpointOf(report, size);
        c.memoryLines = lines;
        c.bytesPerLine = value;
        return;
    }
    if (std::sscanf(line, "click %d %lf", &lines, &value) == 2) {
        report.clickLines = lines;
        report.clickMs.push_back(value);
        return;
    }
    if (std::sscanf(line, "peak %lf", &value) == 1)
        report.peakBytes = value;
    else
        std::sscanf(line, "ceiling %d %d", &report.ceilingLines, &report.ceilingMiB);
}
