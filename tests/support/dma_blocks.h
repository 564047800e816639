// DMA blocks laid out byte by byte as the board writes them.
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
    unsigned offset = 64;
    for (uint16_t word : dataWords) {
        std::memcpy(block.data() + offset, &word, 2);
        offset += 2;
    }
    return block;
}

// Bus controller layout: type in bits 1-4, data words 5-10, service words
// 11-14, bus B in bit 15, success in bit 28; timer in word 1.
inline velkor_sim::DmaBlock controllerBlock(unsigned type, bool success, uint32_t timer, unsigned serviceWords,
                                            std::initializer_list<uint16_t> dataWords, bool busB)
{
    const uint32_t word0 = (type << 1) | (uint32_t(dataWords.size()) << 5) | (serviceWords << 11)
        | (busB ? 0x8000u : 0) | (success ? 0x10000000u : 0);
    return dmaBlock(word0, timer, 1, dataWords);
}

// Remote terminal layout: subaddress in bits 0-4, counts as above, error in
// bit 26, type in bits 27-30, bus B in bit 31; timer in word 4.
inline velkor_sim::DmaBlock terminalBlock(unsigned type, bool success, uint32_t timer, unsigned serviceWords,
                                          std::initializer_list<uint16_t> dataWords, unsigned subaddress, bool busB)
{
    const uint32_t word0 = subaddress | (uint32_t(dataWords.size()) << 5) | (serviceWords << 11)
        | (success ? 0 : 0x04000000u) | (type << 27) | (busB ? 0x80000000u : 0);
    return dmaBlock(word0, timer, 4, dataWords);
}

#endif
