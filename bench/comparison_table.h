// The two implementations' figures side by side: at each size the ticks,
// the event loop and the memory a line, then the click at the largest size
// and the board's delivery through velkor-sim.
#ifndef COMPARISON_TABLE_H
#define COMPARISON_TABLE_H

#include "measured_implementation.h"

#include <vector>

void printComparison(const std::vector<int> &sizes, const MeasuredImplementation &previous,
                     const MeasuredImplementation &now);

#endif
