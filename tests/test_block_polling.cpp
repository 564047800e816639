// One polling tick: interrupt lines, then one report per DMA block, in both modes.
#include "board_fixture.h"
#include "dma_blocks.h"
#include "window_probe.h"

namespace {

const unsigned long READ_DMA = 0xc0106206, READ_INT = 0xc0106233;

const QString controllerExample = "Транзакция - тип = 2 - нет ошибок - freeTimer: 700 - CntServWords: 2 - "
                                  "CntDataWords: 3 - Шина: Шина Б";
const QString terminalExample = "Транзакция - тип = 1 - ошибка - freeTimer: 900 - CntServWords: 1 - "
                                "CntDataWords: 0 - Subaddress: 5 - Шина: Шина А";

} // namespace

class BlockPollingTest : public QObject
{
    Q_OBJECT

    // A window whose chDevice is channel 0, opened by the driver test so that
    // no mode runs and the board produces no traffic of its own.
    std::unique_ptr<WindowProbe> openedWindow()
    {
        auto probe = std::make_unique<WindowProbe>();
        probe->selectChannel(0);
        probe->click("pushButton_startDriverTest");
        probe->clearTerminal();
        BoardFixture::board().clearLog();
        return probe;
    }

    QStringList tick(const char *slot)
    {
        auto probe = openedWindow();
        probe->invoke(slot);
        return probe->messages();
    }

private slots:
    void initTestCase() { BoardFixture::simulated(); }
    void init() { BoardFixture::reset(); }

    void emptyQueuesWriteNothing()
    {
        QVERIFY(tick("slot_timerDMA").isEmpty());
        QCOMPARE(BoardFixture::log(), QStringList({"ch0 IOCTL_GET_COUNT_DMA_BLOCKS", "ch0 IOCTL_GET_COUNT_INT_BLOCKS"}));
    }

    void listsInterruptsThenReportsEveryBlock()
    {
        BoardFixture::board().queueInterruptBlock(0, {512, 5, 0, 0});
        BoardFixture::board().queueInterruptBlock(0, {530, 1, 0, 0});
        BoardFixture::board().queueDmaBlock(0, controllerBlock(2, true, 700, 2, {1, 0xFF, 0xABC}, true));
        BoardFixture::board().queueDmaBlock(0, controllerBlock(3, false, 0xFFFFFFFF, 0, {0}, false));
        BoardFixture::board().queueDmaBlock(0, controllerBlock(15, true, 0x80000000, 15, {}, false));
        QCOMPARE(tick("slot_timerDMA"),
                 QStringList({"countInterrupts = 2", "freetimer = 512, interrupt_ch = 101b",
                              "freetimer = 530, interrupt_ch = 1b", "timerDMA", controllerExample,
                              "Слова данных: 0x1, 0xff, 0xabc;",
                              "Транзакция - тип = 3 - ошибка - freeTimer: 4294967295 - CntServWords: 0 - "
                              "CntDataWords: 1 - Шина: Шина А",
                              "Слова данных: 0x0;",
                              "Транзакция - тип = 15 - нет ошибок - freeTimer: 2147483648 - CntServWords: 15 - "
                              "CntDataWords: 0 - Шина: Шина А"}));
        QCOMPARE(BoardFixture::log(), QStringList({"ch0 IOCTL_GET_COUNT_DMA_BLOCKS", "ch0 IOCTL_GET_COUNT_INT_BLOCKS",
                                                   "ch0 IOCTL_GET_COUNT_INT_BLOCKS",
                                                   "ch0 IOCTL_READ_INT_BLOCKS count_blocks=2",
                                                   "ch0 IOCTL_GET_COUNT_DMA_BLOCKS",
                                                   "ch0 IOCTL_READ_DMA_BLOCKS countBlocks=3 length=384"}));
    }

    void terminalBlocksNameTheirSubaddress()
    {
        BoardFixture::board().queueDmaBlock(0, terminalBlock(1, false, 900, 1, {}, 5, false));
        BoardFixture::board().queueDmaBlock(0, terminalBlock(4, true, 12, 1, {0xa, 0xAB}, 30, true));
        QCOMPARE(tick("slot_timerDMA_RT"),
                 QStringList({"timerDMA", terminalExample,
                              "Транзакция - тип = 4 - нет ошибок - freeTimer: 12 - CntServWords: 1 - "
                              "CntDataWords: 2 - Subaddress: 30 - Шина: Шина Б",
                              "Слова данных: 0xa, 0xab;"}));
    }

    void bothSlotsShareEverythingButTheReport()
    {
        for (const char *slot : {"slot_timerDMA", "slot_timerDMA_RT"}) {
            BoardFixture::board().queueInterruptBlock(0, {0xFFFFFFFF, 0x80000000, 0, 0});
            BoardFixture::board().queueInterruptBlock(0, {0, 0, 0, 0});
            const QStringList lines = tick(slot);
            QCOMPARE(lines, QStringList({"countInterrupts = 2",
                                         "freetimer = 4294967295, interrupt_ch = 1" + QString(31, '0') + "b",
                                         "freetimer = 0, interrupt_ch = 0b"}));
        }
    }

    void failedReadsAreReportedAndSkipped()
    {
        BoardFixture::board().queueInterruptBlock(0, {1, 1, 0, 0});
        BoardFixture::board().queueDmaBlock(0, controllerBlock(1, true, 1, 0, {}, false));
        BoardFixture::board().failNext(READ_INT);
        BoardFixture::board().failNext(READ_DMA);
        QCOMPARE(tick("slot_timerDMA"), QStringList({"countInterrupts = 1", "timerDMA", "dmaBlock == NULL"}));
    }

    void aCountThatFellToZeroGivesNoContainer()
    {
        BoardFixture::board().queueDmaBlock(0, controllerBlock(1, true, 1, 0, {}, false));
        auto probe = openedWindow();
        BoardFixture::board().dropDmaBlocksBeforeNextRead(0);
        probe->invoke("slot_timerDMA");
        QCOMPARE(probe->messages(), QStringList({"timerDMA"}));
    }

    void moreDataWordsThanTheBlockHoldsAreCutAtItsEnd()
    {
        velkor_sim::DmaBlock block = controllerBlock(1, true, 1, 0, {}, false);
        block[0] |= 0xE0; // data-word count 63 in bits 5-10
        block[1] |= 0x07;
        for (unsigned i = 0; i < 32; ++i)
            block[64 + 2 * i] = uint8_t(i);
        BoardFixture::board().queueDmaBlock(0, block);
        const QStringList lines = tick("slot_timerDMA");
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[1].contains("CntDataWords: 63"));
        QVERIFY2(lines[2].startsWith("Слова данных: 0x0, 0x1, 0x2,"), qPrintable(lines[2]));
        QVERIFY2(lines[2].contains(" 0x1f; "), qPrintable(lines[2]));
        QCOMPARE(lines[2].count("0x"), 32);
    }
};

QTEST_MAIN(BlockPollingTest)
#include "test_block_polling.moc"
