/* Register addresses of a channel. Each channel's registers lie in a block of
 * their own; any number other than 0, 1 or 2 (channel 3, or the failure value
 * of a refused number query) selects the last block. */
#ifndef VELKOR_REGISTERS_H
#define VELKOR_REGISTERS_H

#define VELKOR_CTRL_REG_PCI_CH 0x00ul
#define VELKOR_BC_CONF_REG_PCI_CH 0x08ul
#define VELKOR_RT_CONF_REG 0x34ul
#define VELKOR_BC_START_INSTRUCTION_REG 0x94ul

static inline unsigned long velkor_channelRegisterBase(unsigned int numChannel)
{
    if (numChannel == 0)
        return 0x2000;
    if (numChannel == 1)
        return 0x4000;
    if (numChannel == 2)
        return 0x6000;
    return 0x8000;
}

#endif
