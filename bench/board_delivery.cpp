#include "board_delivery.h"

#include "velkor_library.h"

#include <QElapsedTimer>
#include <QThread>

#include <cstdio>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

bool startRemoteTerminal(int fd)
{
    unsigned int mode = 2, on = 1;
    unsigned char address = 1;
    return fd >= 0 && ioctl(fd, IOCTL_SET_MODE, &mode) == 0 && ioctl(fd, IOCTL_SET_RT_ADDRESS, &address) == 0
           && ioctl(fd, IOCTL_CHANNEL_ON, &on) == 0 && ioctl(fd, IOCTL_START) == 0;
}

// About 10 s at the bus's own pace; each count runs the bus up to now.
bool waitForBlocks(int fd, unsigned int blocks)
{
    QElapsedTimer waited;
    waited.start();
    for (unsigned int err = 0; velkor_getCountDmaBlocksReadyRead(fd, &err) < blocks || err != 0; err = 0) {
        if (waited.elapsed() > 60000)
            return false;
        QThread::msleep(50);
    }
    return true;
}

} // namespace

int measureDelivery()
{
    const int fd = ::open("/dev/mil1553dev-0-ch-0", O_RDWR);
    if (!startRemoteTerminal(fd)) {
        std::fprintf(stderr, "no remote terminal on channel 0: run under velkor-sim --load max\n");
        return 1;
    }
    // The first read is the one before, as a tick's is: both sides then
    // have had buffers of this size once.
    for (int read = 0; read < 2; ++read) {
        if (!waitForBlocks(fd, 40000)) {
            std::fprintf(stderr, "the bus brought fewer than 40000 blocks in a minute\n");
            return 1;
        }
        unsigned int count = 0;
        QElapsedTimer timer;
        timer.start();
        DMA_READ_BLOCK *container = velkor_readAllDmaBlocksReadyRead(fd, &count);
        const double ms = timer.nsecsElapsed() / 1e6;
        if (!container)
            return 1;
        if (read == 1)
            std::printf("delivery %u %.3f\n", container->countBlocks, ms);
        velkor_freeDmaReadBlock(container);
    }
    ::close(fd);
    return 0;
}
