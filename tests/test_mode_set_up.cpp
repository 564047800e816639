// Every command and terminal line of the driver test and of the bus controller
// and remote terminal set-ups.
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

    QStringList run(const char *button, int channel, int address = 2)
    {
        WindowProbe probe;
        probe.selectChannel(channel);
        probe.setAddress(address);
        BoardFixture::board().clearLog();
        probe.click(button);
        return probe.messages();
    }

private slots:
    void initTestCase() { BoardFixture::simulated(); }
    void init() { BoardFixture::reset(); }

    // Every nibble of the version word differs, so a field read from the
    // wrong bits shows; the extremes show any padding or sign.
    void driverTestReportsDateVersionIdentityAndLocation_data()
    {
        QTest::addColumn<uint>("version");
        QTest::addColumn<uint>("type");
        QTest::addColumn<uint>("revision");
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
        QCOMPARE(BoardFixture::log(), prefixed(2, busControllerCommands(0x6000, "0xf0300000", "0xf4420000")));
        QCOMPARE(lines, QStringList({" - РЕЖИМ КШ - '/dev/mil1553dev-0-ch-2' -", "Канал = 3", "CTRL_REG_PCI_CH = 101b",
                                     "adr = 30", "BC_CONF_REG_PCI_CH = 1000000000000000b", "CTRL_REG_PCI_CH = 101b"}));
        // A refused channel number is 0xFFFFFFFF, shown plus one.
        BoardFixture::board().failNumberQuery();
        QCOMPARE(run("pushButton_initBC", 2, 30).at(1), QString("Канал = 0"));
    }

    void remoteTerminalSendsItsHundredAndFiveCommands()
    {
        const QStringList lines = run("pushButton_initRT", 1, 7);
        QCOMPARE(BoardFixture::log(), prefixed(1, remoteTerminalCommands(0x4000, 7)));
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
        QTest::newRow("driver test") << "pushButton_startDriverTest" << false << " - ТЕСТ ДРАЙВЕРА - '/dev/mil1553dev-0-ch-4' -";
        QTest::newRow("bus controller") << "pushButton_initBC" << false << " - РЕЖИМ КШ - '/dev/mil1553dev-0-ch-4' -";
        QTest::newRow("remote terminal") << "pushButton_initRT" << false << " - РЕЖИМ ОУ - '/dev/mil1553dev-0-ch-4' -";
        QTest::newRow("driver test, vanished") << "pushButton_startDriverTest" << true << " - ТЕСТ ДРАЙВЕРА - '' -";
        QTest::newRow("bus controller, vanished") << "pushButton_initBC" << true << " - РЕЖИМ КШ - '' -";
        QTest::newRow("remote terminal, vanished") << "pushButton_initRT" << true << " - РЕЖИМ ОУ - '' -";
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
        for (const QTimer *timer : probe.window.findChildren<QTimer *>())
            QVERIFY(!timer->isActive());
        probe.click("pushButton_Stop");
        QVERIFY(probe.button("pushButton_initBC")->isEnabled());
    }
};

QTEST_MAIN(ModeSetUpTest)
#include "test_mode_set_up.moc"
