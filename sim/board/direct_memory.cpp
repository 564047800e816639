#include "direct_memory.h"

#include "bytes.h"

namespace velkor_sim {

uint8_t *DirectMemory::record(std::size_t)
{
    return record_;
}

uint8_t *DirectMemory::follow(std::size_t offset, std::size_t)
{
    return record_ ? bytes::get<uint8_t *>(record_, offset) : nullptr;
}

} // namespace velkor_sim
