// A saturated bus as the tool meets it: DMA blocks waiting on channel 0, half
// of them carrying 32 data words and half none, with a few interrupt blocks.
#ifndef TICK_SCENARIO_H
#define TICK_SCENARIO_H

#include "board.h"

void queueSaturatedBus(velkor_sim::Board &board, unsigned dmaBlocks);

#endif
