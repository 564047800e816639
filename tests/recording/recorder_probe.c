/* Makes the calls a recorded session is checked against and prints, for
 * each, what it saw: "NAME result=R errno=E" and what came back. errno is set
 * to EDOM before every call, so a call that succeeds shows whether anything
 * between the program and the driver changed it. */
#include <errno.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/ioctl.h>
#include <unistd.h>

#define GET_DRIVER_VERSION 0x80046228UL
#define GET_VERSION_INFO 0x8058621fUL
#define WRITE_BC_RAM 0x4018621dUL
#define SET_MODE 0x40046204UL
#define SET_RT_ADDRESS 0x40016213UL
#define START 0x6208UL
#define CHANNEL_ON 0x40046222UL
#define GET_COUNT_DMA_BLOCKS 0xc0046207UL
#define READ_DMA_BLOCKS 0xc0106206UL
/* A number the command set leaves out. */
#define UNKNOWN_COMMAND 0x6230UL

enum { kRoomBlocks = 64, kBlockBytes = 128, kMode = 2, kAddress = 5 };

struct BcRamBlock {
    uint32_t type, shift, length, pad;
    const uint32_t *dwords;
};

struct DmaReadBlock {
    uint32_t countBlocks, length;
    uint8_t *data;
};

static const uint32_t kWords[] = {0x11223344, 0x55667788, 0x99aabbcc, 0xddeeff00};
static uint8_t blocks[kRoomBlocks * kBlockBytes];

static int call(int fd, const char *name, unsigned long request, void *argument)
{
    errno = EDOM;
    const int result = ioctl(fd, request, argument);
    printf("%s result=%d errno=%d", name, result, errno);
    return result;
}

static void printHex(const char *label, const void *bytes, size_t size)
{
    printf(" %s=", label);
    for (size_t i = 0; i < size; ++i)
        printf("%02x", ((const uint8_t *)bytes)[i]);
}

static void setUpTerminal(int fd)
{
    uint32_t mode = kMode, on = 1;
    uint8_t address = kAddress;
    call(fd, "IOCTL_SET_MODE", SET_MODE, &mode);
    putchar('\n');
    call(fd, "IOCTL_SET_RT_ADDRESS", SET_RT_ADDRESS, &address);
    putchar('\n');
    call(fd, "IOCTL_START", START, NULL);
    putchar('\n');
    call(fd, "IOCTL_CHANNEL_ON", CHANNEL_ON, &on);
    putchar('\n');
}

/* The external bus controller addresses the terminal twice a second. */
static void waitForBlocks(int fd)
{
    uint32_t count = 0;
    int polls = 0;
    while (count == 0 && polls < 200) {
        ++polls;
        call(fd, "IOCTL_GET_COUNT_DMA_BLOCKS", GET_COUNT_DMA_BLOCKS, &count);
        printf(" count=%u\n", count);
        if (count == 0)
            usleep(50000);
    }
}

int main(void)
{
    errno = EDOM;
    const int fd = open("/dev/mil1553dev-0-ch-0", O_RDWR);
    printf("open result=%d errno=%d\n", fd, errno);

    uint32_t version = 0;
    call(fd, "IOCTL_GET_DRIVER_VERSION", GET_DRIVER_VERSION, &version);
    printHex("value", &version, sizeof version);
    putchar('\n');
    uint8_t info[88] = {0};
    call(fd, "IOCTL_GET_VERSION_INFO", GET_VERSION_INFO, info);
    printHex("value", info, sizeof info);
    putchar('\n');
    call(fd, "IOCTL_GET_DRIVER_VERSION", GET_DRIVER_VERSION, NULL);
    printf(" argument=null\n");
    struct BcRamBlock bcRam = {2, 0, 4, 0, kWords};
    call(fd, "IOCTL_WRITE_BC_RAM", WRITE_BC_RAM, &bcRam);
    putchar('\n');

    setUpTerminal(fd);
    waitForBlocks(fd);
    struct DmaReadBlock read = {kRoomBlocks, sizeof blocks, blocks};
    call(fd, "IOCTL_READ_DMA_BLOCKS", READ_DMA_BLOCKS, &read);
    printf(" count=%u", read.countBlocks);
    printHex("value", blocks, (size_t)read.countBlocks * kBlockBytes);
    putchar('\n');
    call(fd, "unknown", UNKNOWN_COMMAND, NULL);
    putchar('\n');

    const int null = open("/dev/null", O_RDWR);
    int pending = 0;
    call(null, "null", FIONREAD, &pending);
    putchar('\n');
    close(null);

    errno = EDOM;
    const int closed = close(fd);
    printf("close result=%d errno=%d\n", closed, errno);
    call(fd, "closed", GET_DRIVER_VERSION, &version);
    putchar('\n');
    return 0;
}
