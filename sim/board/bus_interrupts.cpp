#include "bus_interrupts.h"

#include "command_word.h"
#include "queues.h"

namespace velkor_sim {

namespace {

// Positions in the INTERRUPT_MAN flags.
constexpr std::size_t kIntBc = 1;
constexpr std::size_t kIntRtReceive = 2;
constexpr std::size_t kIntRtTransmit = 3;

bool subaddressSelected(const ChannelSettings &settings, unsigned subaddress)
{
    const SubaddressInterrupts &a = settings.subaddressInterrupts[0];
    return a.rt_int && ((a.subaddress_mask >> subaddress) & 1);
}

} // namespace

void raiseControllerPass(ChannelState &controller, uint64_t time)
{
    if (controller.settings.interrupts[kIntBc])
        offer(controller.interruptBlocks,
              InterruptBlock{static_cast<uint32_t>(time), kInterruptControllerPass, 0, 0});
}

// hw_stat_reg1 carries the command word, so the message can be told apart.
void raiseTerminalMessage(ChannelState &terminal, const Transaction &t)
{
    const bool transmit = word::isTransmit(t.command);
    const ChannelSettings &settings = terminal.settings;
    if (!settings.interrupts[transmit ? kIntRtTransmit : kIntRtReceive] ||
        !subaddressSelected(settings, word::subaddress(t.command)))
        return;
    offer(terminal.interruptBlocks,
          InterruptBlock{static_cast<uint32_t>(t.time),
                         transmit ? kInterruptTransmitted : kInterruptReceived, t.command, 0});
}

} // namespace velkor_sim
