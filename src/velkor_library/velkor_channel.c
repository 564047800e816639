#include "velkor_library.h"
#include "velkor_registers.h"

#include <sys/ioctl.h>

unsigned int velkor_getNumberChannel(int fd)
{
    unsigned int number = 0;
    if (ioctl(fd, IOCTL_GET_NUMBER_CHANNEL, &number) != 0)
        return VELKOR_FAILURE;
    return number;
}

/* The channel number is asked for on every call; a refused query is not an
 * error here, it selects the last register block and the write goes ahead. */
static unsigned int writeChannelRegister(int fd, unsigned long offset, unsigned int data,
                                         unsigned int mask)
{
    SADDR_DATA_BIT_MASK write = {0};
    write.daddr = velkor_channelRegisterBase(velkor_getNumberChannel(fd)) + offset;
    write.data = data;
    write.mask = mask;
    return ioctl(fd, IOCTL_WRITE_REG_MASKED, &write) == 0 ? 0 : VELKOR_FAILURE;
}

unsigned int velkor_bcProgram(int fd, unsigned int action)
{
    const unsigned int programBit = 0x8000;
    return writeChannelRegister(fd, VELKOR_BC_CONF_REG_PCI_CH,
                                action == VELKOR_FAILURE ? programBit : 0, programBit);
}

unsigned int velkor_bcSetStartInstructionAddress(int fd, unsigned int startNumber)
{
    const unsigned int field = 0x0FFF0000;
    return writeChannelRegister(fd, VELKOR_BC_START_INSTRUCTION_REG, (startNumber << 16) & field,
                                field);
}
