// What a --grow run measures, as it reports it line by line to the
// comparison, which runs it in a process of its own. SIZE is the checkpoint
// as asked (0: after Clear); LINES what the terminal held.
//   growth SIZE TICKS SECONDS SLOW_PASSES LONGEST_PASS_MS CUTS      the ticks that grew it to SIZE
//   tick SIZE LINES CALL_MS DELIVERY_MS LOOP_MS LONGEST_PASS_MS SLOW_PASSES CUTS
//   memory SIZE LINES BYTES_PER_LINE                                 after the checkpoint's ticks
//   ceiling HIGHEST_LINES MIB       the first cut of the oldest lines; MIB as its notice said, -1 without one
//   click LINES MS                  -1: no paint showed the row within 5 s
//   peak BYTES                      the process's highest resident memory
#ifndef GROW_REPORT_H
#define GROW_REPORT_H

#include <vector>

struct GrowthFigures {
    int ticks = 0;
    double seconds = 0;
    int slowPasses = 0;
    double longestPassMs = 0;
    int cuts = 0;
};

struct TickFigures {
    int lines = 0;
    double callMs = 0;
    double deliveryMs = 0;
    double loopMs = 0;
    double longestPassMs = 0;
    int slowPasses = 0;
    int cuts = 0;

    double ownMs() const { return callMs - deliveryMs; }
    double wholeLessDeliveryMs() const { return ownMs() + loopMs; }
};

struct CheckpointFigures {
    int size = 0;
    GrowthFigures growth;
    std::vector<TickFigures> ticks;
    int memoryLines = 0;
    double bytesPerLine = -1; // -1 until measured

    // Lines were cut on the way here: the terminal grew no further.
    bool atCeiling() const;
};

struct GrowReport {
    std::vector<CheckpointFigures> checkpoints;
    int ceilingLines = 0; // the highest count before the first cut; 0 without a cut
    int ceilingMiB = -1;
    int clickLines = 0;
    std::vector<double> clickMs;
    double peakBytes = 0;

    // nullptr where no tick ran at that size.
    const CheckpointFigures *at(int size) const;
};

void printGrowth(int size, const GrowthFigures &g);
void printTick(int size, const TickFigures &t);
void printMemory(int size, int lines, double bytesPerLine);
void printCeiling(int highestLines, int mib);
void printClick(int lines, double ms);
void printPeak(double bytes);

// Adds what one report line says; other lines are left alone.
void readReportLine(const char *line, GrowReport &report);

#endif
