// One polling tick: interrupt lines, then one report per DMA block, in both
// modes; and the window's own timers on a live bus. Status words are written
// out bit by bit from the block format.
#include "board_fixture.h"
#include "dma_blocks.h"
#include "window_probe.h"

#include <QRegularExpression>

namespace {

const unsigned long READ_DMA = 0xc0106206, READ_INT = 0xc0106233;

const QString controllerExample = "Транзакция - тип = 2 - нет ошибок - freeTimer: 700 - CntServWords: 2 - "
                                  "CntDataWords: 3 - Шина: Шина Б";
const QString terminalExample = "Транзакция - тип = 1 - ошибка - freeTimer: 900 - CntServWords: 1 - "
                                "CntDataWords: 0 - Subaddress: 5 - Шина: Шина А";

// Timer values depend on the bus's timing; everything else is fixed.
QStringList withoutTimers(const QStringList &lines)
{
    QStringList result;
    for (QString line : lines)
        result.append(line.replace(QRegularExpression("(freeTimer: |freetimer = )\\d+"), "\\1T"));
    return result;
}

QString transaction(int type, int dataWords, const QString &subaddress = {})
{
    return QString("Транзакция - тип = %1 - нет ошибок - freeTimer: T - CntServWords: 2 - CntDataWords: %2 - %3"
                   "Шина: Шина А")
        .arg(type)
        .arg(dataWords)
        .arg(subaddress.isEmpty() ? QString() : "Subaddress: " + subaddress + " - ");
}

} // namespace

class BlockPollingTest : public QObject
{
    Q_OBJECT

    static void setUpMode(WindowProbe &probe, int channel, const char *modeButton)
    {
        probe.selectChannel(channel);
        probe.setAddress(5);
        probe.click(modeButton);
        probe.clearTerminal();
    }

    // One tick on a window whose chDevice is channel 0, opened by the driver
    // test so that no mode runs and the board makes no traffic of its own.
    static QStringList tick(const char *slot)
    {
        WindowProbe probe;
        probe.selectChannel(0);
        probe.click("pushButton_startDriverTest");
        probe.clearTerminal();
        BoardFixture::board().clearLog();
        probe.invoke(slot);
        return probe.messages();
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
        // success (28), bus B (15), 2 service words, 3 data words, type 2
        BoardFixture::board().queueDmaBlock(0, dmaBlock(0x10009064, 700, 1, {1, 0xFF, 0xABC}));
        // failure, 1 data word, type 3
        BoardFixture::board().queueDmaBlock(0, dmaBlock(0x00000026, 0xFFFFFFFF, 1, {0}));
        // success, 15 service words, type 15
        BoardFixture::board().queueDmaBlock(0, dmaBlock(0x1000781E, 0x80000000, 1));
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

    // The interrupt lines are those of the controller's tick, at their extremes.
    void terminalBlocksNameTheirSubaddress()
    {
        BoardFixture::board().queueInterruptBlock(0, {0xFFFFFFFF, 0x80000000, 0, 0});
        BoardFixture::board().queueInterruptBlock(0, {0, 0, 0, 0});
        // type 1 (27-30), error (26), 1 service word, subaddress 5
        BoardFixture::board().queueDmaBlock(0, dmaBlock(0x0C000805, 900, 4));
        // bus B (31), type 4, 1 service word, 2 data words, subaddress 30
        BoardFixture::board().queueDmaBlock(0, dmaBlock(0xA000085E, 12, 4, {0xa, 0xAB}));
        QCOMPARE(tick("slot_timerDMA_RT"),
                 QStringList({"countInterrupts = 2", "freetimer = 4294967295, interrupt_ch = 1" + QString(31, '0') + "b",
                              "freetimer = 0, interrupt_ch = 0b", "timerDMA", terminalExample,
                              "Транзакция - тип = 4 - нет ошибок - freeTimer: 12 - CntServWords: 1 - "
                              "CntDataWords: 2 - Subaddress: 30 - Шина: Шина Б",
                              "Слова данных: 0xa, 0xab;"}));
    }

    void failedReadsAreReportedAndSkipped()
    {
        BoardFixture::board().queueInterruptBlock(0, {1, 1, 0, 0});
        BoardFixture::board().queueDmaBlock(0, dmaBlock(0x10000002, 1, 1));
        BoardFixture::board().failNext(READ_INT);
        BoardFixture::board().failNext(READ_DMA);
        QCOMPARE(tick("slot_timerDMA"), QStringList({"countInterrupts = 1", "timerDMA", "dmaBlock == NULL"}));
    }

    void moreDataWordsThanTheBlockHoldsAreCutAtItsEnd()
    {
        velkor_sim::DmaBlock block = dmaBlock(0x100007E2, 1, 1); // data-word count 63
        for (unsigned i = 0; i < 32; ++i)
            block[64 + 2 * i] = uint8_t(i);
        BoardFixture::board().queueDmaBlock(0, block);
        const QStringList lines = tick("slot_timerDMA");
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[1].contains("CntDataWords: 63"));
        QVERIFY2(lines[2].startsWith("Слова данных: 0x0, 0x1, 0x2,"), qPrintable(lines[2]));
        QVERIFY2(lines[2].endsWith(" 0x1e, 0x1f; (32 из 63)"), qPrintable(lines[2]));
        QCOMPARE(lines[2].count("0x"), 32);
    }

    // Channel 1 as terminal 5, channel 0 as the bus controller addressing it;
    // one pass of the bus, then the windows' own timers tick.
    void controllerAndTerminalSeeEachOthersWordsOnTheirTimers()
    {
        WindowProbe terminal, controller;
        setUpMode(terminal, 1, "pushButton_initRT");
        setUpMode(controller, 0, "pushButton_initBC");
        BoardFixture::board().runBusPasses(1);
        // The timers fire every 2 s; the bound leaves room for a sanitized
        // build on a busy machine.
        QTRY_VERIFY_WITH_TIMEOUT(!controller.messages().isEmpty() && !terminal.messages().isEmpty(), 15000);

        // The controller's data area holds 0xAAAA5555 twice and sends 16 words.
        const QString sent = "Слова данных: 0x5555, 0xaaaa, 0x5555, 0xaaaa" + QString(", 0x0").repeated(12) + ";";
        const QString answered = "Слова данных: 0x1111, 0x2222;";
        const QStringList controllerPass = {transaction(1, 16), sent, transaction(2, 2), answered};
        QCOMPARE(withoutTimers(controller.messages()),
                 QStringList({"countInterrupts = 1", "freetimer = T, interrupt_ch = 1b", "timerDMA"})
                     + controllerPass + controllerPass);
        const QStringList terminalPass = {transaction(1, 16, "1"), sent, transaction(2, 2, "2"), answered};
        QCOMPARE(withoutTimers(terminal.messages()),
                 QStringList({"countInterrupts = 4", "freetimer = T, interrupt_ch = 10b",
                              "freetimer = T, interrupt_ch = 100b", "freetimer = T, interrupt_ch = 10b",
                              "freetimer = T, interrupt_ch = 100b", "timerDMA"})
                     + terminalPass + terminalPass);
    }
};

QTEST_MAIN(BlockPollingTest)
#include "test_block_polling.moc"
