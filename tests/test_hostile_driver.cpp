// What a faulty driver hands back must never send the tool past a buffer,
// leave a record half made, or leak descriptors.
#include "board_fixture.h"
#include "channel_descriptor.h"
#include "dma_blocks.h"
#include "velkor_library.h"
#include "window_probe.h"

#include <QDir>

namespace {

const unsigned long READ_DMA = 0xc0106206;

int openDescriptors()
{
    return QDir("/proc/self/fd").entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System).size();
}

} // namespace

class HostileDriverTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { BoardFixture::simulated(); }
    void init() { BoardFixture::reset(); }

    // 0x02000001 blocks of 128 bytes are 2^32 + 128 bytes: a length kept in
    // 32 bits would describe a buffer of one block for a count of millions.
    void aCountWhoseLengthOverflowsGetsNoShortBuffer()
    {
        DMA_READ_BLOCK *block = velkor_newDmaReadBlock(0x02000001);
        QVERIFY(!block || uint64_t(block->length) == uint64_t(block->countBlocks) * 128);
        velkor_freeDmaReadBlock(block);

        ChannelDescriptor node(0);
        BoardFixture::board().queueDmaBlock(0, controllerBlock(1, true, 1, 0, {}, false));
        BoardFixture::board().reportDmaCount(0, 0x02000001);
        unsigned int count = 0;
        DMA_READ_BLOCK *container = velkor_readAllDmaBlocksReadyRead(node.fd(), &count);
        QCOMPARE(count, 0x02000001u);
        QVERIFY(!container || uint64_t(container->length) == uint64_t(container->countBlocks) * 128);
        velkor_freeDmaReadBlock(container);
    }

    void aReadThatClaimsMoreBlocksThanItsBufferIsWalkedToTheBufferOnly()
    {
        WindowProbe probe;
        probe.selectChannel(0);
        probe.click("pushButton_startDriverTest");
        probe.clearTerminal();
        BoardFixture::board().queueDmaBlock(0, controllerBlock(1, true, 10, 0, {}, false));
        BoardFixture::board().queueDmaBlock(0, controllerBlock(2, true, 20, 0, {}, false));
        BoardFixture::board().overreportNextRead(0, 100000);
        probe.invoke("slot_timerDMA");
        const QStringList lines = probe.messages();
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[2].startsWith("Транзакция - тип = 2 - нет ошибок - freeTimer: 20 "));
    }

    void anInterruptReadThatClaimsMoreEntriesIsListedToTheArrayOnly()
    {
        WindowProbe probe;
        probe.selectChannel(0);
        probe.click("pushButton_startDriverTest");
        probe.clearTerminal();
        BoardFixture::board().queueInterruptBlock(0, {7, 1, 0, 0});
        BoardFixture::board().overreportNextInterruptRead(0, 100000);
        probe.invoke("slot_timerDMA");
        QCOMPARE(probe.messages(), QStringList({"countInterrupts = 1", "freetimer = 7, interrupt_ch = 1b"}));
    }

    void aFailedAllocationReturnsNothing()
    {
        // 2^32 entries of 16 bytes: 64 GiB, more than this machine can give.
        QVERIFY(!velkor_newInterruptBlock(0xFFFFFFFF));
    }

    void aNodeThatVanishedAfterTheListWasFilledIsNotFound_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("header");
        QTest::newRow("driver test") << "pushButton_startDriverTest" << " - ТЕСТ ДРАЙВЕРА - '' -";
        QTest::newRow("bus controller") << "pushButton_initBC" << " - РЕЖИМ КШ - '' -";
        QTest::newRow("remote terminal") << "pushButton_initRT" << " - РЕЖИМ ОУ - '' -";
    }

    void aNodeThatVanishedAfterTheListWasFilledIsNotFound()
    {
        QFETCH(QString, button);
        QFETCH(QString, header);
        WindowProbe probe;
        BoardFixture::simulated().addNode("mil1553dev-0-ch-4", 0);
        probe.selectChannel(4);
        BoardFixture::simulated().removeEntry("mil1553dev-0-ch-4");
        BoardFixture::board().clearLog();
        probe.click(qPrintable(button));
        QCOMPARE(probe.messages(), QStringList({header, "Символьное устройство канала не найдено!"}));
        QVERIFY(BoardFixture::log().isEmpty());
    }

    void replacedDescriptorsAreClosed()
    {
        WindowProbe probe;
        probe.selectChannel(1);
        const auto runDriverTests = [&probe](int runs) {
            for (int run = 0; run < runs; ++run) {
                probe.click("pushButton_startDriverTest");
                probe.click("pushButton_stopDriverTest");
            }
        };
        runDriverTests(10);
        const int settled = openDescriptors();
        runDriverTests(1000);
        QCOMPARE(openDescriptors(), settled);
    }
};

QTEST_MAIN(HostileDriverTest)
#include "test_hostile_driver.moc"
