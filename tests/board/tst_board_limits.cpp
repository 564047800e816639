// Limits of the simulated board that the tool's own tests never reach: a
// board left running while nobody polls, and a pause of the whole process.
#include "board.h"
#include "bus_schedule.h"
#include "queues.h"

#include <QtTest>

using namespace velkor_sim;

class TestBoardLimits : public QObject {
    Q_OBJECT

private slots:
    // A queue that nobody drains must not grow without end: like a ring buffer
    // that overflows, the board drops what no longer fits.
    void fullQueuesDropNewBlocks()
    {
        Board board;
        for (std::size_t i = 0; i <= kQueueCapacity; ++i) {
            board.queueDmaBlock(0, DmaBlock{});
            board.queueInterruptBlock(0, {0, 0, 0, 0});
        }
        QCOMPARE(board.pendingDmaBlocks(0), kQueueCapacity);
        QCOMPARE(board.pendingInterruptBlocks(0), kQueueCapacity);
    }

    void catchUpIsCapped_data()
    {
        QTest::addColumn<int>("elapsedMs");
        QTest::addColumn<quint64>("passes");
        QTest::addColumn<quint64>("nextPassMicros");
        QTest::newRow("under a period") << 499 << quint64(0) << quint64(500000);
        QTest::newRow("two periods") << 1200 << quint64(2) << quint64(500000);
        QTest::newRow("an hour") << 3600000 << quint64(20) << quint64(3590500000ull);
    }

    // After an hour's pause the twenty passes run are the last twenty of that
    // hour, so block timers stay true to the clock.
    void catchUpIsCapped()
    {
        QFETCH(int, elapsedMs);
        QFETCH(quint64, passes);
        QFETCH(quint64, nextPassMicros);
        const BusSchedule::Steady::time_point start{};
        const auto now = start + std::chrono::milliseconds(elapsedMs);
        BusSchedule schedule(start);
        QCOMPARE(quint64(schedule.catchUp(now)), passes);
        QCOMPARE(quint64(schedule.nextPass()), nextPassMicros);
        QCOMPARE(quint64(schedule.catchUp(now)), quint64(0));
    }
};

QTEST_APPLESS_MAIN(TestBoardLimits)
#include "tst_board_limits.moc"
