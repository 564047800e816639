#include "tick_scenario.h"

#include "dma_blocks.h"

namespace {

velkor_sim::DmaBlock blockNumber(unsigned n)
{
    if (n % 2 == 0)
        return controllerBlock(0, true, n * 20, 2, {}, false);
    velkor_sim::DmaBlock block = controllerBlock(1, true, n * 20, 2, {}, n % 4 == 1);
    block[1] |= 0x04; // data-word count 32: bit 10 of word 0
    for (unsigned i = 0; i < 32; ++i) {
        const uint16_t word = uint16_t(0x1111 * (i % 15 + 1));
        std::memcpy(block.data() + 64 + 2 * i, &word, 2);
    }
    return block;
}

} // namespace

void queueSaturatedBus(velkor_sim::Board &board, unsigned dmaBlocks)
{
    for (unsigned n = 0; n < dmaBlocks; ++n)
        board.queueDmaBlock(0, blockNumber(n));
    for (unsigned n = 0; n < 4; ++n)
        board.queueInterruptBlock(0, {n * 500000, 0x5, 0, 0});
}
