#include "main_window.h"

#include "terminal/transaction_lines.h"
#include "velkor_library/velkor_library.h"

void MainWindow::processingDmaBlockBc(unsigned char *block)
{
    reportTransaction(0, block);
}

void MainWindow::processingDmaBlockTd(unsigned char *block)
{
    reportTransaction(1, block);
}

// Bus controller blocks (layout 0) and remote terminal blocks (any other
// layout) are reported alike; only the terminal's line names the subaddress.
void MainWindow::reportTransaction(unsigned int typeDmaBlock, unsigned char *block)
{
    TransactionSummary t;
    t.success = velkor_dmaBlock_isSuccessTransaction(typeDmaBlock, block) != 0;
    t.typeTransaction = velkor_dmaBlock_getTypeTransaction(typeDmaBlock, block);
    t.freeTimer = velkor_dmaBlock_getFreeTimer(typeDmaBlock, block);
    t.countServiceWords16 = velkor_dmaBlock_getCountServiceWords16(typeDmaBlock, block);
    t.countDataWords16 = velkor_dmaBlock_getCountDataWords16(typeDmaBlock, block);
    t.withSubaddress = typeDmaBlock != 0;
    t.subaddress = t.withSubaddress ? velkor_dmaBlock_tdModeSubaddress(block) : 0;
    t.busB = velkor_dmaBlock_getActiveBus(typeDmaBlock, block) != 0;

    // The lines are written into one buffer that every block reuses.
    static QString buffer;
    emit signal_writeInTerminal(writeSummaryLine(buffer, t));
    if (t.countDataWords16 == 0)
        return;
    // The count field can say up to 63 words, but a block has room for 32:
    // the listing stops at the end of the block and says how many words the
    // block claimed.
    DataWords words;
    words.listed = qMin(t.countDataWords16, VELKOR_DMA_DATA_WORDS_MAX);
    words.claimed = t.countDataWords16;
    words.words = velkor_dmaBlock_getPtrDataPart(block);
    emit signal_writeInTerminal(writeDataWordsLine(buffer, words));
}
