// The previous implementation and today's, measured in turn in one run: each
// grows its terminal in a process of its own, so that neither meets the heap
// that the other left behind, and has the board deliver through its own
// velkor-sim; every figure is the median of three runs.
#ifndef RUN_COMPARISON_H
#define RUN_COMPARISON_H

constexpr unsigned tickBlocks = 40000;

// One timed tick on a grown terminal, as a --grow run prints it for the comparison.
struct Checkpoint {
    int lines = 0;
    double callMs = 0;
    double deliveryMs = 0;
    double loopMs = 0;
    double longestPassMs = 0;
    double bytesPerLine = 0;
};

void printCheckpoint(const Checkpoint &c);

// previousBuild is a build folder of the previous implementation with this
// benchmark; self is this program, whose build folder holds today's.
int runComparison(const char *self, const char *previousBuild);

#endif
