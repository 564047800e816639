#include "spread.h"

#include <algorithm>

Spread spread(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.front(), values.back()};
}

Spread tickSpread(const CheckpointFigures &checkpoint, TickFigure figure)
{
    std::vector<double> values;
    for (const TickFigures &t : checkpoint.ticks)
        values.push_back(figure(t));
    return spread(values);
}
