// The board answering the driver's commands, called directly.
#include "records.h"
#include "requests.h"

#include <QtTest>

using namespace records;
using namespace velkor_sim;
namespace rq = velkor_sim::request;

class TestBoardCommands : public QObject {
    Q_OBJECT

private slots:
    void maskedWriteChangesOnlyMaskedBits_data();
    void maskedWriteChangesOnlyMaskedBits();
    void identityCommandsFillRecords();
    void pciLocationAndNumberDifferPerChannel_data();
    void pciLocationAndNumberDifferPerChannel();
    void dmaReadDeliversOnceInOrder_data();
    void dmaReadDeliversOnceInOrder();
    void interruptReadDeliversEntries();
    void resetClearsSettingsButKeepsQueues();
    void logDecodesRecords();
};

void TestBoardCommands::maskedWriteChangesOnlyMaskedBits_data()
{
    QTest::addColumn<quint32>("before");
    QTest::addColumn<quint32>("data");
    QTest::addColumn<quint32>("mask");
    QTest::addColumn<quint32>("after");
    QTest::newRow("set bit 15") << 0x00000001u << 0x8000u << 0x8000u << 0x00008001u;
    QTest::newRow("clear bit 15") << 0xffffffffu << 0u << 0x8000u << 0xffff7fffu;
    QTest::newRow("start field") << 0xf000000fu << 0x0abc0000u << 0x0fff0000u << 0xfabc000fu;
    QTest::newRow("data outside mask") << 0u << 0xffffffffu << 0x0fff0000u << 0x0fff0000u;
    QTest::newRow("empty mask") << 0x1234u << 0xffffffffu << 0u << 0x1234u;
}

void TestBoardCommands::maskedWriteChangesOnlyMaskedBits()
{
    QFETCH(quint32, before);
    QFETCH(quint32, data);
    QFETCH(quint32, mask);
    QFETCH(quint32, after);
    Board board;
    board.setReg(0x2008, before);
    Bytes write(16, 0xee);
    put<uint64_t>(write, 0, 0x2008);
    put<uint32_t>(write, 8, data);
    put<uint32_t>(write, 12, mask);
    QCOMPARE(send(board, 0, rq::kWriteRegMasked, write).result, 0L);

    Bytes read(16, 0xee);
    put<uint64_t>(read, 0, 0x2008);
    QCOMPARE(send(board, 0, rq::kReadReg, read).result, 0L);
    QCOMPARE(get<uint32_t>(read, 8), after);
    QCOMPARE(board.reg(0x2008), after);
    QCOMPARE(board.reg(0x200c), 0u);
}

void TestBoardCommands::identityCommandsFillRecords()
{
    Board board;
    Bytes word(4, 0xee);
    send(board, 0, rq::kGetDriverVersion, word);
    QCOMPARE(get<uint32_t>(word, 0), 0x12100814u);

    Bytes version(88, 0xee);
    QCOMPARE(send(board, 0, rq::kGetVersionInfo, version).result, 0L);
    QCOMPARE(get<uint32_t>(version, 0), 0x4au);
    QCOMPARE(get<uint32_t>(version, 4), 0x1cu);
    QCOMPARE(get<uint32_t>(version, 8), 2u);
    QCOMPARE(get<uint8_t>(version, 12), uint8_t(0x81));
    QCOMPARE(get<uint8_t>(version, 42), uint8_t(0));  // dev_name ends inside its 30 bytes
    QCOMPARE(get<uint64_t>(version, 80), uint64_t(0));
}

void TestBoardCommands::pciLocationAndNumberDifferPerChannel_data()
{
    QTest::addColumn<unsigned>("channel");
    QTest::addColumn<QByteArray>("location");
    QTest::newRow("ch0") << 0u << QByteArray("0000:03:00.0", 13);
    QTest::newRow("ch3") << 3u << QByteArray("0000:03:00.3", 13);
}

void TestBoardCommands::pciLocationAndNumberDifferPerChannel()
{
    QFETCH(unsigned, channel);
    QFETCH(QByteArray, location);
    Board board;
    Bytes pci(13, 0xee);
    send(board, channel, rq::kGetPciLocation, pci);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(pci.data()), 13), location);

    Bytes number(4, 0xee);
    QCOMPARE(send(board, channel, rq::kGetNumberChannel, number).result, 0L);
    QCOMPARE(get<uint32_t>(number, 0), channel);
}

void TestBoardCommands::dmaReadDeliversOnceInOrder_data()
{
    QTest::addColumn<int>("queued");
    QTest::addColumn<quint32>("room");
    QTest::addColumn<quint32>("length");
    QTest::addColumn<quint32>("delivered");
    QTest::newRow("all fit") << 3 << 3u << 384u << 3u;
    QTest::newRow("room for fewer") << 3 << 2u << 256u << 2u;
    QTest::newRow("fewer queued") << 2 << 4u << 512u << 2u;
    QTest::newRow("length below count") << 3 << 3u << 200u << 1u;
    QTest::newRow("nothing queued") << 0 << 2u << 256u << 0u;
}

void TestBoardCommands::dmaReadDeliversOnceInOrder()
{
    QFETCH(int, queued);
    QFETCH(quint32, room);
    QFETCH(quint32, length);
    QFETCH(quint32, delivered);
    Board board;
    for (int i = 0; i < queued; ++i)
        board.queueDmaBlock(2, markedBlock(uint8_t(0x10 + i)));

    Bytes buffer(room * 128, 0xee);
    Bytes record = dmaRead(room, length, buffer);
    QCOMPARE(send(board, 2, rq::kReadDmaBlocks, record).result, 0L);
    QCOMPARE(get<uint32_t>(record, 0), delivered);
    QCOMPARE(get<uint32_t>(record, 4), length);
    for (quint32 i = 0; i < delivered; ++i)
        QCOMPARE(buffer[i * 128 + 127], uint8_t(0x10 + i));
    if (delivered < room)
        QCOMPARE(buffer[delivered * 128], uint8_t(0xee));
    QCOMPARE(board.pendingDmaBlocks(2), std::size_t(queued - delivered));

    Bytes rest(4 * 128, 0xee);
    Bytes again = dmaRead(4, 4 * 128, rest);
    send(board, 2, rq::kReadDmaBlocks, again);
    QCOMPARE(get<uint32_t>(again, 0), quint32(queued) - delivered);
    if (get<uint32_t>(again, 0) > 0)
        QCOMPARE(rest[0], uint8_t(0x10 + delivered));
}

void TestBoardCommands::interruptReadDeliversEntries()
{
    Board board;
    board.queueInterruptBlock(1, {100, 0x5, 7, 8});
    board.queueInterruptBlock(1, {200, 0x6, 0, 0});
    board.queueInterruptBlock(1, {300, 0x7, 0, 0});
    Bytes count(4, 0);
    send(board, 1, rq::kGetCountIntBlocks, count);
    QCOMPARE(get<uint32_t>(count, 0), 3u);

    Bytes entries(2 * 16, 0xee);
    Bytes record(16, 0);
    put<uint32_t>(record, 0, 2);
    put<void *>(record, 8, entries.data());
    QCOMPARE(send(board, 1, rq::kReadIntBlocks, record).result, 0L);
    QCOMPARE(get<uint32_t>(record, 0), 2u);
    QCOMPARE(get<uint32_t>(entries, 0), 100u);
    QCOMPARE(get<uint32_t>(entries, 4), 0x5u);
    QCOMPARE(get<uint32_t>(entries, 12), 8u);
    QCOMPARE(get<uint32_t>(entries, 16), 200u);
    QCOMPARE(board.pendingInterruptBlocks(1), std::size_t(1));
}

void TestBoardCommands::resetClearsSettingsButKeepsQueues()
{
    Board board;
    Bytes mode(4, 0);
    put<uint32_t>(mode, 0, 1);
    send(board, 0, rq::kSetMode, mode);
    Bytes none;
    send(board, 0, rq::kStart, none);
    board.queueDmaBlock(0, markedBlock(1));
    QCOMPARE(board.settings(0).mode, 1u);
    QVERIFY(board.settings(0).started);

    QCOMPARE(send(board, 0, rq::kReset, none).result, 0L);
    QCOMPARE(board.settings(0).mode, 0u);
    QVERIFY(!board.settings(0).started);
    QCOMPARE(board.pendingDmaBlocks(0), std::size_t(1));
}

void TestBoardCommands::logDecodesRecords()
{
    Board board;
    const uint32_t program[] = {0x54f0000, 0x54f0002, 0x19410000};
    Bytes bcRam(24, 0);
    put<uint32_t>(bcRam, 0, 0);
    put<uint32_t>(bcRam, 4, 5);
    put<uint32_t>(bcRam, 8, 3);
    put<const void *>(bcRam, 16, program);
    send(board, 0, rq::kWriteBcRam, bcRam);

    Bytes interrupts(9, 0);
    interrupts[2] = 1;
    interrupts[3] = 1;
    send(board, 1, rq::kSetInterrupts, interrupts);

    Bytes trBuf(66, 0);
    trBuf[1] = 30;
    put<uint16_t>(trBuf, 2, 0xabcd);
    send(board, 2, rq::kWriteRtTrBuf, trBuf);

    Bytes buffer(3 * 128);
    Bytes read = dmaRead(3, 384, buffer);
    send(board, 3, rq::kReadDmaBlocks, read);

    Bytes none;
    send(board, 0, rq::kStop, none);

    std::string words = "0xabcd";
    for (int i = 0; i < 31; ++i)
        words += ",0x0";
    const std::vector<std::string> expected = {
        "ch0 IOCTL_WRITE_BC_RAM type=0 shift=5 length=3 dwords=0x54f0000,0x54f0002,0x19410000",
        "ch1 IOCTL_SET_INTERRUPTS flags=0,0,1,1,0,0,0,0,0",
        "ch2 IOCTL_WRITE_RT_TR_BUF num_buf=0 subaddress=30 data_words=" + words,
        "ch3 IOCTL_READ_DMA_BLOCKS countBlocks=3 length=384",
        "ch0 IOCTL_STOP",
    };
    QCOMPARE(board.log(), expected);
    QCOMPARE(board.settings(0).bcRam[0],
             std::vector<uint32_t>({0, 0, 0, 0, 0, 0x54f0000, 0x54f0002, 0x19410000}));
}

QTEST_APPLESS_MAIN(TestBoardCommands)
#include "tst_board_commands.moc"
