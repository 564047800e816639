#include "channel_power.h"

#include "velkor_cmd.h"

#include <sys/ioctl.h>

void switchOffChannel(int chDevice)
{
    unsigned int chOn = 0;
    ioctl(chDevice, IOCTL_CHANNEL_ON, &chOn);
    ioctl(chDevice, IOCTL_STOP);
    ioctl(chDevice, IOCTL_RESET);
}
