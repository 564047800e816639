// How long the simulated board takes to hand the tool 40,000 DMA blocks
// through velkor-sim, the way the tool reads them: run under
//   velkor-sim --load max -- bench_polling_tick --delivery
// Channel 0 becomes a remote terminal that the built-in bus controller keeps
// busy until 40,000 blocks wait; one read of the library takes them all,
// the second such read of the run, as every tick after the first is.
// Prints "delivery BLOCKS MS".
#ifndef BOARD_DELIVERY_H
#define BOARD_DELIVERY_H

int measureDelivery();

#endif
