/* Commands and records of the channel driver, as the kernel sees them.
 * Every record is a wire format of a 64-bit Linux build: the layouts below are
 * pinned by the checks at the end of this file, and each request code carries
 * its record's size, so a size change would turn it into another command. */
#ifndef VELKOR_CMD_H
#define VELKOR_CMD_H

#include <linux/ioctl.h>
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct block_info {
    uint32_t free_timer_value;
    uint32_t interrupt_ch;
    uint32_t hw_stat_reg1;
    uint32_t hw_stat_reg2;
} block_info;

typedef struct PCI_LOCATION {
    char name[13];
} PCI_LOCATION;

typedef struct VERSION {
    uint32_t device_id;
    uint32_t vendor_id;
    uint32_t type;
    char revision;
    char dev_name[30];
    int32_t minor;
    int32_t irq;
    int64_t size_dma;
    void *addr_dma_virt;
    uint32_t pci_bars;
    void *addr_bar_virt;
} VERSION;

typedef struct SADDR_DATA {
    uint64_t daddr;
    uint32_t data;
} SADDR_DATA;

typedef struct SADDR_DATA_BIT_MASK {
    uint64_t daddr;
    uint32_t data;
    uint32_t mask;
} SADDR_DATA_BIT_MASK;

typedef struct DMA_READ_BLOCK {
    uint32_t countBlocks;
    uint32_t length;
    unsigned char *data;
} DMA_READ_BLOCK;

typedef struct INTERRUPT_MAN {
    uint8_t int_flash;
    uint8_t int_bc;
    uint8_t int_rt_ren;
    uint8_t int_rt_ten;
    uint8_t int_qdat;
    uint8_t int_hdat;
    uint8_t int_data_cnt_en;
    uint8_t int_timeout_itven;
    uint8_t int_timeout_absen;
} INTERRUPT_MAN;

typedef struct INTERRUPT_SUBADDRESS {
    uint8_t rt_int;
    uint32_t subaddress_mask;
} INTERRUPT_SUBADDRESS;

typedef struct RT_TR_MODE {
    uint8_t subaddress;
    uint32_t mode;
} RT_TR_MODE;

typedef struct RT_TR_MODE_BUF {
    uint8_t subaddress;
    uint32_t cmd_buf;
} RT_TR_MODE_BUF;

typedef struct RT_BUF_MAN_EN {
    uint32_t direction;
    uint32_t subaddress_mask;
    uint32_t action_mask;
} RT_BUF_MAN_EN;

typedef struct RT_TR_BUF_SUBADDR {
    uint8_t num_buf;
    uint8_t subaddress;
    uint16_t data_words[32];
} RT_TR_BUF_SUBADDR;

typedef struct BC_RAM_BLOCK {
    uint32_t type;
    uint32_t shift;
    uint32_t length;
    uint32_t *dwords;
} BC_RAM_BLOCK;

typedef struct INTERRUPT_BLOCK_BUFFER {
    uint32_t count_blocks;
    block_info *blocks;
} INTERRUPT_BLOCK_BUFFER;

#define VELKOR_IOCTL_TYPE 'b'

#define IOCTL_WRITE_REG_MASKED      _IOW(VELKOR_IOCTL_TYPE, 1, SADDR_DATA_BIT_MASK)
#define IOCTL_READ_REG              _IOWR(VELKOR_IOCTL_TYPE, 2, SADDR_DATA)
#define IOCTL_SET_MODE              _IOW(VELKOR_IOCTL_TYPE, 4, unsigned int)
#define IOCTL_RESET                 _IO(VELKOR_IOCTL_TYPE, 5)
#define IOCTL_READ_DMA_BLOCKS       _IOWR(VELKOR_IOCTL_TYPE, 6, DMA_READ_BLOCK)
#define IOCTL_GET_COUNT_DMA_BLOCKS  _IOWR(VELKOR_IOCTL_TYPE, 7, unsigned int)
#define IOCTL_START                 _IO(VELKOR_IOCTL_TYPE, 8)
#define IOCTL_STOP                  _IO(VELKOR_IOCTL_TYPE, 9)
#define IOCTL_SET_INTERRUPTS        _IOW(VELKOR_IOCTL_TYPE, 16, INTERRUPT_MAN)
#define IOCTL_SET_RT_ADDRESS        _IOW(VELKOR_IOCTL_TYPE, 19, unsigned char)
#define IOCTL_WRITE_RT_TR_BUF       _IOW(VELKOR_IOCTL_TYPE, 27, RT_TR_BUF_SUBADDR)
#define IOCTL_WRITE_BC_RAM          _IOW(VELKOR_IOCTL_TYPE, 29, BC_RAM_BLOCK)
#define IOCTL_GET_VERSION_INFO      _IOR(VELKOR_IOCTL_TYPE, 31, VERSION)
#define IOCTL_SET_BUS               _IOW(VELKOR_IOCTL_TYPE, 33, unsigned int)
#define IOCTL_CHANNEL_ON            _IOW(VELKOR_IOCTL_TYPE, 34, unsigned int)
#define IOCTL_SET_RT_TR_MODE        _IOW(VELKOR_IOCTL_TYPE, 35, RT_TR_MODE)
#define IOCTL_SET_RT_BUF_MAN        _IOW(VELKOR_IOCTL_TYPE, 36, RT_BUF_MAN_EN)
#define IOCTL_SET_RT_TR_MODE_BUF    _IOW(VELKOR_IOCTL_TYPE, 37, RT_TR_MODE_BUF)
#define IOCTL_SET_INT_SUBADDR_A     _IOW(VELKOR_IOCTL_TYPE, 38, INTERRUPT_SUBADDRESS)
#define IOCTL_SET_INT_SUBADDR_B     _IOW(VELKOR_IOCTL_TYPE, 39, INTERRUPT_SUBADDRESS)
#define IOCTL_GET_DRIVER_VERSION    _IOR(VELKOR_IOCTL_TYPE, 40, unsigned int)
#define IOCTL_GET_PCI_LOCATION      _IOR(VELKOR_IOCTL_TYPE, 41, PCI_LOCATION)
#define IOCTL_GET_COUNT_INT_BLOCKS  _IOWR(VELKOR_IOCTL_TYPE, 50, unsigned int)
#define IOCTL_READ_INT_BLOCKS       _IOWR(VELKOR_IOCTL_TYPE, 51, INTERRUPT_BLOCK_BUFFER)
#define IOCTL_GET_NUMBER_CHANNEL    _IOWR(VELKOR_IOCTL_TYPE, 55, unsigned int)

#ifdef __cplusplus
#define VELKOR_STATIC_ASSERT(cond, what) static_assert(cond, what)
#else
#define VELKOR_STATIC_ASSERT(cond, what) _Static_assert(cond, what)
#endif

#define VELKOR_CHECK_SIZE(type, size) \
    VELKOR_STATIC_ASSERT(sizeof(type) == (size), #type " must be " #size " bytes")
#define VELKOR_CHECK_FIELD(type, field, offset) \
    VELKOR_STATIC_ASSERT(offsetof(type, field) == (offset), #type "." #field " must lie at " #offset)
#define VELKOR_CHECK_CODE(code, value) \
    VELKOR_STATIC_ASSERT((code) == (value), #code " must be " #value)

VELKOR_CHECK_SIZE(block_info, 16);
VELKOR_CHECK_FIELD(block_info, free_timer_value, 0);
VELKOR_CHECK_FIELD(block_info, interrupt_ch, 4);
VELKOR_CHECK_FIELD(block_info, hw_stat_reg1, 8);
VELKOR_CHECK_FIELD(block_info, hw_stat_reg2, 12);

VELKOR_CHECK_SIZE(PCI_LOCATION, 13);
VELKOR_CHECK_FIELD(PCI_LOCATION, name, 0);

VELKOR_CHECK_SIZE(VERSION, 88);
VELKOR_CHECK_FIELD(VERSION, device_id, 0);
VELKOR_CHECK_FIELD(VERSION, vendor_id, 4);
VELKOR_CHECK_FIELD(VERSION, type, 8);
VELKOR_CHECK_FIELD(VERSION, revision, 12);
VELKOR_CHECK_FIELD(VERSION, dev_name, 13);
VELKOR_CHECK_FIELD(VERSION, minor, 44);
VELKOR_CHECK_FIELD(VERSION, irq, 48);
VELKOR_CHECK_FIELD(VERSION, size_dma, 56);
VELKOR_CHECK_FIELD(VERSION, addr_dma_virt, 64);
VELKOR_CHECK_FIELD(VERSION, pci_bars, 72);
VELKOR_CHECK_FIELD(VERSION, addr_bar_virt, 80);

VELKOR_CHECK_SIZE(SADDR_DATA, 16);
VELKOR_CHECK_FIELD(SADDR_DATA, daddr, 0);
VELKOR_CHECK_FIELD(SADDR_DATA, data, 8);

VELKOR_CHECK_SIZE(SADDR_DATA_BIT_MASK, 16);
VELKOR_CHECK_FIELD(SADDR_DATA_BIT_MASK, daddr, 0);
VELKOR_CHECK_FIELD(SADDR_DATA_BIT_MASK, data, 8);
VELKOR_CHECK_FIELD(SADDR_DATA_BIT_MASK, mask, 12);

VELKOR_CHECK_SIZE(DMA_READ_BLOCK, 16);
VELKOR_CHECK_FIELD(DMA_READ_BLOCK, countBlocks, 0);
VELKOR_CHECK_FIELD(DMA_READ_BLOCK, length, 4);
VELKOR_CHECK_FIELD(DMA_READ_BLOCK, data, 8);

VELKOR_CHECK_SIZE(INTERRUPT_MAN, 9);
VELKOR_CHECK_FIELD(INTERRUPT_MAN, int_flash, 0);
VELKOR_CHECK_FIELD(INTERRUPT_MAN, int_bc, 1);
VELKOR_CHECK_FIELD(INTERRUPT_MAN, int_rt_ren, 2);
VELKOR_CHECK_FIELD(INTERRUPT_MAN, int_rt_ten, 3);
VELKOR_CHECK_FIELD(INTERRUPT_MAN, int_qdat, 4);
VELKOR_CHECK_FIELD(INTERRUPT_MAN, int_hdat, 5);
VELKOR_CHECK_FIELD(INTERRUPT_MAN, int_data_cnt_en, 6);
VELKOR_CHECK_FIELD(INTERRUPT_MAN, int_timeout_itven, 7);
VELKOR_CHECK_FIELD(INTERRUPT_MAN, int_timeout_absen, 8);

VELKOR_CHECK_SIZE(INTERRUPT_SUBADDRESS, 8);
VELKOR_CHECK_FIELD(INTERRUPT_SUBADDRESS, rt_int, 0);
VELKOR_CHECK_FIELD(INTERRUPT_SUBADDRESS, subaddress_mask, 4);

VELKOR_CHECK_SIZE(RT_TR_MODE, 8);
VELKOR_CHECK_FIELD(RT_TR_MODE, subaddress, 0);
VELKOR_CHECK_FIELD(RT_TR_MODE, mode, 4);

VELKOR_CHECK_SIZE(RT_TR_MODE_BUF, 8);
VELKOR_CHECK_FIELD(RT_TR_MODE_BUF, subaddress, 0);
VELKOR_CHECK_FIELD(RT_TR_MODE_BUF, cmd_buf, 4);

VELKOR_CHECK_SIZE(RT_BUF_MAN_EN, 12);
VELKOR_CHECK_FIELD(RT_BUF_MAN_EN, direction, 0);
VELKOR_CHECK_FIELD(RT_BUF_MAN_EN, subaddress_mask, 4);
VELKOR_CHECK_FIELD(RT_BUF_MAN_EN, action_mask, 8);

VELKOR_CHECK_SIZE(RT_TR_BUF_SUBADDR, 66);
VELKOR_CHECK_FIELD(RT_TR_BUF_SUBADDR, num_buf, 0);
VELKOR_CHECK_FIELD(RT_TR_BUF_SUBADDR, subaddress, 1);
VELKOR_CHECK_FIELD(RT_TR_BUF_SUBADDR, data_words, 2);

VELKOR_CHECK_SIZE(BC_RAM_BLOCK, 24);
VELKOR_CHECK_FIELD(BC_RAM_BLOCK, type, 0);
VELKOR_CHECK_FIELD(BC_RAM_BLOCK, shift, 4);
VELKOR_CHECK_FIELD(BC_RAM_BLOCK, length, 8);
VELKOR_CHECK_FIELD(BC_RAM_BLOCK, dwords, 16);

VELKOR_CHECK_SIZE(INTERRUPT_BLOCK_BUFFER, 16);
VELKOR_CHECK_FIELD(INTERRUPT_BLOCK_BUFFER, count_blocks, 0);
VELKOR_CHECK_FIELD(INTERRUPT_BLOCK_BUFFER, blocks, 8);

VELKOR_CHECK_CODE(IOCTL_WRITE_REG_MASKED, 0x40106201u);
VELKOR_CHECK_CODE(IOCTL_READ_REG, 0xc0106202u);
VELKOR_CHECK_CODE(IOCTL_SET_MODE, 0x40046204u);
VELKOR_CHECK_CODE(IOCTL_RESET, 0x6205u);
VELKOR_CHECK_CODE(IOCTL_READ_DMA_BLOCKS, 0xc0106206u);
VELKOR_CHECK_CODE(IOCTL_GET_COUNT_DMA_BLOCKS, 0xc0046207u);
VELKOR_CHECK_CODE(IOCTL_START, 0x6208u);
VELKOR_CHECK_CODE(IOCTL_STOP, 0x6209u);
VELKOR_CHECK_CODE(IOCTL_SET_INTERRUPTS, 0x40096210u);
VELKOR_CHECK_CODE(IOCTL_SET_RT_ADDRESS, 0x40016213u);
VELKOR_CHECK_CODE(IOCTL_WRITE_RT_TR_BUF, 0x4042621bu);
VELKOR_CHECK_CODE(IOCTL_WRITE_BC_RAM, 0x4018621du);
VELKOR_CHECK_CODE(IOCTL_GET_VERSION_INFO, 0x8058621fu);
VELKOR_CHECK_CODE(IOCTL_SET_BUS, 0x40046221u);
VELKOR_CHECK_CODE(IOCTL_CHANNEL_ON, 0x40046222u);
VELKOR_CHECK_CODE(IOCTL_SET_RT_TR_MODE, 0x40086223u);
VELKOR_CHECK_CODE(IOCTL_SET_RT_BUF_MAN, 0x400c6224u);
VELKOR_CHECK_CODE(IOCTL_SET_RT_TR_MODE_BUF, 0x40086225u);
VELKOR_CHECK_CODE(IOCTL_SET_INT_SUBADDR_A, 0x40086226u);
VELKOR_CHECK_CODE(IOCTL_SET_INT_SUBADDR_B, 0x40086227u);
VELKOR_CHECK_CODE(IOCTL_GET_DRIVER_VERSION, 0x80046228u);
VELKOR_CHECK_CODE(IOCTL_GET_PCI_LOCATION, 0x800d6229u);
VELKOR_CHECK_CODE(IOCTL_GET_COUNT_INT_BLOCKS, 0xc0046232u);
VELKOR_CHECK_CODE(IOCTL_READ_INT_BLOCKS, 0xc0106233u);
VELKOR_CHECK_CODE(IOCTL_GET_NUMBER_CHANNEL, 0xc0046237u);

#ifdef __cplusplus
}
#endif

#endif
