// Every command and terminal line of the bus controller and remote terminal set-ups.
#include "board_fixture.h"
#include "window_probe.h"

#include <QTimer>

namespace {

QString hex(uint64_t value)
{
    return "0x" + QString::number(value, 16);
}

QStringList prefixed(int channel, const QStringList &commands)
{
    QStringList lines;
    for (const QString &command : commands)
        lines.append(QString("ch%1 %2").arg(channel).arg(command));
    return lines;
}

QStringList busControllerCommands(uint64_t base, const QString &receiveCommand, const QString &transmitCommand)
{
    const QString operations = QString("0x10000,%1,0x20000,%2").arg(receiveCommand, transmitCommand);
    return {"IOCTL_GET_NUMBER_CHANNEL",
            "IOCTL_CHANNEL_ON 0",
            "IOCTL_STOP",
            "IOCTL_RESET",
            "IOCTL_READ_REG daddr=" + hex(base),
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
    QStringList commands = {"IOCTL_GET_NUMBER_CHANNEL",
                            "IOCTL_CHANNEL_ON 0",
                            "IOCTL_STOP",
                            "IOCTL_RESET",
                            "IOCTL_SET_MODE 2",
                            QString("IOCTL_SET_RT_ADDRESS %1").arg(address),
                            "IOCTL_SET_BUS 3",
                            "IOCTL_SET_RT_BUF_MAN direction=1 subaddress_mask=0x7ffffffe action_mask=0x7ffffffe",
                            "IOCTL_SET_RT_BUF_MAN direction=0 subaddress_mask=0x7ffffffe action_mask=0x7ffffffe"};
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

} // namespace

class ModeSetUpTest : public QObject
{
    Q_OBJECT

    QStringList setUp(const char *modeButton, int channel, int address)
    {
        WindowProbe probe;
        probe.selectChannel(channel);
        probe.setAddress(address);
        BoardFixture::board().clearLog();
        probe.click(modeButton);
        return probe.messages();
    }

private slots:
    void initTestCase() { BoardFixture::simulated(); }
    void init() { BoardFixture::reset(); }

    void busControllerSendsItsTwentyCommands_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("address");
        QTest::addColumn<bool>("numberRefused");
        QTest::addColumn<QString>("receiveCommand");
        QTest::addColumn<QString>("transmitCommand");
        QTest::addColumn<uint>("base");
        QTest::addColumn<QString>("channelLine");
        QTest::newRow("channel 0, address 2") << 0 << 2 << false << "0x10300000" << "0x14420000" << 0x2000u << "Канал = 1";
        QTest::newRow("channel 1, address 0") << 1 << 0 << false << "0x300000" << "0x4420000" << 0x4000u << "Канал = 2";
        QTest::newRow("channel 2, address 30") << 2 << 30 << false << "0xf0300000" << "0xf4420000" << 0x6000u << "Канал = 3";
        QTest::newRow("channel 3, address 2") << 3 << 2 << false << "0x10300000" << "0x14420000" << 0x8000u << "Канал = 4";
        QTest::newRow("number refused") << 1 << 2 << true << "0x10300000" << "0x14420000" << 0x8000u << "Канал = 0";
    }

    void busControllerSendsItsTwentyCommands()
    {
        QFETCH(int, channel);
        QFETCH(int, address);
        QFETCH(bool, numberRefused);
        QFETCH(QString, receiveCommand);
        QFETCH(QString, transmitCommand);
        QFETCH(uint, base);
        QFETCH(QString, channelLine);
        BoardFixture::board().setReg(base, 5);
        BoardFixture::board().setReg(base + 8, 0);
        if (numberRefused)
            BoardFixture::board().failNumberQuery();

        const QStringList lines = setUp("pushButton_initBC", channel, address);
        QCOMPARE(BoardFixture::log(), prefixed(channel, busControllerCommands(base, receiveCommand, transmitCommand)));
        QCOMPARE(lines, QStringList({QString(" - РЕЖИМ КШ - '/dev/mil1553dev-0-ch-%1' -").arg(channel), channelLine,
                                     "CTRL_REG_PCI_CH = 101b", QString("adr = %1").arg(address),
                                     "BC_CONF_REG_PCI_CH = 1000000000000000b", "CTRL_REG_PCI_CH = 101b"}));
    }

    void remoteTerminalSendsItsHundredAndFiveCommands_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("address");
        QTest::addColumn<bool>("numberRefused");
        QTest::addColumn<uint>("base");
        QTest::addColumn<QString>("channelLine");
        QTest::newRow("channel 0, address 2") << 0 << 2 << false << 0x2000u << "Канал = 1";
        QTest::newRow("channel 1, address 0") << 1 << 0 << false << 0x4000u << "Канал = 2";
        QTest::newRow("channel 2, address 30") << 2 << 30 << false << 0x6000u << "Канал = 3";
        QTest::newRow("channel 3, address 7") << 3 << 7 << false << 0x8000u << "Канал = 4";
        QTest::newRow("number refused") << 0 << 2 << true << 0x8000u << "Канал = 0";
    }

    void remoteTerminalSendsItsHundredAndFiveCommands()
    {
        QFETCH(int, channel);
        QFETCH(int, address);
        QFETCH(bool, numberRefused);
        QFETCH(uint, base);
        QFETCH(QString, channelLine);
        if (numberRefused)
            BoardFixture::board().failNumberQuery();

        const QStringList lines = setUp("pushButton_initRT", channel, address);
        const QStringList expected = prefixed(channel, remoteTerminalCommands(base, address));
        QCOMPARE(expected.size(), 105);
        QCOMPARE(BoardFixture::log(), expected);
        QCOMPARE(lines, QStringList({QString(" - РЕЖИМ ОУ - '/dev/mil1553dev-0-ch-%1' -").arg(channel), channelLine,
                                     QString("Адрес = %1").arg(address)}));
    }

    void aNodeThatWillNotOpenGivesTwoLinesAndNoCommand_data()
    {
        QTest::addColumn<QString>("modeButton");
        QTest::addColumn<QString>("header");
        QTest::newRow("bus controller") << "pushButton_initBC" << " - РЕЖИМ КШ - '/dev/mil1553dev-0-ch-1' -";
        QTest::newRow("remote terminal") << "pushButton_initRT" << " - РЕЖИМ ОУ - '/dev/mil1553dev-0-ch-1' -";
    }

    void aNodeThatWillNotOpenGivesTwoLinesAndNoCommand()
    {
        QFETCH(QString, modeButton);
        QFETCH(QString, header);
        WindowProbe probe;
        probe.selectChannel(1);
        BoardFixture::simulated().makeOpenFail("mil1553dev-0-ch-1");
        BoardFixture::board().clearLog();
        probe.click(qPrintable(modeButton));
        BoardFixture::simulated().removeEntry("mil1553dev-0-ch-1");
        BoardFixture::simulated().addNode("mil1553dev-0-ch-1", 1);
        QCOMPARE(probe.messages(), QStringList({header, "Символьное устройство канала не найдено!"}));
        QVERIFY(BoardFixture::log().isEmpty());
        for (const QTimer *timer : probe.window.findChildren<QTimer *>())
            QVERIFY(!timer->isActive());
    }
};

QTEST_MAIN(ModeSetUpTest)
#include "test_mode_set_up.moc"
