#include "run_comparison.h"

#include "comparison_table.h"
#include "comparison_targets.h"
#include "grow_sizes.h"
#include "measured_implementation.h"
#include "figure_text.h"

#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace {

constexpr int deliveryRuns = 3;

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

// A growth to 20,000,000 lines takes minutes: each size is shown as it is done.
void showProgress(const MeasuredImplementation &implementation, const char *line)
{
    const GrowReport &report = implementation.growth;
    if (std::strncmp(line, "memory ", 7) == 0)
        std::fprintf(stderr, "  %s: ticks on %s lines done, grown in %.1f s\n", implementation.name,
                     withThousands(report.checkpoints.back().ticks.front().lines).c_str(),
                     report.checkpoints.back().growth.seconds);
    else if (std::strncmp(line, "ceiling ", 8) == 0)
        std::fprintf(stderr, "  %s: the memory ceiling cut the terminal at %s lines\n", implementation.name,
                     withThousands(report.ceilingLines).c_str());
}

bool grow(MeasuredImplementation &implementation, const std::vector<int> &sizes)
{
    const bool ran = readOutput("LD_PRELOAD=libumockdev-preload.so.0 '" + implementation.build
                                    + "/bench/bench_polling_tick' --grow " + sizesText(sizes) + " 2>/dev/null",
                                [&](const char *line) {
                                    readReportLine(line, implementation.growth);
                                    showProgress(implementation, line);
                                });
    // The peak is the run's last line.
    return ran && implementation.growth.peakBytes > 0;
}

bool deliver(MeasuredImplementation &implementation)
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

bool measure(MeasuredImplementation &implementation, int run, const std::vector<int> &sizes)
{
    std::fprintf(stderr, "run %d of %d, %s: %s\n", run + 1, deliveryRuns, implementation.name,
                 run == 0 ? "the growing terminal, then the board's delivery" : "the board's delivery");
    if ((run == 0 && !grow(implementation, sizes)) || !deliver(implementation)) {
        std::fprintf(stderr, "the %s implementation's run failed (%s)\n", implementation.name,
                     implementation.build.c_str());
        return false;
    }
    return true;
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

int runComparison(const char *self, const std::string &previousBuild, const std::vector<int> &sizes)
{
    MeasuredImplementation previous{"previous", previousBuild, {}, {}};
    MeasuredImplementation now{"now", buildOf(self), {}, {}};
    const double loadBefore = loadAverage();
    QElapsedTimer wall;
    wall.start();
    for (int run = 0; run < deliveryRuns; ++run) {
        for (MeasuredImplementation *implementation : {&previous, &now}) {
            if (!measure(*implementation, run, sizes))
                return 1;
        }
    }
    printComparison(sizes, previous, now);
    printTargets(sizes, now);
    std::printf("\nLoad average (1 min): %.2f before, %.2f after; the run took %.1f min.\n", loadBefore,
                loadAverage(), wall.elapsed() / 60000.0);
    return 0;
}
