#include "dma_layout.h"

#include "bytes.h"
#include "command_word.h"

#include <algorithm>

namespace velkor_sim {

using bytes::put;

namespace {

constexpr std::size_t kDataPart = 64;
constexpr std::size_t kDataWords = 32;

unsigned type(const Transaction &t)
{
    return word::isTransmit(t.command) ? kTypeTransmit : kTypeReceive;
}

// The command word, and the status word when a terminal answered.
unsigned serviceWords(const Transaction &t)
{
    return t.terminal ? 2 : 1;
}

uint16_t statusWord(const Transaction &t)
{
    return t.terminal ? word::status(word::address(t.command)) : 0;
}

// The fields both layouts share: data-word and service-word counts.
uint32_t counts(const Transaction &t)
{
    return uint32_t(t.data.size() & 0x3f) << 5 | serviceWords(t) << 11;
}

DmaBlock withData(const Transaction &t)
{
    DmaBlock block{};
    const std::size_t words = std::min(t.data.size(), kDataWords);
    for (std::size_t i = 0; i < words; ++i)
        put<uint16_t>(block.data(), kDataPart + 2 * i, t.data[i]);
    return block;
}

} // namespace

// Bus A always: bit 15 stays clear.
DmaBlock controllerBlock(const Transaction &t)
{
    DmaBlock block = withData(t);
    const uint32_t success = t.terminal ? 1u << 28 : 0;
    put<uint32_t>(block.data(), 0, type(t) << 1 | counts(t) | success);
    put<uint32_t>(block.data(), 4, static_cast<uint32_t>(t.time));
    put<uint32_t>(block.data(), 8, t.command);
    put<uint32_t>(block.data(), 12, statusWord(t));
    return block;
}

// Only answered transactions reach a terminal's queue, so the error bit 26
// and the bus bit 31 stay clear.
DmaBlock terminalBlock(const Transaction &t)
{
    DmaBlock block = withData(t);
    put<uint32_t>(block.data(), 0, word::subaddress(t.command) | counts(t) | type(t) << 27);
    put<uint32_t>(block.data(), 4, t.command);
    put<uint32_t>(block.data(), 8, statusWord(t));
    put<uint32_t>(block.data(), 16, static_cast<uint32_t>(t.time));
    return block;
}

} // namespace velkor_sim
