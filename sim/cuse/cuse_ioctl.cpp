#include "cuse_ioctl.h"

#include "ioctl_plan.h"
#include "received_memory.h"

#include <sys/uio.h>
#include <vector>

namespace velkor_sim {

namespace {

std::vector<iovec> iovecs(const std::vector<Span> &spans)
{
    std::vector<iovec> vectors;
    for (const Span &span : spans)
        vectors.push_back({reinterpret_cast<void *>(span.address), span.length});
    return vectors;
}

void askFor(fuse_req_t req, const IoctlPlan &plan)
{
    const std::vector<iovec> in = iovecs(plan.in);
    const std::vector<iovec> out = iovecs(plan.out);
    fuse_reply_ioctl_retry(req, in.data(), in.size(), out.data(), out.size());
}

} // namespace

void answerIoctl(fuse_req_t req, Board &board, unsigned channel, int cmd, void *arg,
                 const void *in, std::size_t inSize, std::size_t outSize)
{
    // CUSE hands the driver's 32-bit code over as an int.
    const unsigned long request = static_cast<unsigned>(cmd);
    const IoctlPlan plan = planIoctl(request, reinterpret_cast<uintptr_t>(arg),
                                     static_cast<const uint8_t *>(in), inSize, outSize);
    if (!plan.complete) {
        askFor(req, plan);
        return;
    }
    ReceivedMemory memory(plan, static_cast<const uint8_t *>(in));
    const Reply reply = board.command(channel, request, memory);
    if (reply.result < 0) {
        fuse_reply_err(req, reply.error);
        return;
    }
    const std::vector<uint8_t> bytes = memory.reply();
    fuse_reply_ioctl(req, static_cast<int>(reply.result), bytes.data(), bytes.size());
}

} // namespace velkor_sim
