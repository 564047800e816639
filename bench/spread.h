// A figure measured a few times: its median, lowest and highest.
#ifndef SPREAD_H
#define SPREAD_H

#include "grow_report.h"

#include <vector>

struct Spread {
    double median, lowest, highest;
};

Spread spread(std::vector<double> values);

using TickFigure = double (*)(const TickFigures &);

// One figure of a checkpoint's ticks.
Spread tickSpread(const CheckpointFigures &checkpoint, TickFigure figure);

#endif
