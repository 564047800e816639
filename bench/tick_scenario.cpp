#include "tick_scenario.h"

#include "dma_blocks.h"

namespace {

// Bus controller blocks that succeeded with two service words: type 0 with no
// data words, and type 1 with all 32, every fourth of those on bus B.
velkor_sim::DmaBlock blockNumber(unsigned n)
{
    if (n % 2 == 0)
        return dmaBlock(0x10001000, n * 20, 1);
    velkor_sim::DmaBlock block = dmaBlock(n % 4 == 1 ? 0x10009402 : 0x10001402, n * 20, 1);
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
