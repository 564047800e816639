// The caller's memory of one ioctl as the kernel brought it to a CUSE node:
// the record and the buffers that the plan asked for. What the board writes
// there goes back to the caller in the reply.
#ifndef VELKOR_SIM_RECEIVED_MEMORY_H
#define VELKOR_SIM_RECEIVED_MEMORY_H

#include "board.h"
#include "ioctl_plan.h"

#include <vector>

namespace velkor_sim {

class ReceivedMemory : public CallerMemory {
public:
    // `in` holds the areas of the complete plan's `in`, back to back.
    ReceivedMemory(const IoctlPlan &plan, const uint8_t *in);

    uint8_t *record(std::size_t size) override;
    uint8_t *follow(std::size_t offset, std::size_t length) override;

    // The bytes for the plan's `out`, back to back, up to the last one the
    // board reached. The kernel copies a reply into the out areas in order,
    // so what lies beyond stays as the caller left it, as with the driver,
    // which writes only the blocks it delivers.
    std::vector<uint8_t> reply() const;

private:
    struct Area {
        std::size_t pointerOffset;
        std::size_t start;
        std::size_t length;
        bool out;
    };

    // The record, the out buffers, then the in buffers.
    std::vector<uint8_t> bytes_;
    std::size_t recordSize_;
    std::size_t replyStart_;
    std::size_t replyEnd_;
    std::vector<Area> areas_;
};

} // namespace velkor_sim

#endif
