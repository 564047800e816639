// Interrupt blocks that bus traffic raises, as the channel's enables ask.
#ifndef VELKOR_SIM_BUS_INTERRUPTS_H
#define VELKOR_SIM_BUS_INTERRUPTS_H

#include "channel_state.h"
#include "transaction.h"

namespace velkor_sim {

// Bits of interrupt_ch.
constexpr uint32_t kInterruptControllerPass = 1u << 0;
constexpr uint32_t kInterruptReceived = 1u << 1;
constexpr uint32_t kInterruptTransmitted = 1u << 2;

// A bus controller finished its pass at board time `time`.
void raiseControllerPass(ChannelState &controller, uint64_t time);
// A terminal took part in `transaction`.
void raiseTerminalMessage(ChannelState &terminal, const Transaction &transaction);

} // namespace velkor_sim

#endif
