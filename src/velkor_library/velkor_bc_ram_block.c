#include "velkor_library.h"

#include <stdint.h>
#include <stdlib.h>

BC_RAM_BLOCK *velkor_newBcRamBlock(unsigned int type, unsigned int sizeInDwords,
                                   unsigned int shiftInDwords)
{
    if ((uint64_t)sizeInDwords * sizeof(uint32_t) > UINT32_MAX)
        return NULL;
    BC_RAM_BLOCK *block = malloc(sizeof *block);
    if (block == NULL)
        return NULL;
    block->type = type;
    block->length = sizeInDwords;
    block->shift = shiftInDwords;
    block->dwords = malloc((size_t)sizeInDwords * sizeof(uint32_t));
    if (block->dwords == NULL && sizeInDwords != 0) {
        free(block);
        return NULL;
    }
    return block;
}

void velkor_freeBcRamBlock(BC_RAM_BLOCK *block)
{
    if (block == NULL)
        return;
    free(block->dwords);
    free(block);
}
