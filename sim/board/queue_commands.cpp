// The two block queues of a channel. Like the driver, a read never hands back
// more entries than the caller made room for, and hands each block out once.
#include "bytes.h"
#include "commands.h"
#include "pointed_buffers.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace velkor_sim {

using bytes::get;
using bytes::put;

namespace {

// What the board does between the tool's count and its read.
void applyBeforeRead(QueueFaults &faults, std::deque<DmaBlock> &queue)
{
    if (faults.dropBeforeRead)
        queue.clear();
    queue.insert(queue.end(), faults.arriveBeforeRead.begin(), faults.arriveBeforeRead.end());
    faults.dropBeforeRead = false;
    faults.arriveBeforeRead.clear();
}

void putInterruptBlock(uint8_t *entry, const InterruptBlock &block)
{
    put<uint32_t>(entry, 0, block.free_timer_value);
    put<uint32_t>(entry, 4, block.interrupt_ch);
    put<uint32_t>(entry, 8, block.hw_stat_reg1);
    put<uint32_t>(entry, 12, block.hw_stat_reg2);
}

} // namespace

Reply getCountDmaBlocks(const Call &call)
{
    const auto &override = call.board.queueFaults[call.channel].dmaCount;
    const auto queued = static_cast<uint32_t>(call.state().dmaBlocks.size());
    put<uint32_t>(call.record, 0, override.value_or(queued));
    return kSuccess;
}

Reply getCountIntBlocks(const Call &call)
{
    put<uint32_t>(call.record, 0, static_cast<uint32_t>(call.state().interruptBlocks.size()));
    return kSuccess;
}

Reply readDmaBlocks(const Call &call)
{
    QueueFaults &faults = call.board.queueFaults[call.channel];
    std::deque<DmaBlock> &queue = call.state().dmaBlocks;
    applyBeforeRead(faults, queue);
    const auto count =
        static_cast<uint32_t>(std::min<std::size_t>(dmaBlocksRoom(call.record), queue.size()));
    if (count > 0) {
        uint8_t *buffer = call.memory.follow(8, std::size_t{count} * kDmaBlockBytes);
        if (!buffer)
            return failure(EFAULT);
        for (uint32_t i = 0; i < count; ++i)
            std::memcpy(buffer + std::size_t{i} * kDmaBlockBytes, queue[i].data(), kDmaBlockBytes);
        queue.erase(queue.begin(), queue.begin() + count);
    }
    put<uint32_t>(call.record, 0, count + faults.overreport);
    faults.overreport = 0;
    return kSuccess;
}

Reply readIntBlocks(const Call &call)
{
    std::deque<InterruptBlock> &queue = call.state().interruptBlocks;
    const auto count = static_cast<uint32_t>(
        std::min<std::size_t>(get<uint32_t>(call.record, 0), queue.size()));
    if (count > 0) {
        uint8_t *entries = call.memory.follow(8, std::size_t{count} * kInterruptBlockBytes);
        if (!entries)
            return failure(EFAULT);
        for (uint32_t i = 0; i < count; ++i)
            putInterruptBlock(entries + std::size_t{i} * kInterruptBlockBytes, queue[i]);
        queue.erase(queue.begin(), queue.begin() + count);
    }
    QueueFaults &faults = call.board.queueFaults[call.channel];
    put<uint32_t>(call.record, 0, count + faults.interruptOverreport);
    faults.interruptOverreport = 0;
    return kSuccess;
}

} // namespace velkor_sim
