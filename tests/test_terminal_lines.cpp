// Terminal lines as the window stores them: every message comes back exactly,
// a long line keeps its row wide enough, Clear gives the memory of the lines
// back, and the stamp follows the time zone.
#include "window_probe.h"

#include <QDateTime>

#include <cstddef>
#include <malloc.h>

#if defined(__SANITIZE_ADDRESS__)
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

// Bytes the heap hands out at the moment; under AddressSanitizer its own allocator keeps the count.
qint64 heapInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return qint64(__sanitizer_get_current_allocated_bytes());
#else
    const struct mallinfo2 heap = mallinfo2();
    return qint64(heap.uordblks + heap.hblkhd);
#endif
}

void waitForTheNextSecond()
{
    const qint64 second = QDateTime::currentMSecsSinceEpoch() / 1000;
    while (QDateTime::currentMSecsSinceEpoch() / 1000 == second)
        QTest::qSleep(5);
}

QString latin1Bytes()
{
    QByteArray bytes(1, '\0');
    for (int byte = 1; byte < 256; ++byte)
        bytes.append(char(byte));
    return QString::fromLatin1(bytes);
}

} // namespace

class TerminalLinesTest : public QObject
{
    Q_OBJECT

private slots:
    void textGivesBackTheMessageExactly_data()
    {
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << QString();
        QTest::newRow("the tool's Cyrillic") << QString("Транзакция - тип = 1 - ошибка - Шина: Шина Б; Ѐ Ёё ѿ");
        QTest::newRow("Latin-1 bytes of a driver") << latin1Bytes();
        QTest::newRow("Cyrillic with Latin-1 bytes") << "PCI локация: " + latin1Bytes() + ";";
        QTest::newRow("just past Cyrillic") << QString("a Ҁ");
        QTest::newRow("just past Latin-1") << QString("a Ā");
        QTest::newRow("past both") << QString("€ ") + QChar(0xD834) + QChar(0xDD1E);
    }

    void textGivesBackTheMessageExactly()
    {
        QFETCH(QString, message);
        WindowProbe probe;
        emit probe.window.signal_writeInTerminal(message);
        const QString line = probe.terminal()->item(0)->text();
        QCOMPARE(line.size(), WindowProbe::timeStampLength + message.size());
        QCOMPARE(line.mid(12, 2), QString(": "));
        QCOMPARE(line.mid(WindowProbe::timeStampLength), message);
    }

    // All rows take the size of the longest line; the view measures only the
    // last row, so a long line followed by short ones must still fit.
    void aLongLineFitsItsRowAfterShorterOnes()
    {
        WindowProbe probe;
        probe.window.show();
        emit probe.window.signal_writeInTerminal("Слова данных:" + QString(" 0xffff,").repeated(40));
        emit probe.window.signal_writeInTerminal("short");
        QApplication::processEvents();
        QListWidget *terminal = probe.terminal();
        const int textWidth = terminal->fontMetrics().horizontalAdvance(terminal->item(0)->text());
        QVERIFY(terminal->visualItemRect(terminal->item(0)).width() >= textWidth);
    }

    void clearGivesBackTheMemoryOfEveryLine()
    {
        WindowProbe probe;
        const QString message = "Слова данных:" + QString(" 0x1111,").repeated(32);
        const qint64 empty = heapInUse();
        for (int i = 0; i < 20000; ++i)
            emit probe.window.signal_writeInTerminal(message);
        const qint64 lines = heapInUse() - empty;
        QVERIFY(lines > 20000 * message.size());
        probe.click("pushButtonClear");
        QCOMPARE(probe.terminal()->count(), 0);
        QVERIFY2(heapInUse() - empty < lines / 20, qPrintable(QString::number(heapInUse() - empty)));
    }

    // Lines are stamped by whole seconds, so a new zone shows from the next one.
    void stampFollowsAChangeOfTimeZone()
    {
        const QByteArray zone = qgetenv("TZ");
        WindowProbe probe;
        qputenv("TZ", "UTC0");
        waitForTheNextSecond();
        emit probe.window.signal_writeInTerminal("UTC");
        qputenv("TZ", "<+0530>-5:30");
        waitForTheNextSecond();
        emit probe.window.signal_writeInTerminal("UTC+5:30");
        zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone);

        const QTime utc = QTime::fromString(probe.terminal()->item(0)->text().left(12), "hh:mm:ss.zzz");
        const QTime later = QTime::fromString(probe.terminal()->item(1)->text().left(12), "hh:mm:ss.zzz");
        const int shift = (utc.msecsTo(later) + 86400000) % 86400000;
        QVERIFY2(shift > (5 * 60 + 30) * 60000 && shift < (5 * 60 + 30) * 60000 + 2000, qPrintable(QString::number(shift)));
    }
};

QTEST_MAIN(TerminalLinesTest)
#include "test_terminal_lines.moc"
