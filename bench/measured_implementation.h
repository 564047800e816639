// What the comparison measured of one implementation: its grown terminal
// and the board's deliveries through its velkor-sim.
#ifndef MEASURED_IMPLEMENTATION_H
#define MEASURED_IMPLEMENTATION_H

#include "grow_report.h"

#include <string>
#include <vector>

struct MeasuredImplementation {
    const char *name;
    std::string build;
    GrowReport growth;
    std::vector<double> deliveryMs; // per 40,000 blocks, one a run
};

#endif
