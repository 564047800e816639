// The DMA blocks a transaction leaves on each end of the bus.
#ifndef VELKOR_SIM_DMA_LAYOUT_H
#define VELKOR_SIM_DMA_LAYOUT_H

#include "channel_state.h"
#include "transaction.h"

namespace velkor_sim {

// Transaction types, the same code in both layouts.
constexpr unsigned kTypeReceive = 1;   // controller to terminal
constexpr unsigned kTypeTransmit = 2;  // terminal to controller

DmaBlock controllerBlock(const Transaction &transaction);
DmaBlock terminalBlock(const Transaction &transaction);

} // namespace velkor_sim

#endif
