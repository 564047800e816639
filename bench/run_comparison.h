// The previous implementation and today's, measured in turn in one run: each
// grows its terminal once, in a process of its own, so that neither meets
// the heap that the other left behind, and has the board deliver through its
// own velkor-sim three times.
#ifndef RUN_COMPARISON_H
#define RUN_COMPARISON_H

#include <string>
#include <vector>

// previousBuild is a build folder of the previous implementation with this
// benchmark; self is this program, whose build folder holds today's.
int runComparison(const char *self, const std::string &previousBuild, const std::vector<int> &sizes);

#endif
