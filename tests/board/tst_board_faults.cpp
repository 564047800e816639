// Failures the board reports and faults injected by name.
#include "records.h"
#include "requests.h"

#include <QtTest>

#include <cerrno>

using namespace records;
using namespace velkor_sim;
namespace rq = velkor_sim::request;

class TestBoardFaults : public QObject {
    Q_OBJECT

private slots:
    void failingCommandLeavesRecordUnchanged_data();
    void failingCommandLeavesRecordUnchanged();
    void failNextCountsDown();
    void unknownAndUnreachableCommands_data();
    void unknownAndUnreachableCommands();
    void queueChangesBetweenCountAndRead_data();
    void queueChangesBetweenCountAndRead();
    void overreportWritesOnlyWhatFits();
    void clearFaultsRestoresAnswers();
};

void TestBoardFaults::failingCommandLeavesRecordUnchanged_data()
{
    QTest::addColumn<unsigned long>("request");
    QTest::addColumn<int>("size");
    QTest::newRow("number") << rq::kGetNumberChannel << 4;
    QTest::newRow("pci location") << rq::kGetPciLocation << 13;
    QTest::newRow("version") << rq::kGetVersionInfo << 88;
    QTest::newRow("dma count") << rq::kGetCountDmaBlocks << 4;
}

void TestBoardFaults::failingCommandLeavesRecordUnchanged()
{
    QFETCH(unsigned long, request);
    QFETCH(int, size);
    Board board;
    board.failAlways(request);
    Bytes record(size, 0xee);
    const Reply reply = send(board, 1, request, record);
    QCOMPARE(reply.result, -1L);
    QCOMPARE(reply.error, EIO);
    QCOMPARE(record, Bytes(size, 0xee));
}

void TestBoardFaults::failNextCountsDown()
{
    Board board;
    board.failNext(rq::kGetCountIntBlocks, 2);
    Bytes count(4, 0);
    QCOMPARE(send(board, 0, rq::kGetCountIntBlocks, count).error, EIO);
    QCOMPARE(send(board, 0, rq::kGetCountIntBlocks, count).error, EIO);
    QCOMPARE(send(board, 0, rq::kGetCountIntBlocks, count).result, 0L);

    board.failNumberQuery();
    QCOMPARE(send(board, 0, rq::kGetNumberChannel, count).error, EIO);
    QCOMPARE(send(board, 0, rq::kGetNumberChannel, count).error, EIO);
    // Failed commands are still received, so still logged.
    QCOMPARE(board.log().size(), std::size_t(5));
}

void TestBoardFaults::unknownAndUnreachableCommands_data()
{
    QTest::addColumn<unsigned long>("request");
    QTest::addColumn<bool>("reachable");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("logged");
    QTest::newRow("unknown number") << 0x1234UL << true << ENOTTY << "ch0 unknown 0x1234";
    // Number 6 with a size of 8 instead of 16 is not READ_DMA_BLOCKS.
    QTest::newRow("wrong size") << 0xc0086206UL << true << ENOTTY << "ch0 unknown 0xc0086206";
    QTest::newRow("null record") << rq::kReadReg << false << EFAULT
                                 << "ch0 IOCTL_READ_REG <unreadable>";
    QTest::newRow("sign-extended code") << 0xffffffffc0046237UL << true << 0
                                        << "ch0 IOCTL_GET_NUMBER_CHANNEL";
}

void TestBoardFaults::unknownAndUnreachableCommands()
{
    QFETCH(unsigned long, request);
    QFETCH(bool, reachable);
    QFETCH(int, error);
    QFETCH(QString, logged);
    Board board;
    Bytes record(reachable ? 16 : 0, 0);
    const Reply reply = send(board, 0, request, record);
    QCOMPARE(reply.result, error ? -1L : 0L);
    QCOMPARE(reply.error, error);
    QCOMPARE(board.log(), std::vector<std::string>{logged.toStdString()});
}

void TestBoardFaults::queueChangesBetweenCountAndRead_data()
{
    QTest::addColumn<bool>("drop");
    QTest::addColumn<int>("arriving");
    QTest::addColumn<quint32>("delivered");
    QTest::addColumn<int>("left");
    QTest::newRow("queue emptied") << true << 0 << 0u << 0;
    QTest::newRow("more arrive") << false << 2 << 2u << 2;
    QTest::newRow("emptied then one arrives") << true << 1 << 1u << 0;
}

void TestBoardFaults::queueChangesBetweenCountAndRead()
{
    QFETCH(bool, drop);
    QFETCH(int, arriving);
    QFETCH(quint32, delivered);
    QFETCH(int, left);
    Board board;
    board.queueDmaBlock(0, markedBlock(1));
    board.queueDmaBlock(0, markedBlock(2));
    Bytes count(4, 0);
    send(board, 0, rq::kGetCountDmaBlocks, count);
    QCOMPARE(get<uint32_t>(count, 0), 2u);

    if (drop)
        board.dropDmaBlocksBeforeNextRead(0);
    board.queueDmaBlocksBeforeNextRead(0, std::vector<DmaBlock>(arriving, markedBlock(9)));
    Bytes buffer(2 * 128, 0xee);
    Bytes record = dmaRead(2, 256, buffer);
    QCOMPARE(send(board, 0, rq::kReadDmaBlocks, record).result, 0L);
    QCOMPARE(get<uint32_t>(record, 0), delivered);
    QCOMPARE(board.pendingDmaBlocks(0), std::size_t(left));
}

void TestBoardFaults::overreportWritesOnlyWhatFits()
{
    Board board;
    board.queueDmaBlock(0, markedBlock(1));
    board.overreportNextRead(0, 5);
    // The buffer has one spare block: the board must not touch it.
    Bytes buffer(2 * 128, 0xee);
    Bytes record = dmaRead(1, 128, buffer);
    send(board, 0, rq::kReadDmaBlocks, record);
    QCOMPARE(get<uint32_t>(record, 0), 6u);
    QCOMPARE(buffer[127], uint8_t(1));
    QCOMPARE(buffer[128], uint8_t(0xee));

    Bytes again = dmaRead(1, 128, buffer);
    send(board, 0, rq::kReadDmaBlocks, again);
    QCOMPARE(get<uint32_t>(again, 0), 0u);
}

void TestBoardFaults::clearFaultsRestoresAnswers()
{
    Board board;
    board.reportDmaCount(0, 7);
    board.failAlways(rq::kReadReg);
    Bytes count(4, 0);
    send(board, 0, rq::kGetCountDmaBlocks, count);
    QCOMPARE(get<uint32_t>(count, 0), 7u);

    board.clearFaults();
    send(board, 0, rq::kGetCountDmaBlocks, count);
    QCOMPARE(get<uint32_t>(count, 0), 0u);
    Bytes read(16, 0);
    QCOMPARE(send(board, 0, rq::kReadReg, read).result, 0L);
}

QTEST_APPLESS_MAIN(TestBoardFaults)
#include "tst_board_faults.moc"
