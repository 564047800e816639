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

// A saturated bus brings tens of thousands of blocks a tick, so the lines are
// appended piece by piece into one buffer rather than substituted into
// format strings: the text is the same, the cost a fraction.
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
QString summaryLine(const Transaction &t, bool terminal)
{
    QString line;
    line.reserve(128);
    line += QStringLiteral("Транзакция - тип = ");
    line += QString::number(t.typeTransaction);
    line += t.isSuccessTransaction != 0 ? QStringLiteral(" - нет ошибок - freeTimer: ")
                                        : QStringLiteral(" - ошибка - freeTimer: ");
    line += QString::number(t.freeTimer);
    line += QStringLiteral(" - CntServWords: ");
    line += QString::number(t.countServiceWords16);
    line += QStringLiteral(" - CntDataWords: ");
    line += QString::number(t.countDataWords16);
    if (terminal) {
        line += QStringLiteral(" - Subaddress: ");
        line += QString::number(t.subaddress);
    }
    line += t.activeBus == 0 ? QStringLiteral(" - Шина: Шина А") : QStringLiteral(" - Шина: Шина Б");
    return line;
}

// "Слова данных:" then " 0x%1," per word and " 0x%1;" for the last. The count
// field can say up to 63 words, but a block has room for 32: the listing stops
// at the end of the block and says how many words the block claimed.
QString dataWordsLine(const unsigned char *dataPart, unsigned int countDataWords16)
{
    const unsigned int listed = qMin(countDataWords16, VELKOR_DMA_DATA_WORDS_MAX);
    QString dataWordsString;
    dataWordsString.reserve(16 + 8 * int(listed));
    dataWordsString += QStringLiteral("Слова данных:");
    for (unsigned int i = 0; i < listed; ++i) {
        uint16_t dataWord16;
        std::memcpy(&dataWord16, dataPart + 2 * i, sizeof dataWord16);
        dataWordsString += QLatin1String(" 0x");
        dataWordsString += QString::number(dataWord16, 16);
        dataWordsString += QLatin1Char(i == listed - 1 ? ';' : ',');
    }
    if (listed < countDataWords16)
        dataWordsString += QStringLiteral(" (%1 из %2)").arg(listed).arg(countDataWords16);
    return dataWordsString;
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

    emit signal_writeInTerminal(summaryLine(t, terminal));
    if (t.countDataWords16 != 0)
        emit signal_writeInTerminal(dataWordsLine(velkor_dmaBlock_getPtrDataPart(block), t.countDataWords16));
}
