#ifndef TRANSACTION_LINES_H
#define TRANSACTION_LINES_H

#include <QString>
#include <QStringView>

// The two lines that report a bus transaction, written from their values and
// read back into them. The report writes them; the terminal keeps a line it
// can read back as its values, which take a fraction of the text's memory,
// and writes the text again whenever it is asked for. Both go through the
// same writer, and a line is read only when it is exactly what the writer
// makes of the values read, so the text that comes back is the one written.

// "Транзакция - тип = %1 - %2 - freeTimer: %3 - CntServWords: %4 -
//  CntDataWords: %5[ - Subaddress: %6] - Шина: %7"
struct TransactionSummary {
    unsigned int typeTransaction = 0;
    bool success = false;
    unsigned int freeTimer = 0;
    unsigned int countServiceWords16 = 0;
    unsigned int countDataWords16 = 0;
    bool withSubaddress = false;
    unsigned int subaddress = 0;
    bool busB = false;
};

// "Слова данных:" then " 0x%1," a word and " 0x%1;" for the last. A block
// has room for fewer words than its count field can claim: a line that lists
// fewer than claimed ends in " (listed из claimed)".
struct DataWords {
    static constexpr unsigned int maxListed = 32;
    unsigned int listed = 0;  // 1 to maxListed
    unsigned int claimed = 0; // listed, or more when the block claimed more
    // The words as the block holds them, 16 bits each in the machine's order.
    const unsigned char *words = nullptr;
};

// Write the line into buffer, which every line may reuse, and return it.
const QString &writeSummaryLine(QString &buffer, const TransactionSummary &summary);
const QString &writeDataWordsLine(QString &buffer, const DataWords &dataWords);

// False when the line is not one that the writer makes. A data-word line's
// words go to words, which has room for DataWords::maxListed of them.
bool readSummaryLine(QStringView line, TransactionSummary &summary);
bool readDataWordsLine(QStringView line, DataWords &dataWords, unsigned char *words);

#endif
