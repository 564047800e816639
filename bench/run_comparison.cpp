#include "run_comparison.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

void printCheckpoint(const Checkpoint &c)
{
    std::printf("checkpoint %d %.3f %.3f %.3f %.3f %.1f\n", c.lines, c.callMs, c.deliveryMs, c.loopMs,
                c.longestPassMs, c.bytesPerLine);
    std::fflush(stdout);
}

namespace {

const int runs = 3;
const int checkpointCount = 3;

struct Implementation {
    const char *name;
    std::string build;
    std::vector<Checkpoint> checkpoints; // checkpointCount per run, run after run
    std::vector<double> deliveryMs;      // per 40,000 blocks, one per run
};

// Runs a command and hands each line of its output to the reader.
bool readOutput(const std::string &command, const std::function<void(const char *)> &read)
{
    std::FILE *output = popen(command.c_str(), "r");
    if (!output)
        return false;
    char line[256];
    while (std::fgets(line, sizeof line, output))
        read(line);
    return pclose(output) == 0;
}

bool grow(Implementation &implementation)
{
    const std::size_t before = implementation.checkpoints.size();
    const bool ran = readOutput("LD_PRELOAD=libumockdev-preload.so.0 '" + implementation.build
                                    + "/bench/bench_polling_tick' --grow 2>/dev/null",
                                [&](const char *line) {
                                    Checkpoint c;
                                    if (std::sscanf(line, "checkpoint %d %lf %lf %lf %lf %lf", &c.lines, &c.callMs,
                                                    &c.deliveryMs, &c.loopMs, &c.longestPassMs, &c.bytesPerLine)
                                        == 6)
                                        implementation.checkpoints.push_back(c);
                                });
    return ran && implementation.checkpoints.size() == before + checkpointCount;
}

bool deliver(Implementation &implementation)
{
    double ms = -1;
    const bool ran = readOutput("'" + implementation.build + "/sim/velkor-sim' --load max -- '" + implementation.build
                                    + "/bench/bench_polling_tick' --delivery 2>/dev/null",
                                [&](const char *line) {
                                    unsigned blocks = 0;
                                    if (std::sscanf(line, "delivery %u %lf", &blocks, &ms) == 2)
                                        ms *= 40000.0 / blocks;
                                });
    implementation.deliveryMs.push_back(ms);
    return ran && ms >= 0;
}

struct Spread {
    double median, lowest, highest;
};

Spread spread(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.front(), values.back()};
}

// One figure of a checkpoint across the runs.
Spread spread(const Implementation &implementation, int checkpoint, double (*figure)(const Checkpoint &))
{
    std::vector<double> values;
    for (int run = 0; run < runs; ++run)
        values.push_back(figure(implementation.checkpoints[std::size_t(run * checkpointCount + checkpoint)]));
    return spread(values);
}

void printRow(const char *label, Spread previous, Spread now, const char *unit)
{
    std::printf("  %-34s", label);
    for (const Spread &s : {previous, now}) {
        char text[64];
        std::snprintf(text, sizeof text, "%.1f (%.1f-%.1f) %s", s.median, s.lowest, s.highest, unit);
        std::printf(" %-28s", text);
    }
    std::printf("\n");
}

double loadAverage()
{
    double load = -1;
    if (std::FILE *file = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(file, "%lf", &load) != 1)
            load = -1;
        std::fclose(file);
    }
    return load;
}

void printTarget(const char *what, double figure, double limit, const char *unit)
{
    std::printf("  %-52s %7.1f %-3s (at most %.0f) %s\n", what, figure, unit, limit, figure <= limit ? "met" : "NOT MET");
}

void printFigures(const Implementation &previous, const Implementation &now)
{
    struct Row {
        const char *label;
        double (*figure)(const Checkpoint &);
        const char *unit;
    };
    const Row rows[] = {
        {"slot call", [](const Checkpoint &c) { return c.callMs; }, "ms"},
        {"the board's delivery in it", [](const Checkpoint &c) { return c.deliveryMs; }, "ms"},
        {"own share: call less delivery", [](const Checkpoint &c) { return c.callMs - c.deliveryMs; }, "ms"},
        {"event loop until idle", [](const Checkpoint &c) { return c.loopMs; }, "ms"},
        {"whole tick less delivery", [](const Checkpoint &c) { return c.callMs - c.deliveryMs + c.loopMs; }, "ms"},
        {"longest pass of the loop", [](const Checkpoint &c) { return c.longestPassMs; }, "ms"},
        {"resident memory per line", [](const Checkpoint &c) { return c.bytesPerLine; }, "B"},
    };
    std::printf("%u-block ticks of the saturated mix (60,006 lines each) on a terminal grown by such ticks.\n"
                "Each figure: median of %d runs (lowest-highest); the two implementations ran in turn.\n"
                "Memory per line: resident memory of the terminal after the tick and malloc_trim.\n",
                tickBlocks, runs);
    std::printf("\n  %-34s %-28s %-28s\n", "", previous.name, now.name);
    for (int checkpoint = 0; checkpoint < checkpointCount; ++checkpoint) {
        const int lines = now.checkpoints[std::size_t(checkpoint)].lines;
        std::printf("tick on %d lines%s\n", lines, lines == 0 ? " (after Clear)" : "");
        // Only a large terminal shows its own memory: the heaps of the board's
        // thread and of Qt move by megabytes between runs.
        const std::size_t shown = checkpoint == checkpointCount - 1 ? std::size(rows) : std::size(rows) - 1;
        for (std::size_t row = 0; row < shown; ++row)
            printRow(rows[row].label, spread(previous, checkpoint, rows[row].figure),
                     spread(now, checkpoint, rows[row].figure), rows[row].unit);
    }
    std::printf("the simulated board through velkor-sim\n");
    printRow("delivery of 40,000 blocks", spread(previous.deliveryMs), spread(now.deliveryMs), "ms");

    std::printf("\nTargets, today's medians:\n");
    const auto median = [&](int checkpoint, double (*figure)(const Checkpoint &)) {
        return spread(now, checkpoint, figure).median;
    };
    printTarget("own share of a tick on the empty terminal", median(0, rows[2].figure), 30, "ms");
    printTarget("whole tick less delivery at 1,000,000 lines", median(2, rows[4].figure), 120, "ms");
    printTarget("memory per line at 1,000,000 lines", median(2, rows[6].figure), 285, "B");
    printTarget("delivery of 40,000 blocks through velkor-sim", spread(now.deliveryMs).median, 10, "ms");
}

// The build folder that holds this program: BUILD/bench/bench_polling_tick.
std::string buildOf(const char *self)
{
    char *path = realpath(self, nullptr);
    std::string build = path ? path : self;
    std::free(path);
    for (int level = 0; level < 2; ++level)
        build.erase(build.rfind('/'));
    return build;
}

} // namespace

int runComparison(const char *self, const char *previousBuild)
{
    Implementation previous{"previous", previousBuild, {}, {}};
    Implementation now{"now", buildOf(self), {}, {}};
    const double loadBefore = loadAverage();
    for (int run = 0; run < runs; ++run) {
        for (Implementation *implementation : {&previous, &now}) {
            std::fprintf(stderr, "run %d of %d, %s\n", run + 1, runs, implementation->name);
            if (!grow(*implementation) || !deliver(*implementation)) {
                std::fprintf(stderr, "the %s implementation's run failed (%s)\n", implementation->name,
                             implementation->build.c_str());
                return 1;
            }
        }
    }
    printFigures(previous, now);
    std::printf("\nLoad average (1 min): %.2f before, %.2f after.\n", loadBefore, loadAverage());
    return 0;
}
