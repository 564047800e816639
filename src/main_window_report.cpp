#include "main_window.h"

#include "velkor_library/velkor_library.h"

#include <cstring>

void MainWindow::processingDmaBlockBc(unsigned char *block)
{
    reportTransaction(0, block);
}

void MainWindow::processingDmaBlockTd(unsigned char *block)
{
    reportTransaction(1, block);
}

namespace {

// The count field can say up to 63 words, but a block has room for 32: the
// listing stops at the end of the block and says how many the block claimed.
QString dataWordsLine(const unsigned char *dataPart, unsigned int countDataWords16)
{
    const unsigned int listed = qMin(countDataWords16, VELKOR_DMA_DATA_WORDS_MAX);
    QString dataWordsString("Слова данных:");
    for (unsigned int i = 0; i < listed; ++i) {
        uint16_t dataWord16;
        std::memcpy(&dataWord16, dataPart + 2 * i, sizeof dataWord16);
        dataWordsString += QString(i == listed - 1 ? " 0x%1;" : " 0x%1,").arg(QString::number(dataWord16, 16));
    }
    if (listed < countDataWords16)
        dataWordsString += QString(" (%1 из %2)").arg(QString::number(listed)).arg(QString::number(countDataWords16));
    return dataWordsString;
}

} // namespace

// Bus controller blocks (layout 0) and remote terminal blocks (any other
// layout) are reported alike; only the terminal's line names the subaddress.
void MainWindow::reportTransaction(unsigned int typeDmaBlock, unsigned char *block)
{
    const bool terminal = typeDmaBlock != 0;
    const unsigned int isSuccessTransaction = velkor_dmaBlock_isSuccessTransaction(typeDmaBlock, block);
    const unsigned int typeTransaction = velkor_dmaBlock_getTypeTransaction(typeDmaBlock, block);
    const unsigned int freeTimer = velkor_dmaBlock_getFreeTimer(typeDmaBlock, block);
    const unsigned int countServiceWords16 = velkor_dmaBlock_getCountServiceWords16(typeDmaBlock, block);
    const unsigned int countDataWords16 = velkor_dmaBlock_getCountDataWords16(typeDmaBlock, block);
    const unsigned int subaddress = terminal ? velkor_dmaBlock_tdModeSubaddress(block) : 0;
    const unsigned int activeBus = velkor_dmaBlock_getActiveBus(typeDmaBlock, block);

    QString summary = QString(terminal ? "Транзакция - тип = %1 - %2 - freeTimer: %3 - CntServWords: %4 - "
                                         "CntDataWords: %5 - Subaddress: %6 - Шина: %7"
                                       : "Транзакция - тип = %1 - %2 - freeTimer: %3 - CntServWords: %4 - "
                                         "CntDataWords: %5 - Шина: %7")
                          .arg(QString::number(typeTransaction))
                          .arg(isSuccessTransaction != 0 ? "нет ошибок" : "ошибка")
                          .arg(QString::number(freeTimer))
                          .arg(QString::number(countServiceWords16))
                          .arg(QString::number(countDataWords16));
    if (terminal)
        summary = summary.arg(QString::number(subaddress));
    emit signal_writeInTerminal(summary.arg(activeBus == 0 ? "Шина А" : "Шина Б"));

    if (countDataWords16 != 0)
        emit signal_writeInTerminal(dataWordsLine(velkor_dmaBlock_getPtrDataPart(block), countDataWords16));
}
