// Terminal lines as the window stores them: every message comes back exactly
// behind its local time, every row is as wide as the longest line, Clear gives
// the memory of the lines back, the stamp follows the time zone, and at its
// memory ceiling the terminal cuts only its oldest lines, in blocks.
#include "terminal/terminal_line.h"
#include "terminal/terminal_writer.h"
#include "window_probe.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QScrollBar>

#include <cstddef>
#include <ctime>
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

// By the system clock that the stamps read, not Qt's: Qt 6 rounds its current
// time to the nearest millisecond, so it can show the next second first.
// time(2) may lag behind that clock, never lead it.
void waitForTheNextSecond()
{
    for (const time_t second = time(nullptr); time(nullptr) == second;)
        QTest::qSleep(5);
}

// From one time of day to another the short way round the clock, so that a
// test running across midnight sees milliseconds, not a day.
int msecsOnTheClock(const QTime &from, const QTime &to)
{
    const int day = 86400000;
    return (from.msecsTo(to) % day + day + day / 2) % day - day / 2;
}

} // namespace

class TerminalLinesTest : public QObject
{
    Q_OBJECT

private slots:
    void textGivesBackTheMessageExactly_data()
    {
        QTest::addColumn<QString>("message");
        QString latin1Bytes;
        for (int byte = 0; byte < 256; ++byte)
            latin1Bytes += QChar(byte);
        QTest::newRow("empty") << QString();
        QTest::newRow("format placeholders") << QString("100% done %1 %2");
        QTest::newRow("the tool's Cyrillic") << QString("Транзакция - тип = 1 - ошибка - Шина: Шина Б; Ѐ Ёё ѿ");
        QTest::newRow("Latin-1 bytes of a driver") << latin1Bytes;
        QTest::newRow("Cyrillic with Latin-1 bytes") << "PCI локация: " + latin1Bytes + ";";
        QTest::newRow("one Latin-1 letter early in a long line") << QString("PCI локация: é0000:03:00.0 slot 5;");
        // Long enough that the neighbours of the Cyrillic block fall in the
        // first sixteen characters, which are converted eight at a time.
        const QString pastTheVectorBlock = QString(".").repeated(16);
        QTest::newRow("just before Cyrillic") << "a " + QString(QChar(0x03FF)) + pastTheVectorBlock;
        QTest::newRow("just past Cyrillic") << "a Ҁ" + pastTheVectorBlock;
        QTest::newRow("Cyrillic's first and last") << "Ѐ ѿ" + pastTheVectorBlock;
        QTest::newRow("just past Latin-1") << "a Ā" + pastTheVectorBlock;
        QTest::newRow("past both") << QString("€ ") + QChar(0xD834) + QChar(0xDD1E);
        // The report's lines are kept as their numbers: what comes back must
        // be the line itself, and a line that only looks like one must come
        // back as it was too.
        const QString bc = "Транзакция - тип = 2 - нет ошибок - freeTimer: 700 - CntServWords: 2 - CntDataWords: 3 - Шина: Шина Б";
        const QString rt = "Транзакция - тип = 1 - ошибка - freeTimer: 900 - CntServWords: 1 - CntDataWords: 0 - Subaddress: 5 - Шина: Шина А";
        QTest::newRow("bus controller summary") << bc;
        QTest::newRow("remote terminal summary") << rt;
        QTest::newRow("summary of the largest numbers")
            << "Транзакция - тип = 255 - ошибка - freeTimer: 4294967295 - CntServWords: 255 - CntDataWords: 255 - Subaddress: 255 - Шина: Шина Б";
        QTest::newRow("summary of zeros")
            << "Транзакция - тип = 0 - нет ошибок - freeTimer: 0 - CntServWords: 0 - CntDataWords: 0 - Шина: Шина А";
        QTest::newRow("summary with a number past a byte") << QString(bc).replace("тип = 2", "тип = 256");
        QTest::newRow("summary with a leading zero") << QString(bc).replace("freeTimer: 700", "freeTimer: 0700");
        QTest::newRow("summary past 32 bits") << QString(bc).replace("freeTimer: 700", "freeTimer: 4294967296");
        QTest::newRow("summary of another bus") << QString(bc).replace("Шина Б", "Шина В");
        QTest::newRow("summary with more behind it") << bc + " ";
        QTest::newRow("summary cut short") << bc.left(bc.size() - 1);
        QTest::newRow("summary with a sign") << QString(rt).replace("Subaddress: 5", "Subaddress: -5");
        QTest::newRow("one data word") << QString("Слова данных: 0x0;");
        QTest::newRow("three data words") << QString("Слова данных: 0x1, 0xff, 0xabc;");
        QString listed;
        for (int word = 0; word < 32; ++word)
            listed += QString(" 0x%1%2").arg(QString::number(0xffff - word * 0x811, 16)).arg(word == 31 ? ';' : ',');
        QTest::newRow("32 data words") << "Слова данных:" + listed;
        QTest::newRow("32 of 63 data words") << "Слова данных:" + listed + " (32 из 63)";
        QTest::newRow("a claim no larger than the list") << "Слова данных:" + listed + " (32 из 32)";
        QTest::newRow("a claim of another list") << "Слова данных:" + listed + " (31 из 63)";
        QTest::newRow("33 data words") << "Слова данных:" + QString(listed).replace(";", ",") + " 0x1;";
        QTest::newRow("an upper-case word") << QString("Слова данных: 0x1, 0xAB;");
        QTest::newRow("a word with a leading zero") << QString("Слова данных: 0x01;");
        QTest::newRow("a word past 16 bits") << QString("Слова данных: 0x10000;");
        QTest::newRow("no word") << QString("Слова данных:");
        QTest::newRow("words without their end") << QString("Слова данных: 0x1, 0x2");
        QTest::newRow("words ending twice") << QString("Слова данных: 0x1;;");
    }

    void textGivesBackTheMessageExactly()
    {
        QFETCH(QString, message);
        WindowProbe probe;
        emit probe.window.signal_writeInTerminal(message);
        const QString line = probe.terminal()->item(0)->text();
        QVERIFY2(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d: $").match(line.left(WindowProbe::timeStampLength)).hasMatch(),
                 qPrintable(line));
        QCOMPARE(line.mid(WindowProbe::timeStampLength), message);
        QCOMPARE(probe.terminal()->item(0)->data(Qt::DisplayRole).toString(), line);
    }

    // A busy bus's lines are nearly all summaries and data-word lines: kept
    // as their numbers, each takes less than its text alone would.
    void reportLinesTakeAFractionOfTheirText()
    {
        QString words;
        for (int word = 0; word < 32; ++word)
            words += QString(" 0x%1%2").arg(QString::number(0x1111 * (word % 15 + 1), 16)).arg(word == 31 ? ';' : ',');
        for (const auto &[message, mostBytes] : {std::pair{QString("Транзакция - тип = 1 - нет ошибок - freeTimer: 4000000000 - "
                                                                   "CntServWords: 2 - CntDataWords: 32 - Subaddress: 5 - Шина: Шина Б"), 128},
                                                 {"Слова данных:" + words, 200}}) {
            WindowProbe probe;
            const int lines = 20000;
            const qint64 empty = heapInUse();
            for (int i = 0; i < lines; ++i)
                emit probe.window.signal_writeInTerminal(message);
            const qint64 perLine = (heapInUse() - empty) / lines;
            QVERIFY2(perLine <= mostBytes, qPrintable(QString("%1 bytes a line of %2").arg(perLine).arg(message)));
            QCOMPARE(probe.messages().constLast(), message);
        }
    }

    // Rows are laid out without measuring each one: all take the size of the
    // longest line written since the last Clear, wherever it stands. Clear
    // also gives the memory of every line back.
    void clearStartsTheRowsAndTheMemoryAfresh()
    {
        WindowProbe probe;
        probe.window.show();
        QListWidget *terminal = probe.terminal();
        for (const QString &message : {QString("short"), "Слова данных:" + QString(" 0xffff,").repeated(40), QString("short")})
            emit probe.window.signal_writeInTerminal(message);
        QApplication::processEvents();
        const int textWidth = terminal->fontMetrics().horizontalAdvance(terminal->item(1)->text());
        QVERIFY(terminal->visualItemRect(terminal->item(1)).width() >= textWidth);
        QVERIFY(terminal->horizontalScrollBar()->maximum() > 0);
        probe.click("pushButtonClear");

        const QString message = "Слова данных:" + QString(" 0x1111,").repeated(32);
        const qint64 empty = heapInUse();
        for (int i = 0; i < 20000; ++i)
            emit probe.window.signal_writeInTerminal(message);
        const qint64 lines = heapInUse() - empty;
        QVERIFY(lines > 20000 * message.size());
        probe.click("pushButtonClear");
        QCOMPARE(terminal->count(), 0);
        QVERIFY2(heapInUse() - empty < lines / 20, qPrintable(QString::number(heapInUse() - empty)));
        emit probe.window.signal_writeInTerminal("short");
        QApplication::processEvents();
        QCOMPARE(probe.messages(), QStringList{"short"});
        QCOMPARE(terminal->horizontalScrollBar()->maximum(), 0);
    }

    // A ceiling of 1 MB: 20 ticks' worth of numbered data-word lines.
    void atItsCeilingTheTerminalCutsItsOldestLinesInBlocks()
    {
        QListWidget terminal;
        const std::uint64_t ceiling = 1 << 20;
        TerminalWriter writer(&terminal, ceiling);
        QVector<int> cuts;
        int removals = 0;
        connect(terminal.model(), &QAbstractItemModel::rowsAboutToBeRemoved,
                [&](const QModelIndex &, int first) { removals += first == 0 ? 1 : 1000; });
        const QString words = QString(" 0x1111,").repeated(32);
        const qint64 empty = heapInUse();
        for (int round = 0; round < 2; ++round) {
            for (int line = 0; line < 20000; ++line) {
                const int held = terminal.count();
                const qint64 used = heapInUse() - empty;
                if (const int cut = writer.makeRoom()) {
                    // Nothing goes below the ceiling, and a cut takes a large block at once.
                    QVERIFY2(used > qint64(ceiling) * 7 / 8, qPrintable(QString::number(used)));
                    QVERIFY2(cut > held / 5, qPrintable(QString::number(cut)));
                    cuts.append(cut);
                }
                writer.append(QString::number(line) + words);
            }
            QVERIFY(heapInUse() - empty < qint64(ceiling));
            // The newest lines are all there, in order.
            QCOMPARE(terminal.item(0)->text().mid(WindowProbe::timeStampLength).section(' ', 0, 0).toInt(),
                     20000 - terminal.count());
            QVERIFY(terminal.item(terminal.count() - 1)->text().endsWith(QString::number(19999) + words));
            QVERIFY(cuts.size() > 3);
            QCOMPARE(removals, cuts.size());
            // After Clear the terminal fills up to its ceiling afresh.
            terminal.clear();
            cuts.clear();
            removals = 0;
        }
    }

    // The tests run in a zone far from UTC (tests/CMakeLists.txt), so a stamp
    // in the wrong zone shows. Lines are stamped by whole seconds, so a change
    // of zone shows from the next one; the lines written before keep theirs.
    void stampIsTheLocalTimeAndFollowsAChangeOfZone()
    {
        WindowProbe probe;
        const auto line = [&](int row) { return probe.terminal()->item(row)->text(); };
        const QByteArray zone = qgetenv("TZ");
        const QTime before = QTime::currentTime();
        const int offset = QDateTime::currentDateTime().offsetFromUtc() * 1000;
        emit probe.window.signal_writeInTerminal("local");
        emit probe.window.signal_writeInTerminal("Транзакция - тип = 0 - нет ошибок - freeTimer: 0 - CntServWords: 0 - "
                                                 "CntDataWords: 0 - Шина: Шина А");
        const QStringList written{line(0), line(1)};
        qputenv("TZ", "UTC0");
        waitForTheNextSecond();
        emit probe.window.signal_writeInTerminal("UTC");
        const QStringList writtenBeforeTheChange{line(0), line(1)};
        zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone);

        QCOMPARE(writtenBeforeTheChange, written);
        const QTime local = QTime::fromString(line(0).left(12), "hh:mm:ss.zzz");
        const QTime utc = QTime::fromString(line(2).left(12), "hh:mm:ss.zzz");
        QVERIFY2(local.isValid() && utc.isValid(), qPrintable(line(0) + " / " + line(2)));
        QVERIFY2(qAbs(msecsOnTheClock(before, local)) < 1000, qPrintable(line(0)));
        // How far local minus UTC is from the zone's offset.
        const int drift = msecsOnTheClock(utc.addMSecs(offset), local);
        QVERIFY2(drift > -2000 && drift <= 0, qPrintable(QString::number(drift)));
    }

    // Zones that count leap seconds show a 60th second.
    void theStampWritesEachFieldInFull()
    {
        for (const auto &[stamp, text] : {std::pair{TerminalStamp{23, 59, 60, 999}, "23:59:60.999: "},
                                          {TerminalStamp{0, 5, 3, 7}, "00:05:03.007: "}}) {
            char written[TerminalStamp::textLength];
            stamp.writeText(written);
            QCOMPARE(QByteArray(written, sizeof written), QByteArray(text));
        }
    }
};

QTEST_MAIN(TerminalLinesTest)
#include "test_terminal_lines.moc"
