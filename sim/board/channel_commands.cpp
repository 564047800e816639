// Commands that switch and configure a channel and load its bus controller memory.
#include "bytes.h"
#include "commands.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace velkor_sim {

using bytes::get;

Reply setMode(const Call &call)
{
    call.settings().mode = get<uint32_t>(call.record, 0);
    return kSuccess;
}

Reply setBus(const Call &call)
{
    call.settings().bus = get<uint32_t>(call.record, 0);
    return kSuccess;
}

Reply channelOn(const Call &call)
{
    call.settings().on = get<uint32_t>(call.record, 0) != 0;
    return kSuccess;
}

Reply start(const Call &call)
{
    call.settings().started = true;
    return kSuccess;
}

Reply stop(const Call &call)
{
    call.settings().started = false;
    return kSuccess;
}

// The queues survive a reset: they stand for blocks already in the driver's
// buffers, which tests fill before the tool switches the channel on.
Reply reset(const Call &call)
{
    call.settings() = ChannelSettings{};
    return kSuccess;
}

Reply setInterrupts(const Call &call)
{
    std::memcpy(call.settings().interrupts.data(), call.record, 9);
    return kSuccess;
}

Reply writeBcRam(const Call &call)
{
    const uint32_t type = get<uint32_t>(call.record, 0);
    const uint64_t shift = get<uint32_t>(call.record, 4);
    const uint64_t length = get<uint32_t>(call.record, 8);
    if (type > 2 || shift + length > ChannelSettings::kBcAreaWords)
        return failure(EINVAL);
    if (length == 0)
        return kSuccess;
    const uint8_t *words = call.memory.follow(16, length * 4);
    if (!words)
        return failure(EFAULT);
    std::vector<uint32_t> &area = call.settings().bcRam[type];
    area.resize(std::max<std::size_t>(area.size(), shift + length));
    std::memcpy(area.data() + shift, words, length * 4);
    return kSuccess;
}

} // namespace velkor_sim
