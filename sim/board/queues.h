// Adding to a channel's queues the way the driver's ring buffers fill: once
// full, new blocks are lost until the tool reads, so a channel left running
// without polling cannot exhaust memory.
#ifndef VELKOR_SIM_QUEUES_H
#define VELKOR_SIM_QUEUES_H

#include "channel_state.h"

#include <cstddef>

namespace velkor_sim {

constexpr std::size_t kQueueCapacity = 65536;

template <typename Queue, typename Block>
void offer(Queue &queue, const Block &block)
{
    if (queue.size() < kQueueCapacity)
        queue.push_back(block);
}

} // namespace velkor_sim

#endif
