#include "main_window.h"

#include "terminal/report_line.h"
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

struct Transaction {
    unsigned int isSuccessTransaction;
    unsigned int typeTransaction;
    unsigned int freeTimer;
    unsigned int countServiceWords16;
    unsigned int countDataWords16;
    unsigned int subaddress;
    unsigned int activeBus;
};

// "Транзакция - тип = %1 - %2 - freeTimer: %3 - CntServWords: %4 - CntDataWords: %5
//  [- Subaddress: %6] - Шина: %7"
const QString &summaryLine(QString &buffer, const Transaction &t, bool terminal)
{
    ReportLine line(buffer);
    line << u"Транзакция - тип = ";
    line.decimal(t.typeTransaction);
    if (t.isSuccessTransaction != 0)
        line << u" - нет ошибок - freeTimer: ";
    else
        line << u" - ошибка - freeTimer: ";
    line.decimal(t.freeTimer) << u" - CntServWords: ";
    line.decimal(t.countServiceWords16) << u" - CntDataWords: ";
    line.decimal(t.countDataWords16);
    if (terminal) {
        line << u" - Subaddress: ";
        line.decimal(t.subaddress);
    }
    if (t.activeBus == 0)
        line << u" - Шина: Шина А";
    else
        line << u" - Шина: Шина Б";
    return line.text();
}

// "Слова данных:" then " 0x%1," per word and " 0x%1;" for the last. The count
// field can say up to 63 words, but a block has room for 32: the listing stops
// at the end of the block and says how many words the block claimed.
const QString &dataWordsLine(QString &buffer, const unsigned char *dataPart, unsigned int countDataWords16)
{
    const unsigned int listed = qMin(countDataWords16, VELKOR_DMA_DATA_WORDS_MAX);
    ReportLine line(buffer);
    line << u"Слова данных:";
    for (unsigned int i = 0; i < listed; ++i) {
        uint16_t dataWord16;
        std::memcpy(&dataWord16, dataPart + 2 * i, sizeof dataWord16);
        line << u" 0x";
        line.hexadecimal(dataWord16);
        line << (i == listed - 1 ? u';' : u',');
    }
    if (listed < countDataWords16) {
        line << u" (";
        line.decimal(listed) << u" из ";
        line.decimal(countDataWords16) << u")";
    }
    return line.text();
}

} // namespace

// Bus controller blocks (layout 0) and remote terminal blocks (any other
// layout) are reported alike; only the terminal's line names the subaddress.
void MainWindow::reportTransaction(unsigned int typeDmaBlock, unsigned char *block)
{
    const bool terminal = typeDmaBlock != 0;
    Transaction t;
    t.isSuccessTransaction = velkor_dmaBlock_isSuccessTransaction(typeDmaBlock, block);
    t.typeTransaction = velkor_dmaBlock_getTypeTransaction(typeDmaBlock, block);
    t.freeTimer = velkor_dmaBlock_getFreeTimer(typeDmaBlock, block);
    t.countServiceWords16 = velkor_dmaBlock_getCountServiceWords16(typeDmaBlock, block);
    t.countDataWords16 = velkor_dmaBlock_getCountDataWords16(typeDmaBlock, block);
    t.subaddress = terminal ? velkor_dmaBlock_tdModeSubaddress(block) : 0;
    t.activeBus = velkor_dmaBlock_getActiveBus(typeDmaBlock, block);

    // The lines are written into one buffer that every block reuses.
    static QString buffer;
    emit signal_writeInTerminal(summaryLine(buffer, t, terminal));
    if (t.countDataWords16 != 0)
        emit signal_writeInTerminal(dataWordsLine(buffer, velkor_dmaBlock_getPtrDataPart(block), t.countDataWords16));
}
