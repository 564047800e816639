#include "velkor_library.h"

#include <stdlib.h>
#include <sys/ioctl.h>

unsigned int velkor_getCountInterruptBlocksReadyRead(int fd)
{
    unsigned int count = 0;
    if (ioctl(fd, IOCTL_GET_COUNT_INT_BLOCKS, &count) != 0)
        return VELKOR_FAILURE;
    return count;
}

INTERRUPT_BLOCK_BUFFER *velkor_newInterruptBlock(unsigned int countBlocks)
{
    INTERRUPT_BLOCK_BUFFER *block = malloc(sizeof *block);
    if (block == NULL)
        return NULL;
    block->count_blocks = countBlocks;
    block->blocks = malloc((size_t)countBlocks * sizeof(block_info));
    if (block->blocks == NULL && countBlocks != 0) {
        free(block);
        return NULL;
    }
    return block;
}

void velkor_freeInterruptBlock(INTERRUPT_BLOCK_BUFFER *block)
{
    if (block == NULL)
        return;
    free(block->blocks);
    free(block);
}

INTERRUPT_BLOCK_BUFFER *velkor_readAllInterruptBlocksReadyRead(int fd)
{
    const unsigned int count = velkor_getCountInterruptBlocksReadyRead(fd);
    if (count == 0 || count == VELKOR_FAILURE)
        return NULL;
    INTERRUPT_BLOCK_BUFFER *block = velkor_newInterruptBlock(count);
    if (block == NULL)
        return NULL;
    if (ioctl(fd, IOCTL_READ_INT_BLOCKS, block) != 0) {
        velkor_freeInterruptBlock(block);
        return NULL;
    }
    /* A driver that reports more entries than the array holds must not send
     * the caller past its end. */
    if (block->count_blocks > count)
        block->count_blocks = count;
    return block;
}
