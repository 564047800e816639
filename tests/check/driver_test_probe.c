/* What the tool's driver test sends on channel 0 of board 0, and no more:
 * the recorded session that velkor-sim --check is tried on end to end. */
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <sys/ioctl.h>
#include <unistd.h>

#define GET_DRIVER_VERSION 0x80046228UL
#define GET_VERSION_INFO 0x8058621fUL
#define GET_PCI_LOCATION 0x800d6229UL

int main(void)
{
    uint32_t version = 0;
    uint8_t info[88] = {0};
    char location[13] = {0};
    const int fd = open("/dev/mil1553dev-0-ch-0", O_RDWR);
    if (fd < 0) {
        perror("/dev/mil1553dev-0-ch-0");
        return 1;
    }
    ioctl(fd, GET_DRIVER_VERSION, &version);
    ioctl(fd, GET_VERSION_INFO, info);
    ioctl(fd, GET_PCI_LOCATION, location);
    close(fd);
    return 0;
}
