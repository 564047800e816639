#include "velkor_library.h"

#include <stdint.h>
#include <stdlib.h>
#include <sys/ioctl.h>

unsigned int velkor_getCountDmaBlocksReadyRead(int fd, unsigned int *codeError)
{
    unsigned int count = 0;
    *codeError = (unsigned int)ioctl(fd, IOCTL_GET_COUNT_DMA_BLOCKS, &count);
    return *codeError != 0 ? VELKOR_FAILURE : count;
}

/* A count whose byte length does not fit the record's 32-bit length field
 * cannot be described to the driver, so no record is made for it. */
DMA_READ_BLOCK *velkor_newDmaReadBlock(unsigned int countDmaBlocks)
{
    if ((uint64_t)countDmaBlocks * VELKOR_DMA_BLOCK_SIZE > UINT32_MAX)
        return NULL;
    DMA_READ_BLOCK *block = malloc(sizeof *block);
    if (block == NULL)
        return NULL;
    block->countBlocks = countDmaBlocks;
    block->length = countDmaBlocks * VELKOR_DMA_BLOCK_SIZE;
    block->data = malloc(block->length);
    if (block->data == NULL && block->length != 0) {
        free(block);
        return NULL;
    }
    return block;
}

void velkor_freeDmaReadBlock(DMA_READ_BLOCK *block)
{
    if (block == NULL)
        return;
    free(block->data);
    free(block);
}

DMA_READ_BLOCK *velkor_readAllDmaBlocksReadyRead(int fd, unsigned int *cntBlocks)
{
    unsigned int codeError = 0;
    const unsigned int count = velkor_getCountDmaBlocksReadyRead(fd, &codeError);
    *cntBlocks = count;
    if (count == 0 || codeError != 0)
        return NULL;
    DMA_READ_BLOCK *block = velkor_newDmaReadBlock(count);
    if (block == NULL)
        return NULL;
    if (ioctl(fd, IOCTL_READ_DMA_BLOCKS, block) != 0) {
        velkor_freeDmaReadBlock(block);
        return NULL;
    }
    /* A driver that reports more blocks than the buffer was made for must not
     * send the caller past its end. */
    if (block->countBlocks > count)
        block->countBlocks = count;
    return block;
}
