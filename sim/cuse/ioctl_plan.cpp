#include "ioctl_plan.h"

#include "bytes.h"
#include "requests.h"

namespace velkor_sim {

namespace {

// The driver copies a record back only for a code that says it writes to the
// caller (bit 31): a record it only reads may sit in read-only memory.
bool returnsRecord(unsigned long request)
{
    return request & 0x80000000UL;
}

// The board answers a code it does not know without reading anything, and
// its argument need not point anywhere.
std::size_t recordSize(unsigned long request)
{
    return request::name(request) ? request::argumentSize(request) : 0;
}

std::size_t total(const std::vector<Span> &spans)
{
    std::size_t sum = 0;
    for (const Span &span : spans)
        sum += span.length;
    return sum;
}

// A buffer beyond what the kernel carries is not asked for: the board finds
// it unreachable, as it would a buffer the driver cannot copy.
void addBuffers(unsigned long request, IoctlPlan &plan)
{
    std::size_t inBytes = total(plan.in);
    std::size_t outBytes = total(plan.out);
    for (const PointedBuffer &buffer : pointedBuffers(request, plan.record.data())) {
        const bool in = buffer.direction == PointedBuffer::Direction::In;
        std::size_t &bytes = in ? inBytes : outBytes;
        if (bytes + buffer.length > kMaxIoctlBytes)
            continue;
        bytes += buffer.length;
        const uint64_t address = bytes::get<uint64_t>(plan.record.data(), buffer.pointerOffset);
        (in ? plan.in : plan.out).push_back({address, buffer.length});
        plan.buffers.push_back(buffer);
    }
}

} // namespace

IoctlPlan planIoctl(unsigned long request, uint64_t address, const uint8_t *in,
                    std::size_t inSize, std::size_t outSize)
{
    request = request::canonical(request);
    IoctlPlan plan;
    const std::size_t size = recordSize(request);
    if (size) {
        plan.recordOut = returnsRecord(request);
        plan.in.push_back({address, size});
        if (plan.recordOut)
            plan.out.push_back({address, size});
    }
    if (size && inSize >= size) {
        plan.record.assign(in, in + size);
        limitOutBuffer(request, plan.record.data(), kMaxIoctlBytes - total(plan.out));
        addBuffers(request, plan);
    }
    plan.complete = inSize == total(plan.in) && outSize == total(plan.out);
    return plan;
}

} // namespace velkor_sim
