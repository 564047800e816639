#include "received_memory.h"

#include <algorithm>

namespace velkor_sim {

using Direction = PointedBuffer::Direction;

ReceivedMemory::ReceivedMemory(const IoctlPlan &plan, const uint8_t *in)
    : bytes_(plan.record),
      recordSize_(plan.record.size()),
      replyStart_(plan.recordOut ? 0 : recordSize_),
      replyEnd_(recordSize_)
{
    in += recordSize_;
    for (const Direction direction : {Direction::Out, Direction::In}) {
        for (const PointedBuffer &buffer : plan.buffers) {
            if (buffer.direction != direction)
                continue;
            const bool out = direction == Direction::Out;
            areas_.push_back({buffer.pointerOffset, bytes_.size(), buffer.length, out});
            if (out) {
                bytes_.resize(bytes_.size() + buffer.length);
            } else {
                bytes_.insert(bytes_.end(), in, in + buffer.length);
                in += buffer.length;
            }
        }
    }
}

uint8_t *ReceivedMemory::record(std::size_t size)
{
    return size <= recordSize_ ? bytes_.data() : nullptr;
}

uint8_t *ReceivedMemory::follow(std::size_t offset, std::size_t length)
{
    for (const Area &area : areas_) {
        if (area.pointerOffset != offset || length > area.length)
            continue;
        if (area.out)
            replyEnd_ = std::max(replyEnd_, area.start + length);
        return bytes_.data() + area.start;
    }
    return nullptr;
}

std::vector<uint8_t> ReceivedMemory::reply() const
{
    return {bytes_.begin() + replyStart_, bytes_.begin() + replyEnd_};
}

} // namespace velkor_sim
