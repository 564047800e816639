#include "transaction_lines.h"

#include "line_reader.h"
#include "report_line.h"

#include <cstdint>
#include <cstring>

const QString &writeSummaryLine(QString &buffer, const TransactionSummary &summary)
{
    ReportLine line(buffer);
    line << u"Транзакция - тип = ";
    line.decimal(summary.typeTransaction);
    if (summary.success)
        line << u" - нет ошибок - freeTimer: ";
    else
        line << u" - ошибка - freeTimer: ";
    line.decimal(summary.freeTimer) << u" - CntServWords: ";
    line.decimal(summary.countServiceWords16) << u" - CntDataWords: ";
    line.decimal(summary.countDataWords16);
    if (summary.withSubaddress) {
        line << u" - Subaddress: ";
        line.decimal(summary.subaddress);
    }
    if (summary.busB)
        line << u" - Шина: Шина Б";
    else
        line << u" - Шина: Шина А";
    return line.text();
}

const QString &writeDataWordsLine(QString &buffer, const DataWords &dataWords)
{
    ReportLine line(buffer);
    line << u"Слова данных:";
    for (unsigned int i = 0; i < dataWords.listed; ++i) {
        std::uint16_t word;
        std::memcpy(&word, dataWords.words + 2 * i, sizeof word);
        line << u" 0x";
        line.hexadecimal(word);
        line << (i == dataWords.listed - 1 ? u';' : u',');
    }
    if (dataWords.listed < dataWords.claimed) {
        line << u" (";
        line.decimal(dataWords.listed) << u" из ";
        line.decimal(dataWords.claimed) << u")";
    }
    return line.text();
}

namespace {

bool readStatus(LineReader &reader, bool &success)
{
    success = reader.text(u" - нет ошибок - freeTimer: ");
    return success || reader.text(u" - ошибка - freeTimer: ");
}

bool readBus(LineReader &reader, bool &busB)
{
    if (!reader.text(u" - Шина: Шина "))
        return false;
    busB = reader.character(u'Б');
    return (busB || reader.character(u'А')) && reader.atEnd();
}

// Reads the words up to the one followed by ';'.
bool readWords(LineReader &reader, DataWords &dataWords, unsigned char *words)
{
    dataWords.listed = 0;
    for (bool last = false; !last;) {
        unsigned int word = 0;
        if (dataWords.listed == DataWords::maxListed || !reader.text(u" 0x") || !reader.hexadecimal(word)
            || word > UINT16_MAX)
            return false;
        const std::uint16_t word16 = std::uint16_t(word);
        std::memcpy(words + 2 * dataWords.listed++, &word16, sizeof word16);
        last = reader.character(u';');
        if (!last && !reader.character(u','))
            return false;
    }
    return true;
}

// " (listed из claimed)" when the block claimed more words than it listed.
bool readClaimed(LineReader &reader, DataWords &dataWords)
{
    dataWords.claimed = dataWords.listed;
    if (reader.atEnd())
        return true;
    unsigned int listed = 0;
    return reader.text(u" (") && reader.decimal(listed) && listed == dataWords.listed && reader.text(u" из ")
           && reader.decimal(dataWords.claimed) && dataWords.claimed > listed && reader.character(u')')
           && reader.atEnd();
}

} // namespace

bool readSummaryLine(QStringView line, TransactionSummary &summary)
{
    LineReader reader(line);
    if (!reader.text(u"Транзакция - тип = ") || !reader.decimal(summary.typeTransaction)
        || !readStatus(reader, summary.success) || !reader.decimal(summary.freeTimer)
        || !reader.text(u" - CntServWords: ") || !reader.decimal(summary.countServiceWords16)
        || !reader.text(u" - CntDataWords: ") || !reader.decimal(summary.countDataWords16))
        return false;
    summary.withSubaddress = reader.text(u" - Subaddress: ");
    if (summary.withSubaddress && !reader.decimal(summary.subaddress))
        return false;
    if (!summary.withSubaddress)
        summary.subaddress = 0;
    return readBus(reader, summary.busB);
}

bool readDataWordsLine(QStringView line, DataWords &dataWords, unsigned char *words)
{
    LineReader reader(line);
    dataWords.words = words;
    return reader.text(u"Слова данных:") && readWords(reader, dataWords, words) && readClaimed(reader, dataWords);
}
