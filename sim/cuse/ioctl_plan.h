// How a CUSE node brings a caller's bytes over for one ioctl. In unrestricted
// mode the kernel first hands over nothing but the request and the caller's
// address; the node asks for the areas it needs (the record, then the
// buffers the record points to) and the kernel calls again with their bytes.
// No fuse types here, so that the steps can be tested without the kernel.
#ifndef VELKOR_SIM_IOCTL_PLAN_H
#define VELKOR_SIM_IOCTL_PLAN_H

#include "pointed_buffers.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velkor_sim {

// The kernel moves at most 32 pages into an ioctl of a CUSE server and 32
// out of it (fs/fuse/ioctl.c answers the caller ENOMEM beyond), as CUSE never
// raises its connections' max_pages above FUSE_DEFAULT_MAX_PAGES_PER_REQ.
// Pages have 4 KiB at least.
constexpr std::size_t kMaxIoctlBytes = 32 * 4096;

// An area of the caller's memory.
struct Span {
    uint64_t address;
    std::size_t length;

    bool operator==(const Span &other) const
    {
        return address == other.address && length == other.length;
    }
};

struct IoctlPlan {
    // All that the command needs has come; otherwise the node asks for `in`
    // and `out`. In both cases they list the record first, then the buffers.
    bool complete = false;
    std::vector<Span> in;
    std::vector<Span> out;
    // The record as the board is to get it, empty before it came.
    std::vector<uint8_t> record;
    bool recordOut = false;
    // The buffers asked for, in the order that `in` and `out` list them
    // after the record.
    std::vector<PointedBuffer> buffers;
};

// The next step of the ioctl `request` on the record at `address`, the
// kernel having brought `inSize` bytes (`in`) and room for `outSize`.
IoctlPlan planIoctl(unsigned long request, uint64_t address, const uint8_t *in,
                    std::size_t inSize, std::size_t outSize);

} // namespace velkor_sim

#endif
