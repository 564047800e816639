// The driver test and the two modes through the window: every command and
// terminal line of their set-ups, and their polling ticks: interrupt lines,
// then one report per DMA block, and the windows' own timers on a live bus.
// Status words are written out bit by bit from the block format.
#include "board_fixture.h"
#include "dma_blocks.h"
#include "window_probe.h"

#include <QRegularExpression>

namespace {

const unsigned long READ_DMA = 0xc0106206, READ_INT = 0xc0106233;

QString hex(uint64_t value)
{
    return "0x" + QString::number(value, 16);
}

// Both modes begin so.
const QStringList resetCommands = {"IOCTL_GET_NUMBER_CHANNEL", "IOCTL_CHANNEL_ON 0", "IOCTL_STOP", "IOCTL_RESET"};

QStringList busControllerCommands(uint64_t base, const QString &receiveCommand, const QString &transmitCommand)
{
    const QString operations = QString("0x10000,%1,0x20000,%2").arg(receiveCommand, transmitCommand);
    return resetCommands
        + QStringList{"IOCTL_READ_REG daddr=" + hex(base),
                      "IOCTL_SET_MODE 1",
                      "IOCTL_SET_BUS 3",
                      "IOCTL_SET_INTERRUPTS flags=0,1,0,0,0,0,0,0,0",
                      "IOCTL_WRITE_BC_RAM type=0 shift=0 length=6 "
                      "dwords=0x54f0000,0x54f0002,0x19410000,0x54f0000,0x54f0002,0x1d4f0000",
                      "IOCTL_WRITE_BC_RAM type=1 shift=0 length=8 dwords=" + operations + "," + operations,
                      "IOCTL_WRITE_BC_RAM type=2 shift=0 length=2 dwords=0xaaaa5555,0xaaaa5555",
                      "IOCTL_START",
                      "IOCTL_GET_NUMBER_CHANNEL",
                      "IOCTL_WRITE_REG_MASKED daddr=" + hex(base + 0x94) + " data=0x0 mask=0xfff0000",
                      "IOCTL_CHANNEL_ON 1",
                      "IOCTL_GET_NUMBER_CHANNEL",
                      "IOCTL_WRITE_REG_MASKED daddr=" + hex(base + 0x08) + " data=0x8000 mask=0x8000",
                      "IOCTL_READ_REG daddr=" + hex(base + 0x08),
                      "IOCTL_READ_REG daddr=" + hex(base)};
}

QStringList remoteTerminalCommands(uint64_t base, int address)
{
    QStringList commands = resetCommands;
    commands << "IOCTL_SET_MODE 2"
             << QString("IOCTL_SET_RT_ADDRESS %1").arg(address) << "IOCTL_SET_BUS 3"
             << "IOCTL_SET_RT_BUF_MAN direction=1 subaddress_mask=0x7ffffffe action_mask=0x7ffffffe"
             << "IOCTL_SET_RT_BUF_MAN direction=0 subaddress_mask=0x7ffffffe action_mask=0x7ffffffe";
    const QString words = "0x1111,0x2222" + QString(",0x0").repeated(30);
    for (int subaddress = 1; subaddress <= 30; ++subaddress) {
        commands << QString("IOCTL_SET_RT_TR_MODE subaddress=%1 mode=0").arg(subaddress)
                 << QString("IOCTL_WRITE_RT_TR_BUF num_buf=0 subaddress=%1 data_words=%2").arg(subaddress).arg(words)
                 << QString("IOCTL_SET_RT_TR_MODE_BUF subaddress=%1 cmd_buf=2").arg(subaddress);
    }
    commands << "IOCTL_SET_INTERRUPTS flags=0,0,1,1,0,0,0,0,0"
             << "IOCTL_SET_INT_SUBADDR_A rt_int=1 subaddress_mask=0x7ffffffe"
             << "IOCTL_SET_INT_SUBADDR_B rt_int=1 subaddress_mask=0x7ffffffe"
             << "IOCTL_WRITE_REG_MASKED daddr=" + hex(base + 0x34) + " data=0x7 mask=0x7"
             << "IOCTL_START"
             << "IOCTL_CHANNEL_ON 1";
    return commands;
}

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
        .arg(type).arg(dataWords).arg(subaddress.isEmpty() ? QString() : "Subaddress: " + subaddress + " - ");
}

} // namespace

class ModesTest : public QObject
{
    Q_OBJECT

    QStringList run(const char *button, int channel, int address = 2)
    {
        WindowProbe probe;
        probe.selectChannel(channel);
        probe.setAddress(address);
        BoardFixture::board().clearLog();
        probe.click(button);
        return probe.messages();
    }

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
    void init() { BoardFixture::reset(); }

    // Every nibble of the version word differs, so a field read from the
    // wrong bits shows; the extremes show any padding or sign.
    void driverTestReportsDateVersionIdentityAndLocation_data()
    {
        for (const char *column : {"version", "type", "revision"})
            QTest::addColumn<uint>(column);
        QTest::addColumn<QString>("versionLine");
        QTest::addColumn<QString>("identityLine");
        QTest::newRow("distinct nibbles") << 0x271D0C36u << 2u << 0x81u
                                          << "Дата драйвера: 29.12.54; Версия драйвера: 2.7;"
                                          << "DevId: 0x4a; VenId: 0x1c; Type: 0x2; RevId: 0x81;";
        QTest::newRow("all zero") << 0u << 0u << 0u << "Дата драйвера: 0.0.0; Версия драйвера: 0.0;"
                                  << "DevId: 0x4a; VenId: 0x1c; Type: 0x0; RevId: 0x0;";
        QTest::newRow("all ones") << 0xFFFFFFFFu << 0xFFFFFFFFu << 0xFFu
                                  << "Дата драйвера: 255.255.255; Версия драйвера: 15.15;"
                                  << "DevId: 0x4a; VenId: 0x1c; Type: 0xffffffff; RevId: 0xff;";
    }

    void driverTestReportsDateVersionIdentityAndLocation()
    {
        QFETCH(uint, version);
        QFETCH(uint, type);
        QFETCH(uint, revision);
        QFETCH(QString, versionLine);
        QFETCH(QString, identityLine);
        BoardFixture::board().setDriverVersion(version);
        BoardFixture::board().setIdentity(0x4a, 0x1c, type, uint8_t(revision));
        QCOMPARE(run("pushButton_startDriverTest", 1),
                 QStringList({" - ТЕСТ ДРАЙВЕРА - '/dev/mil1553dev-0-ch-1' -", versionLine, identityLine,
                              "PCI локация: 0000:03:00.1;"}));
        QCOMPARE(BoardFixture::log(), QStringList({"ch1 IOCTL_GET_DRIVER_VERSION", "ch1 IOCTL_GET_VERSION_INFO",
                                                   "ch1 IOCTL_GET_PCI_LOCATION"}));
    }

    // Channel 2, whose register base differs from every other channel's, and
    // address 30, the highest the form allows.
    void busControllerSendsItsTwentyCommands()
    {
        BoardFixture::board().setReg(0x6000, 5);
        BoardFixture::board().setReg(0x6008, 0);
        const QStringList lines = run("pushButton_initBC", 2, 30);
        // A command to another channel keeps its prefix.
        QCOMPARE(BoardFixture::log().replaceInStrings("ch2 ", ""), busControllerCommands(0x6000, "0xf0300000", "0xf4420000"));
        QCOMPARE(lines, QStringList({" - РЕЖИМ КШ - '/dev/mil1553dev-0-ch-2' -", "Канал = 3", "CTRL_REG_PCI_CH = 101b",
                                     "adr = 30", "BC_CONF_REG_PCI_CH = 1000000000000000b", "CTRL_REG_PCI_CH = 101b"}));
        // A refused channel number is 0xFFFFFFFF, shown plus one.
        BoardFixture::board().failNumberQuery();
        QCOMPARE(run("pushButton_initBC", 2, 30).at(1), QString("Канал = 0"));
    }

    void remoteTerminalSendsItsHundredAndFiveCommands()
    {
        const QStringList lines = run("pushButton_initRT", 1, 7);
        QCOMPARE(BoardFixture::log().replaceInStrings("ch1 ", ""), remoteTerminalCommands(0x4000, 7));
        QCOMPARE(lines, QStringList({" - РЕЖИМ ОУ - '/dev/mil1553dev-0-ch-1' -", "Канал = 2", "Адрес = 7"}));
    }

    // A node that will not open, or that vanished after the list was filled,
    // gets its header, one line and no command; a mode then runs no timer,
    // and Stop still gives the mode buttons back.
    void aNodeThatCannotBeOpenedGetsTwoLinesAndNoCommand_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("vanished");
        QTest::addColumn<QString>("header");
        for (const bool vanished : {false, true}) {
            for (const auto &[name, button, header] : {std::tuple{"driver test", "pushButton_startDriverTest", " - ТЕСТ ДРАЙВЕРА - '%1' -"},
                                                       {"bus controller", "pushButton_initBC", " - РЕЖИМ КШ - '%1' -"},
                                                       {"remote terminal", "pushButton_initRT", " - РЕЖИМ ОУ - '%1' -"}})
                QTest::addRow("%s%s", name, vanished ? ", vanished" : "")
                    << QString(button) << vanished << QString(header).arg(vanished ? "" : "/dev/mil1553dev-0-ch-4");
        }
    }

    void aNodeThatCannotBeOpenedGetsTwoLinesAndNoCommand()
    {
        QFETCH(QString, button);
        QFETCH(bool, vanished);
        QFETCH(QString, header);
        WindowProbe probe;
        BoardFixture::simulated().addNode("mil1553dev-0-ch-4", 0);
        probe.selectChannel(4);
        if (vanished)
            BoardFixture::simulated().removeEntry("mil1553dev-0-ch-4");
        else
            BoardFixture::simulated().makeOpenFail("mil1553dev-0-ch-4");
        BoardFixture::board().clearLog();
        probe.click(qPrintable(button));
        if (!vanished)
            BoardFixture::simulated().removeEntry("mil1553dev-0-ch-4");
        QCOMPARE(probe.messages(), QStringList({header, "Символьное устройство канала не найдено!"}));
        QVERIFY(BoardFixture::log().isEmpty());
        QCOMPARE(probe.activeTimerInterval(), 0);
        probe.click("pushButton_Stop");
        QCOMPARE(probe.enabled({"pushButton_initBC"}), QString("1"));
    }

    // Empty queues write nothing.
    void listsInterruptsThenReportsEveryBlock()
    {
        QVERIFY(tick("slot_timerDMA").isEmpty());
        QCOMPARE(BoardFixture::log(), QStringList({"ch0 IOCTL_GET_COUNT_DMA_BLOCKS", "ch0 IOCTL_GET_COUNT_INT_BLOCKS"}));
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
                              "freetimer = 530, interrupt_ch = 1b", "timerDMA",
                              "Транзакция - тип = 2 - нет ошибок - freeTimer: 700 - CntServWords: 2 - CntDataWords: 3 - Шина: Шина Б",
                              "Слова данных: 0x1, 0xff, 0xabc;",
                              "Транзакция - тип = 3 - ошибка - freeTimer: 4294967295 - CntServWords: 0 - "
                              "CntDataWords: 1 - Шина: Шина А",
                              "Слова данных: 0x0;",
                              "Транзакция - тип = 15 - нет ошибок - freeTimer: 2147483648 - CntServWords: 15 - "
                              "CntDataWords: 0 - Шина: Шина А"}));
        QCOMPARE(BoardFixture::log(), QStringList({"ch0 IOCTL_GET_COUNT_DMA_BLOCKS", "ch0 IOCTL_GET_COUNT_INT_BLOCKS",
                                                   "ch0 IOCTL_GET_COUNT_INT_BLOCKS", "ch0 IOCTL_READ_INT_BLOCKS count_blocks=2",
                                                   "ch0 IOCTL_GET_COUNT_DMA_BLOCKS", "ch0 IOCTL_READ_DMA_BLOCKS countBlocks=3 length=384"}));
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
                              "freetimer = 0, interrupt_ch = 0b", "timerDMA",
                              "Транзакция - тип = 1 - ошибка - freeTimer: 900 - CntServWords: 1 - CntDataWords: 0 - "
                              "Subaddress: 5 - Шина: Шина А",
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

QTEST_MAIN(ModesTest)
#include "test_modes.moc"
