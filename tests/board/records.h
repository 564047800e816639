// Records built and read at the driver's byte offsets, for tests that talk to
// the board directly.
#ifndef VELKOR_TESTS_BOARD_RECORDS_H
#define VELKOR_TESTS_BOARD_RECORDS_H

#include "board.h"
#include "direct_memory.h"

#include <cstring>
#include <vector>

namespace records {

using Bytes = std::vector<uint8_t>;

template <typename T>
void put(Bytes &record, std::size_t offset, T value)
{
    std::memcpy(record.data() + offset, &value, sizeof value);
}

template <typename T>
T get(const Bytes &record, std::size_t offset)
{
    T value;
    std::memcpy(&value, record.data() + offset, sizeof value);
    return value;
}

inline velkor_sim::Reply send(velkor_sim::Board &board, unsigned channel, unsigned long request,
                              Bytes &record)
{
    velkor_sim::DirectMemory memory(record.empty() ? nullptr : record.data());
    return board.command(channel, request, memory);
}

// DMA_READ_BLOCK for `room` blocks over `buffer`.
inline Bytes dmaRead(uint32_t room, uint32_t length, Bytes &buffer)
{
    Bytes record(16, 0);
    put<uint32_t>(record, 0, room);
    put<uint32_t>(record, 4, length);
    put<void *>(record, 8, buffer.data());
    return record;
}

inline velkor_sim::DmaBlock markedBlock(uint8_t mark)
{
    velkor_sim::DmaBlock block{};
    block.fill(mark);
    return block;
}

} // namespace records

#endif
