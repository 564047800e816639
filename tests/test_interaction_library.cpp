// The interaction library against the simulated board, through open and ioctl.
#include "board_fixture.h"
#include "channel_descriptor.h"
#include "dma_blocks.h"
#include "velkor_library.h"

#include <QtTest>

namespace {

const unsigned long GET_COUNT_DMA = 0xc0046207, READ_DMA = 0xc0106206;
const unsigned long GET_COUNT_INT = 0xc0046232, READ_INT = 0xc0106233;

velkor_sim::DmaBlock numberedBlock(uint16_t n)
{
    return controllerBlock(1, true, n, 0, {n}, false);
}

uint16_t firstDataWord(const DMA_READ_BLOCK *container, unsigned index)
{
    uint16_t word;
    std::memcpy(&word, container->data + index * 128 + 64, 2);
    return word;
}

} // namespace

class InteractionLibraryTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { BoardFixture::simulated(); }
    void init() { BoardFixture::reset(); }

    void channelNumberComesFromTheDriver()
    {
        for (int channel = 0; channel < 4; ++channel) {
            ChannelDescriptor node(channel);
            QCOMPARE(velkor_getNumberChannel(node.fd()), unsigned(channel));
        }
        BoardFixture::board().failNumberQuery();
        ChannelDescriptor node(1);
        QCOMPARE(velkor_getNumberChannel(node.fd()), 0xFFFFFFFFu);
    }

    void readsEveryReadyDmaBlockOnceInOrder()
    {
        ChannelDescriptor node(0);
        for (uint16_t n = 1; n <= 3; ++n)
            BoardFixture::board().queueDmaBlock(0, numberedBlock(n));
        unsigned int count = 0;
        DMA_READ_BLOCK *container = velkor_readAllDmaBlocksReadyRead(node.fd(), &count);
        QVERIFY(container);
        QCOMPARE(count, 3u);
        QCOMPARE(container->countBlocks, 3u);
        QCOMPARE(container->length, 384u);
        for (unsigned i = 0; i < 3; ++i)
            QCOMPARE(firstDataWord(container, i), uint16_t(i + 1));
        velkor_freeDmaReadBlock(container);
        QCOMPARE(BoardFixture::log(), QStringList({"ch0 IOCTL_GET_COUNT_DMA_BLOCKS",
                                                   "ch0 IOCTL_READ_DMA_BLOCKS countBlocks=3 length=384"}));

        QVERIFY(!velkor_readAllDmaBlocksReadyRead(node.fd(), &count));
        QCOMPARE(count, 0u);
    }

    void dmaReadStopsEarlyOnEmptyOrFailedCounts()
    {
        ChannelDescriptor node(2);
        unsigned int count = 7;
        QVERIFY(!velkor_readAllDmaBlocksReadyRead(node.fd(), &count));
        QCOMPARE(count, 0u);

        BoardFixture::board().queueDmaBlock(2, numberedBlock(1));
        BoardFixture::board().failNext(GET_COUNT_DMA);
        QVERIFY(!velkor_readAllDmaBlocksReadyRead(node.fd(), &count));
        QCOMPARE(count, 0xFFFFFFFFu);

        unsigned int codeError = 0;
        BoardFixture::board().failNext(GET_COUNT_DMA);
        QCOMPARE(velkor_getCountDmaBlocksReadyRead(node.fd(), &codeError), 0xFFFFFFFFu);
        QCOMPARE(codeError, 0xFFFFFFFFu);
        QVERIFY2(!BoardFixture::log().join('\n').contains("READ_DMA"), "no read after an empty or failed count");
    }

    void failedDmaReadReturnsNothingAndKeepsTheCount()
    {
        ChannelDescriptor node(1);
        BoardFixture::board().queueDmaBlock(1, numberedBlock(1));
        BoardFixture::board().queueDmaBlock(1, numberedBlock(2));
        BoardFixture::board().failNext(READ_DMA);
        unsigned int count = 0;
        QVERIFY(!velkor_readAllDmaBlocksReadyRead(node.fd(), &count));
        QCOMPARE(count, 2u);
    }

    void blocksArrivingBetweenCountAndReadWaitForTheNextRead()
    {
        ChannelDescriptor node(3);
        BoardFixture::board().queueDmaBlock(3, numberedBlock(1));
        BoardFixture::board().queueDmaBlocksBeforeNextRead(3, {numberedBlock(2), numberedBlock(3)});
        unsigned int count = 0;
        DMA_READ_BLOCK *container = velkor_readAllDmaBlocksReadyRead(node.fd(), &count);
        QVERIFY(container);
        QCOMPARE(container->countBlocks, 1u);
        velkor_freeDmaReadBlock(container);
        container = velkor_readAllDmaBlocksReadyRead(node.fd(), &count);
        QVERIFY(container);
        QCOMPARE(container->countBlocks, 2u);
        QCOMPARE(firstDataWord(container, 1), uint16_t(3));
        velkor_freeDmaReadBlock(container);

        BoardFixture::board().queueDmaBlock(3, numberedBlock(4));
        BoardFixture::board().dropDmaBlocksBeforeNextRead(3);
        container = velkor_readAllDmaBlocksReadyRead(node.fd(), &count);
        QVERIFY(container);
        QCOMPARE(count, 1u);
        QCOMPARE(container->countBlocks, 0u);
        velkor_freeDmaReadBlock(container);
    }

    void readsInterruptBlocksAndStopsOnEmptyOrFailed()
    {
        ChannelDescriptor node(0);
        QVERIFY(!velkor_readAllInterruptBlocksReadyRead(node.fd()));
        BoardFixture::board().queueInterruptBlock(0, {512, 5, 0, 0});
        BoardFixture::board().queueInterruptBlock(0, {530, 1, 0, 0});
        BoardFixture::board().failNext(GET_COUNT_INT);
        QCOMPARE(velkor_getCountInterruptBlocksReadyRead(node.fd()), 0xFFFFFFFFu);
        BoardFixture::board().failNext(GET_COUNT_INT);
        QVERIFY(!velkor_readAllInterruptBlocksReadyRead(node.fd()));
        QVERIFY(!BoardFixture::log().join('\n').contains("READ_INT"));

        BoardFixture::board().failNext(READ_INT);
        QVERIFY(!velkor_readAllInterruptBlocksReadyRead(node.fd()));

        INTERRUPT_BLOCK_BUFFER *buffer = velkor_readAllInterruptBlocksReadyRead(node.fd());
        QVERIFY(buffer);
        QCOMPARE(buffer->count_blocks, 2u);
        QCOMPARE(buffer->blocks[0].free_timer_value, 512u);
        QCOMPARE(buffer->blocks[1].interrupt_ch, 1u);
        velkor_freeInterruptBlock(buffer);
    }

    void bcProgramSetsOnlyBit15OfTheConfigurationRegister_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<bool>("numberRefused");
        QTest::addColumn<QString>("registerName");
        QTest::newRow("channel 0") << 0 << false << "0x2008";
        QTest::newRow("channel 1") << 1 << false << "0x4008";
        QTest::newRow("channel 2") << 2 << false << "0x6008";
        QTest::newRow("channel 3") << 3 << false << "0x8008";
        QTest::newRow("number refused") << 1 << true << "0x8008";
    }

    void bcProgramSetsOnlyBit15OfTheConfigurationRegister()
    {
        QFETCH(int, channel);
        QFETCH(bool, numberRefused);
        QFETCH(QString, registerName);
        const uint64_t address = registerName.toULongLong(nullptr, 16);
        BoardFixture::board().setReg(address, 0x00010001);
        if (numberRefused)
            BoardFixture::board().failNumberQuery();
        ChannelDescriptor node(channel);
        const QString prefix = QString("ch%1 ").arg(channel);

        QCOMPARE(velkor_bcProgram(node.fd(), 0xFFFFFFFF), 0u);
        QCOMPARE(BoardFixture::board().reg(address), 0x00018001u);
        QCOMPARE(velkor_bcProgram(node.fd(), 1), 0u);
        QCOMPARE(BoardFixture::board().reg(address), 0x00010001u);
        QCOMPARE(BoardFixture::log(),
                 QStringList({prefix + "IOCTL_GET_NUMBER_CHANNEL",
                              prefix + QString("IOCTL_WRITE_REG_MASKED daddr=%1 data=0x8000 mask=0x8000").arg(registerName),
                              prefix + "IOCTL_GET_NUMBER_CHANNEL",
                              prefix + QString("IOCTL_WRITE_REG_MASKED daddr=%1 data=0x0 mask=0x8000").arg(registerName)}));
        BoardFixture::board().failNext(0x40106201);
        QCOMPARE(velkor_bcProgram(node.fd(), 0), 0xFFFFFFFFu);
    }

    void startInstructionTakesTheLowTwelveBits_data()
    {
        QTest::addColumn<uint>("startNumber");
        QTest::addColumn<QString>("data");
        QTest::newRow("0") << 0u << "0x0";
        QTest::newRow("0x0FFF") << 0x0FFFu << "0xfff0000";
        QTest::newRow("0x1000") << 0x1000u << "0x0";
        QTest::newRow("0x1005") << 0x1005u << "0x50000";
    }

    void startInstructionTakesTheLowTwelveBits()
    {
        QFETCH(uint, startNumber);
        QFETCH(QString, data);
        ChannelDescriptor node(2);
        QCOMPARE(velkor_bcSetStartInstructionAddress(node.fd(), startNumber), 0u);
        QCOMPARE(BoardFixture::log(),
                 QStringList({"ch2 IOCTL_GET_NUMBER_CHANNEL",
                              QString("ch2 IOCTL_WRITE_REG_MASKED daddr=0x6094 data=%1 mask=0xfff0000").arg(data)}));
    }
};

QTEST_GUILESS_MAIN(InteractionLibraryTest)
#include "test_interaction_library.moc"
