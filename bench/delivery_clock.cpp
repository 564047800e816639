#include "delivery_clock.h"

#include "velkor_library.h"

#include <QElapsedTimer>

namespace {
double readsMs = 0;
}

extern "C" DMA_READ_BLOCK *__real_velkor_readAllDmaBlocksReadyRead(int fd, unsigned int *cntBlocks);

extern "C" DMA_READ_BLOCK *__wrap_velkor_readAllDmaBlocksReadyRead(int fd, unsigned int *cntBlocks)
{
    QElapsedTimer read;
    read.start();
    DMA_READ_BLOCK *container = __real_velkor_readAllDmaBlocksReadyRead(fd, cntBlocks);
    readsMs += read.nsecsElapsed() / 1e6;
    return container;
}

void resetDeliveryClock()
{
    readsMs = 0;
}

double deliveryMs()
{
    return readsMs;
}
