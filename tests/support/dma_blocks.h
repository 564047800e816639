// A DMA block laid out byte by byte as the board writes it: status word 0 as
// given, the timer in word 1 (bus controller) or word 4 (remote terminal),
// the data words from byte 64 on.
#ifndef DMA_BLOCKS_H
#define DMA_BLOCKS_H

#include "board.h"

#include <cstring>
#include <initializer_list>

inline velkor_sim::DmaBlock dmaBlock(uint32_t word0, uint32_t timer, unsigned timerWord,
                                     std::initializer_list<uint16_t> dataWords = {})
{
    velkor_sim::DmaBlock block{};
    std::memcpy(block.data(), &word0, 4);
    std::memcpy(block.data() + 4 * timerWord, &timer, 4);
    // Word by word: an empty list's begin() may be null, which memcpy must not get.
    unsigned offset = 64;
    for (uint16_t word : dataWords) {
        std::memcpy(block.data() + offset, &word, 2);
        offset += 2;
    }
    return block;
}

#endif
