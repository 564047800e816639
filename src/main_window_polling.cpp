#include "main_window.h"

#include "velkor_library/velkor_library.h"

void MainWindow::slot_timerDMA()
{
    pollBlockQueues(&MainWindow::processingDmaBlockBc);
}

void MainWindow::slot_timerDMA_RT()
{
    pollBlockQueues(&MainWindow::processingDmaBlockTd);
}

// One tick: list the ready interrupt blocks, then report every ready DMA
// block. The two counts taken first decide whether each queue is read at all
// (and give the interrupt count shown); each read then counts its queue
// again, so blocks that arrive in between are read in this tick, and a busy
// tick sends both counts twice.
void MainWindow::pollBlockQueues(BlockReport reportBlock)
{
    unsigned int err = 0;
    const unsigned int countDmaBlocks = velkor_getCountDmaBlocksReadyRead(chDevice, &err);
    const unsigned int countInterrupts = velkor_getCountInterruptBlocksReadyRead(chDevice);

    if (countInterrupts != 0) {
        emit signal_writeInTerminal(QString("countInterrupts = %1").arg(QString::number(countInterrupts)));
        INTERRUPT_BLOCK_BUFFER *intBlock = velkor_readAllInterruptBlocksReadyRead(chDevice);
        // A failed read leaves no buffer: there is nothing to list, and the
        // DMA queue is still worth draining.
        for (unsigned int i = 0; intBlock && i < intBlock->count_blocks; ++i) {
            const block_info &entry = intBlock->blocks[i];
            emit signal_writeInTerminal(QString("freetimer = %1, interrupt_ch = %2b")
                                            .arg(QString::number(entry.free_timer_value))
                                            .arg(QString::number(entry.interrupt_ch, 2)));
        }
        velkor_freeInterruptBlock(intBlock);
    }

    if (countDmaBlocks == 0)
        return;
    emit signal_writeInTerminal("timerDMA");

    unsigned int countReadedBlocks = 0;
    DMA_READ_BLOCK *dmaBlockContainer = velkor_readAllDmaBlocksReadyRead(chDevice, &countReadedBlocks);
    if (!dmaBlockContainer) {
        emit signal_writeInTerminal("dmaBlock == NULL");
        return;
    }
    for (unsigned int indexBlock = 0; indexBlock < dmaBlockContainer->countBlocks; ++indexBlock)
        (this->*reportBlock)(dmaBlockContainer->data + static_cast<size_t>(indexBlock) * DMA_BLOCK_SIZE);
    velkor_freeDmaReadBlock(dmaBlockContainer);
}
