// Today's medians beside the targets: "met", "NOT MET", or "not run" where
// the run did not reach the size a target names.
#ifndef COMPARISON_TARGETS_H
#define COMPARISON_TARGETS_H

#include "measured_implementation.h"

#include <vector>

void printTargets(const std::vector<int> &sizes, const MeasuredImplementation &now);

#endif
