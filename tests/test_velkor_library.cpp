// The interaction library: block accessors on literal status words, register
// addresses, and the queue and register commands against the simulated board.
#include "board_fixture.h"
#include "dma_blocks.h"
#include "velkor_library.h"
#include "velkor_registers.h"

#include <QtTest>

#include <cstdint>
#include <fcntl.h>
#include <unistd.h>

namespace {

const unsigned long GET_COUNT_DMA = 0xc0046207, READ_DMA = 0xc0106206, WRITE_REG_MASKED = 0x40106201;
const unsigned long GET_COUNT_INT = 0xc0046232, READ_INT = 0xc0106233;
const unsigned int T = 0xFFFFFFFF;

// The library's own heap requests: the test is linked with --wrap=malloc, which
// reroutes the calls of the statically linked library, not those of Qt. Larger
// requests than `heapLimit` fail, as on a machine short of memory.
unsigned libraryAllocations = 0;
size_t heapLimit = SIZE_MAX;

// Bus controller, success, type 1, one data word n; timer n.
velkor_sim::DmaBlock numberedBlock(uint16_t n)
{
    return dmaBlock(0x10000022, n, 1, {n});
}

// A descriptor on a simulated channel node, opened as the tool opens it.
struct ChannelDescriptor {
    explicit ChannelDescriptor(int channel) : fd(open(qPrintable(QString("/dev/mil1553dev-0-ch-%1").arg(channel)), O_RDWR)) {}
    ~ChannelDescriptor() { close(fd); }
    const int fd;
};

} // namespace

extern "C" void *__real_malloc(size_t size);
extern "C" void *__wrap_malloc(size_t size)
{
    ++libraryAllocations;
    return size > heapLimit ? nullptr : __real_malloc(size);
}

class VelkorLibraryTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        BoardFixture::reset();
        libraryAllocations = 0;
    }

    void decodesWord0_data()
    {
        for (const char *column : {"word0", "layout", "success", "type", "dataWords", "serviceWords", "busB", "subaddress"})
            QTest::addColumn<uint>(column);
        QTest::newRow("bit 28, controller: success, type 0") << 0x10000000u << 0u << T << 0u << 0u << 0u << 0u << 0u;
        QTest::newRow("bit 28, terminal: success, type 2") << 0x10000000u << 1u << T << 2u << 0u << 0u << 0u << 0u;
        QTest::newRow("bit 26, terminal: error") << 0x04000000u << 1u << 0u << 0u << 0u << 0u << 0u << 0u;
        QTest::newRow("bit 26, controller: error") << 0x04000000u << 0u << 0u << 0u << 0u << 0u << 0u << 0u;
        QTest::newRow("bits 31+15, controller: bus B") << 0x80008000u << 0u << 0u << 0u << 0u << 0u << T << 0u;
        QTest::newRow("bits 31+15, terminal: bus B") << 0x80008000u << 1u << T << 0u << 0u << 0u << T << 0u;
        QTest::newRow("bit 15, controller: bus B") << 0x00008000u << 0u << 0u << 0u << 0u << 0u << T << 0u;
        QTest::newRow("bit 15, terminal: bus A") << 0x00008000u << 1u << T << 0u << 0u << 0u << 0u << 0u;
        QTest::newRow("bit 31, controller: bus A") << 0x80000000u << 0u << 0u << 0u << 0u << 0u << 0u << 0u;
        QTest::newRow("bit 31, terminal: bus B") << 0x80000000u << 1u << T << 0u << 0u << 0u << T << 0u;
        QTest::newRow("bits 1-4 and 10, controller") << 0x0000041Eu << 0u << 0u << 15u << 32u << 0u << 0u << 30u;
        QTest::newRow("all ones, terminal") << 0xFFFFFFFFu << 1u << 0u << 15u << 63u << 15u << T << 31u;
        QTest::newRow("layout 2 is terminal") << 0xF8000000u << 2u << T << 15u << 0u << 0u << T << 0u;
        QTest::newRow("layout all-ones is terminal") << 0x0C008000u << T << 0u << 1u << 0u << 0u << 0u << 0u;
    }

    void decodesWord0()
    {
        QFETCH(uint, word0);
        QFETCH(uint, layout);
        velkor_sim::DmaBlock block = dmaBlock(word0, 0, 1);
        QTEST(velkor_dmaBlock_isSuccessTransaction(layout, block.data()), "success");
        QTEST(velkor_dmaBlock_getTypeTransaction(layout, block.data()), "type");
        QTEST(velkor_dmaBlock_getCountDataWords16(layout, block.data()), "dataWords");
        QTEST(velkor_dmaBlock_getCountServiceWords16(layout, block.data()), "serviceWords");
        QTEST(velkor_dmaBlock_getActiveBus(layout, block.data()), "busB");
        QTEST(velkor_dmaBlock_tdModeSubaddress(block.data()), "subaddress");
    }

    void registerBaseFollowsTheChannelNumber()
    {
        for (const auto &[number, base] : {std::pair{0u, 0x2000ul}, {1u, 0x4000ul}, {2u, 0x6000ul}, {3u, 0x8000ul}, {T, 0x8000ul}})
            QCOMPARE(velkor_channelRegisterBase(number), base);
    }

    // Blocks wait in both queues; the failed count alone must keep the library
    // from reading them, and from asking for memory to read them into.
    void aFailedCountIsFollowedByNoReadAndNoAllocation()
    {
        ChannelDescriptor node(2);
        BoardFixture::board().queueDmaBlock(2, numberedBlock(1));
        BoardFixture::board().queueInterruptBlock(2, {512, 5, 0, 0});
        BoardFixture::board().failNext(GET_COUNT_DMA, 2);
        BoardFixture::board().failNext(GET_COUNT_INT, 2);
        unsigned int codeError = 0, count = 7;
        QCOMPARE(velkor_getCountDmaBlocksReadyRead(node.fd, &codeError), T);
        QCOMPARE(codeError, T);
        QVERIFY(!velkor_readAllDmaBlocksReadyRead(node.fd, &count));
        QCOMPARE(count, T);
        QCOMPARE(velkor_getCountInterruptBlocksReadyRead(node.fd), T);
        QVERIFY(!velkor_readAllInterruptBlocksReadyRead(node.fd));
        QCOMPARE(BoardFixture::log(), QStringList({"ch2 IOCTL_GET_COUNT_DMA_BLOCKS", "ch2 IOCTL_GET_COUNT_DMA_BLOCKS",
                                                   "ch2 IOCTL_GET_COUNT_INT_BLOCKS", "ch2 IOCTL_GET_COUNT_INT_BLOCKS"}));
        QCOMPARE(libraryAllocations, 0u);
    }

    // A failed read gives nothing but keeps the count; the blocks wait for
    // the next read, which delivers each of them once and in order.
    void aFailedReadLeavesTheBlocksForTheNext()
    {
        ChannelDescriptor node(1);
        for (uint16_t n = 1; n <= 3; ++n)
            BoardFixture::board().queueDmaBlock(1, numberedBlock(n));
        BoardFixture::board().queueInterruptBlock(1, {512, 5, 0, 0});
        BoardFixture::board().failNext(READ_DMA);
        BoardFixture::board().failNext(READ_INT);
        unsigned int count = 0;
        QVERIFY(!velkor_readAllDmaBlocksReadyRead(node.fd, &count));
        QCOMPARE(count, 3u);
        QVERIFY(!velkor_readAllInterruptBlocksReadyRead(node.fd));

        DMA_READ_BLOCK *container = velkor_readAllDmaBlocksReadyRead(node.fd, &count);
        QVERIFY(container);
        QCOMPARE(container->countBlocks, 3u);
        QCOMPARE(container->length, 384u);
        for (uint16_t i = 0, word; i < 3; ++i) {
            std::memcpy(&word, container->data + i * 128 + 64, 2);
            QCOMPARE(word, uint16_t(i + 1));
        }
        velkor_freeDmaReadBlock(container);
        INTERRUPT_BLOCK_BUFFER *buffer = velkor_readAllInterruptBlocksReadyRead(node.fd);
        QVERIFY(buffer);
        QCOMPARE(buffer->count_blocks, 1u);
        QCOMPARE(buffer->blocks[0].interrupt_ch, 5u);
        velkor_freeInterruptBlock(buffer);
        QVERIFY(!velkor_readAllDmaBlocksReadyRead(node.fd, &count));
        QCOMPARE(count, 0u);
    }

    // A driver that reports more than the buffer was made for must not send
    // the caller past its end.
    void aReadThatClaimsMoreThanItsBufferIsCutToTheBuffer()
    {
        ChannelDescriptor node(0);
        BoardFixture::board().queueDmaBlock(0, numberedBlock(1));
        BoardFixture::board().queueDmaBlock(0, numberedBlock(2));
        BoardFixture::board().overreportNextRead(0, 100000);
        BoardFixture::board().queueInterruptBlock(0, {7, 1, 0, 0});
        BoardFixture::board().overreportNextInterruptRead(0, 100000);
        unsigned int count = 0;
        DMA_READ_BLOCK *container = velkor_readAllDmaBlocksReadyRead(node.fd, &count);
        QVERIFY(container);
        QCOMPARE(container->countBlocks, 2u);
        velkor_freeDmaReadBlock(container);
        INTERRUPT_BLOCK_BUFFER *buffer = velkor_readAllInterruptBlocksReadyRead(node.fd);
        QVERIFY(buffer);
        QCOMPARE(buffer->count_blocks, 1u);
        velkor_freeInterruptBlock(buffer);
    }

    // 0x02000001 blocks of 128 bytes are 2^32 + 128 bytes: a length kept in
    // 32 bits would hand the driver a buffer of one block for millions.
    void aCountWhoseLengthOverflowsIsNotRead()
    {
        QVERIFY(!velkor_newDmaReadBlock(0x02000001));
        ChannelDescriptor node(0);
        BoardFixture::board().queueDmaBlock(0, numberedBlock(1));
        BoardFixture::board().reportDmaCount(0, 0x02000001);
        unsigned int count = 0;
        QVERIFY(!velkor_readAllDmaBlocksReadyRead(node.fd, &count));
        QCOMPARE(count, 0x02000001u);
        QCOMPARE(BoardFixture::log(), QStringList{"ch0 IOCTL_GET_COUNT_DMA_BLOCKS"});
    }

    // The records are smaller than the limit, their buffers are not: no
    // record may come back without its buffer, nor stay allocated.
    void aBufferThatCannotBeAllocatedGivesNoRecord()
    {
        heapLimit = 64;
        DMA_READ_BLOCK *dma = velkor_newDmaReadBlock(1);
        INTERRUPT_BLOCK_BUFFER *interrupts = velkor_newInterruptBlock(5);
        BC_RAM_BLOCK *bcRam = velkor_newBcRamBlock(0, 17, 0);
        heapLimit = SIZE_MAX;
        QVERIFY(!dma && !interrupts && !bcRam);
    }

    // On channel 2, and on a channel that refuses its number.
    void bcProgramSetsOnlyBit15OfTheConfigurationRegister()
    {
        for (const auto &[channel, numberRefused, registerName] : {std::tuple{2, false, "0x6008"}, {1, true, "0x8008"}}) {
            BoardFixture::reset();
            const uint64_t address = QString(registerName).toULongLong(nullptr, 16);
            BoardFixture::board().setReg(address, 0x00010001);
            if (numberRefused)
                BoardFixture::board().failNumberQuery();
            ChannelDescriptor node(channel);
            const QString prefix = QString("ch%1 ").arg(channel);
            const QString write = prefix + "IOCTL_WRITE_REG_MASKED daddr=" + registerName + " data=%1 mask=0x8000";
            QCOMPARE(velkor_bcProgram(node.fd, T), 0u);
            QCOMPARE(BoardFixture::board().reg(address), 0x00018001u);
            QCOMPARE(velkor_bcProgram(node.fd, 1), 0u);
            QCOMPARE(BoardFixture::board().reg(address), 0x00010001u);
            QCOMPARE(BoardFixture::log(), QStringList({prefix + "IOCTL_GET_NUMBER_CHANNEL", write.arg("0x8000"),
                                                       prefix + "IOCTL_GET_NUMBER_CHANNEL", write.arg("0x0")}));
            BoardFixture::board().failNext(WRITE_REG_MASKED);
            QCOMPARE(velkor_bcProgram(node.fd, 0), T);
        }
    }

    void startInstructionTakesTheLowTwelveBits()
    {
        ChannelDescriptor node(2);
        for (const auto &[startNumber, data] : {std::pair{0x0FFFu, "0xfff0000"}, {0x1000u, "0x0"}, {0x1005u, "0x50000"}}) {
            BoardFixture::board().clearLog();
            QCOMPARE(velkor_bcSetStartInstructionAddress(node.fd, startNumber), 0u);
            QCOMPARE(BoardFixture::log(),
                     QStringList({"ch2 IOCTL_GET_NUMBER_CHANNEL",
                                  QString("ch2 IOCTL_WRITE_REG_MASKED daddr=0x6094 data=%1 mask=0xfff0000").arg(data)}));
        }
    }
};

QTEST_GUILESS_MAIN(VelkorLibraryTest)
#include "test_velkor_library.moc"
