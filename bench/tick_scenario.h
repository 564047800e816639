// A saturated bus as the tool meets it: DMA blocks waiting on channel 0, half
// of them carrying 32 data words and half none, with a few interrupt blocks.
#ifndef TICK_SCENARIO_H
#define TICK_SCENARIO_H

#include "board.h"

// What a 2 s polling tick finds waiting at about 20,000 transactions a second.
constexpr unsigned tickBlocks = 40000;

// The interrupt count and its four entries, "timerDMA", a summary per block
// and a data-word line for every other block.
constexpr int linesOfTick(unsigned blocks)
{
    return 6 + int(blocks + blocks / 2);
}

void queueSaturatedBus(velkor_sim::Board &board, unsigned dmaBlocks);

#endif
