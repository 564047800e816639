/* The interaction library: plain functions over an open channel descriptor.
 * No state, no exceptions. Failure is 0xFFFFFFFF or a null pointer; truth
 * values of the block accessors are 0xFFFFFFFF and 0. Every record returned by
 * a creating or reading function belongs to the caller, who hands it back to
 * the matching release function (which accepts null). */
#ifndef VELKOR_LIBRARY_H
#define VELKOR_LIBRARY_H

#include "velkor_cmd.h"

#ifdef __cplusplus
extern "C" {
#endif

#define VELKOR_FAILURE 0xFFFFFFFFu
#define VELKOR_TRUE 0xFFFFFFFFu
#define VELKOR_FALSE 0u
#define VELKOR_DMA_BLOCK_SIZE 128u
#define VELKOR_DMA_DATA_WORDS_MAX 32u

unsigned int velkor_getNumberChannel(int fd);

unsigned int velkor_getCountDmaBlocksReadyRead(int fd, unsigned int *codeError);
DMA_READ_BLOCK *velkor_newDmaReadBlock(unsigned int countDmaBlocks);
void velkor_freeDmaReadBlock(DMA_READ_BLOCK *block);
DMA_READ_BLOCK *velkor_readAllDmaBlocksReadyRead(int fd, unsigned int *cntBlocks);

unsigned int velkor_getCountInterruptBlocksReadyRead(int fd);
INTERRUPT_BLOCK_BUFFER *velkor_newInterruptBlock(unsigned int countBlocks);
void velkor_freeInterruptBlock(INTERRUPT_BLOCK_BUFFER *block);
INTERRUPT_BLOCK_BUFFER *velkor_readAllInterruptBlocksReadyRead(int fd);

unsigned int velkor_bcProgram(int fd, unsigned int action);
unsigned int velkor_bcSetStartInstructionAddress(int fd, unsigned int startNumber);
BC_RAM_BLOCK *velkor_newBcRamBlock(unsigned int type, unsigned int sizeInDwords,
                                   unsigned int shiftInDwords);
void velkor_freeBcRamBlock(BC_RAM_BLOCK *block);

/* typeDmaBlock: 0 selects the bus controller layout, any other value the
 * remote terminal layout; the block does not say which one it has. */
unsigned int velkor_dmaBlock_getTypeTransaction(unsigned int typeDmaBlock, unsigned char *dmaBlock);
unsigned int velkor_dmaBlock_isSuccessTransaction(unsigned int typeDmaBlock, unsigned char *dmaBlock);
unsigned int velkor_dmaBlock_getFreeTimer(unsigned int typeDmaBlock, unsigned char *dmaBlock);
unsigned int velkor_dmaBlock_getCountServiceWords16(unsigned int typeDmaBlock, unsigned char *dmaBlock);
unsigned int velkor_dmaBlock_getCountDataWords16(unsigned int typeDmaBlock, unsigned char *dmaBlock);
unsigned int velkor_dmaBlock_getActiveBus(unsigned int typeDmaBlock, unsigned char *dmaBlock);
unsigned char *velkor_dmaBlock_getPtrDataPart(unsigned char *dmaBlock);
unsigned int velkor_dmaBlock_tdModeSubaddress(unsigned char *dmaBlock);

#ifdef __cplusplus
}
#endif

#endif
