// What the block queues of one node promise whatever traffic arrived, held
// against the node's recorded answers: a read delivers no more than it asked
// for; a read right after a count, asking for at least that many, delivers at
// least that many, as the queue only grows until it is read; each DMA block
// is well formed and is not delivered again.
#ifndef VELKOR_SIM_DELIVERY_CONTRACT_H
#define VELKOR_SIM_DELIVERY_CONTRACT_H

#include "channel_state.h"
#include "recording.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace velkor_sim::check {

class DeliveryContract {
public:
    // The breaches of this ioctl, given every ioctl of the node in order.
    std::vector<std::string> breaches(const recording::Event &event);

private:
    std::vector<std::string> dmaReadBreaches(const recording::Event &event,
                                             std::optional<uint32_t> ready);

    std::optional<uint32_t> dmaReady_;
    std::optional<uint32_t> interruptsReady_;
    // A driver that delivers a block again has failed to move past it, so the
    // block comes again in the read after; older blocks are not kept, so a
    // long session costs no memory.
    std::set<DmaBlock> lastRead_;
};

} // namespace velkor_sim::check

#endif
