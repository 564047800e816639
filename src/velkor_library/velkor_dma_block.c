#include "velkor_library.h"

#include <string.h>

static uint32_t word(const unsigned char *dmaBlock, unsigned int index)
{
    uint32_t value;
    memcpy(&value, dmaBlock + 4 * index, sizeof value);
    return value;
}

static unsigned int truth(int condition)
{
    return condition ? VELKOR_TRUE : VELKOR_FALSE;
}

/* The block does not say which layout it has: the board writes the bus
 * controller layout on a controller channel and the terminal layout on a
 * terminal channel, so the caller names it. */
unsigned int velkor_dmaBlock_getTypeTransaction(unsigned int typeDmaBlock, unsigned char *dmaBlock)
{
    return typeDmaBlock == 0 ? (word(dmaBlock, 0) >> 1) & 0xF : (word(dmaBlock, 0) >> 27) & 0xF;
}

/* The two layouts report the outcome with opposite senses: a success bit in
 * the controller's, an error bit in the terminal's. */
unsigned int velkor_dmaBlock_isSuccessTransaction(unsigned int typeDmaBlock, unsigned char *dmaBlock)
{
    if (typeDmaBlock == 0)
        return truth((word(dmaBlock, 0) & 0x10000000u) != 0);
    return truth((word(dmaBlock, 0) & 0x04000000u) == 0);
}

unsigned int velkor_dmaBlock_getFreeTimer(unsigned int typeDmaBlock, unsigned char *dmaBlock)
{
    return typeDmaBlock == 0 ? word(dmaBlock, 1) : word(dmaBlock, 4);
}

unsigned int velkor_dmaBlock_getCountServiceWords16(unsigned int typeDmaBlock, unsigned char *dmaBlock)
{
    (void)typeDmaBlock;
    return (word(dmaBlock, 0) >> 11) & 0xF;
}

unsigned int velkor_dmaBlock_getCountDataWords16(unsigned int typeDmaBlock, unsigned char *dmaBlock)
{
    (void)typeDmaBlock;
    return (word(dmaBlock, 0) >> 5) & 0x3F;
}

unsigned int velkor_dmaBlock_getActiveBus(unsigned int typeDmaBlock, unsigned char *dmaBlock)
{
    const uint32_t busB = typeDmaBlock == 0 ? 0x8000u : 0x80000000u;
    return truth((word(dmaBlock, 0) & busB) != 0);
}

unsigned char *velkor_dmaBlock_getPtrDataPart(unsigned char *dmaBlock)
{
    return dmaBlock + 64;
}

unsigned int velkor_dmaBlock_tdModeSubaddress(unsigned char *dmaBlock)
{
    return word(dmaBlock, 0) & 0x1F;
}
