#include "describe.h"

#include "bytes.h"
#include "channel_state.h"
#include "requests.h"

#include <cstdio>

namespace velkor_sim {

using bytes::get;

namespace {

template <typename T, typename Format>
std::string list(const uint8_t *words, std::size_t count, Format format)
{
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += (i ? "," : "") + format(get<T>(words, i * sizeof(T)));
    return text;
}

std::string dec(uint64_t value)
{
    return std::to_string(value);
}

std::string regMasked(const uint8_t *r)
{
    return "daddr=" + hex(get<uint64_t>(r, 0)) + " data=" + hex(get<uint32_t>(r, 8)) +
           " mask=" + hex(get<uint32_t>(r, 12));
}

std::string subaddressValue(const uint8_t *r, const char *valueName)
{
    return "subaddress=" + dec(get<uint8_t>(r, 0)) + " " + valueName + "=" +
           dec(get<uint32_t>(r, 4));
}

std::string subaddressInterrupts(const uint8_t *r)
{
    return "rt_int=" + dec(get<uint8_t>(r, 0)) +
           " subaddress_mask=" + hex(get<uint32_t>(r, 4));
}

std::string bufMan(const uint8_t *r)
{
    return "direction=" + dec(get<uint32_t>(r, 0)) +
           " subaddress_mask=" + hex(get<uint32_t>(r, 4)) +
           " action_mask=" + hex(get<uint32_t>(r, 8));
}

std::string trBuf(const uint8_t *r)
{
    return "num_buf=" + dec(get<uint8_t>(r, 0)) + " subaddress=" + dec(get<uint8_t>(r, 1)) +
           " data_words=" + list<uint16_t>(r + 2, 32, hex);
}

// The words are shown only when the block fits the memory area; a longer one
// is refused by the command without being followed.
std::optional<std::string> bcRam(const uint8_t *r, CallerMemory &memory)
{
    const uint32_t length = get<uint32_t>(r, 8);
    std::string text = "type=" + dec(get<uint32_t>(r, 0)) + " shift=" +
                       dec(get<uint32_t>(r, 4)) + " length=" + dec(length);
    if (length > ChannelSettings::kBcAreaWords)
        return text;
    const uint8_t *words = length ? memory.follow(16, std::size_t{length} * 4) : nullptr;
    if (length && !words)
        return std::nullopt;
    return text + " dwords=" + list<uint32_t>(words, length, hex);
}

} // namespace

std::string hex(uint64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

std::optional<std::string> describe(unsigned long request, const uint8_t *r,
                                    CallerMemory &memory)
{
    using namespace request;
    switch (request) {
    case kChannelOn:
    case kSetMode:
    case kSetBus:
        return dec(get<uint32_t>(r, 0));
    case kSetRtAddress:
        return dec(get<uint8_t>(r, 0));
    case kReadReg:
        return "daddr=" + hex(get<uint64_t>(r, 0));
    case kWriteRegMasked:
        return regMasked(r);
    case kSetInterrupts:
        return "flags=" + list<uint8_t>(r, 9, dec);
    case kWriteBcRam:
        return bcRam(r, memory);
    case kSetRtBufMan:
        return bufMan(r);
    case kSetRtTrMode:
        return subaddressValue(r, "mode");
    case kSetRtTrModeBuf:
        return subaddressValue(r, "cmd_buf");
    case kWriteRtTrBuf:
        return trBuf(r);
    case kSetIntSubaddrA:
    case kSetIntSubaddrB:
        return subaddressInterrupts(r);
    case kReadDmaBlocks:
        return "countBlocks=" + dec(get<uint32_t>(r, 0)) + " length=" + dec(get<uint32_t>(r, 4));
    case kReadIntBlocks:
        return "count_blocks=" + dec(get<uint32_t>(r, 0));
    default:
        return std::string();
    }
}

} // namespace velkor_sim
