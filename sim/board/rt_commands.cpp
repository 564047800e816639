// Remote terminal settings of a channel, per subaddress (0 to 31).
#include "bytes.h"
#include "commands.h"

#include <cerrno>

namespace velkor_sim {

using bytes::get;

namespace {

constexpr unsigned kSubaddresses = 32;

Reply setSubaddressInterrupts(const Call &call, unsigned which)
{
    SubaddressInterrupts &target = call.settings().subaddressInterrupts[which];
    target.rt_int = get<uint8_t>(call.record, 0);
    target.subaddress_mask = get<uint32_t>(call.record, 4);
    return kSuccess;
}

// RT_TR_MODE and RT_TR_MODE_BUF share a layout: u8 subaddress, u32 value at 4.
Reply setPerSubaddress(const Call &call, std::array<uint32_t, 32> &table)
{
    const uint8_t subaddress = get<uint8_t>(call.record, 0);
    if (subaddress >= kSubaddresses)
        return failure(EINVAL);
    table[subaddress] = get<uint32_t>(call.record, 4);
    return kSuccess;
}

} // namespace

Reply setRtAddress(const Call &call)
{
    call.settings().rtAddress = get<uint8_t>(call.record, 0);
    return kSuccess;
}

Reply setRtTrMode(const Call &call)
{
    return setPerSubaddress(call, call.settings().trMode);
}

Reply setRtTrModeBuf(const Call &call)
{
    return setPerSubaddress(call, call.settings().trModeBuf);
}

Reply setRtBufMan(const Call &call)
{
    const uint32_t direction = get<uint32_t>(call.record, 0);
    if (direction > 1)
        return failure(EINVAL);
    const uint32_t select = get<uint32_t>(call.record, 4);
    const uint32_t action = get<uint32_t>(call.record, 8);
    uint32_t &enabled = call.settings().bufferManagement[direction];
    enabled = (enabled & ~select) | (action & select);
    return kSuccess;
}

Reply writeRtTrBuf(const Call &call)
{
    const uint8_t numBuf = get<uint8_t>(call.record, 0);
    const uint8_t subaddress = get<uint8_t>(call.record, 1);
    if (subaddress >= kSubaddresses)
        return failure(EINVAL);
    std::array<uint16_t, 32> &words = call.settings().trBuffers[{numBuf, subaddress}];
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = get<uint16_t>(call.record, 2 + 2 * i);
    return kSuccess;
}

Reply setIntSubaddrA(const Call &call)
{
    return setSubaddressInterrupts(call, 0);
}

Reply setIntSubaddrB(const Call &call)
{
    return setSubaddressInterrupts(call, 1);
}

} // namespace velkor_sim
