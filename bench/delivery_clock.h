// The board's share of a tick is its delivery of the DMA blocks, which the
// library's read waits for; the benchmark is linked with --wrap to time it.
#ifndef DELIVERY_CLOCK_H
#define DELIVERY_CLOCK_H

void resetDeliveryClock();

// The time spent in the library's DMA reads since the last reset.
double deliveryMs();

#endif
