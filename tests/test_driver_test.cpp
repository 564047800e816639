// The driver test's lines for the board's identity, and its not-found path.
#include "board_fixture.h"
#include "window_probe.h"

class DriverTestTest : public QObject
{
    Q_OBJECT

    static QStringList runDriverTest(int channel)
    {
        WindowProbe probe;
        probe.selectChannel(channel);
        BoardFixture::board().clearLog();
        probe.click("pushButton_startDriverTest");
        return probe.messages();
    }

private slots:
    void initTestCase() { BoardFixture::simulated(); }
    void init()
    {
        BoardFixture::reset();
        BoardFixture::board().setDriverVersion(0x12100814);
        BoardFixture::board().setIdentity(0x4a, 0x1c, 2, 0x81);
    }

    void reportsDateVersionIdentityAndLocation()
    {
        QCOMPARE(runDriverTest(1), QStringList({" - ТЕСТ ДРАЙВЕРА - '/dev/mil1553dev-0-ch-1' -",
                                                "Дата драйвера: 16.8.20; Версия драйвера: 1.2;",
                                                "DevId: 0x4a; VenId: 0x1c; Type: 0x2; RevId: 0x81;",
                                                "PCI локация: 0000:03:00.1;"}));
        QCOMPARE(BoardFixture::log(), QStringList({"ch1 IOCTL_GET_DRIVER_VERSION", "ch1 IOCTL_GET_VERSION_INFO",
                                                   "ch1 IOCTL_GET_PCI_LOCATION"}));
    }

    void versionAndIdentityFieldsHaveNoPadding_data()
    {
        QTest::addColumn<uint>("version");
        QTest::addColumn<uint>("type");
        QTest::addColumn<uint>("revision");
        QTest::addColumn<QString>("versionLine");
        QTest::addColumn<QString>("identityLine");
        QTest::newRow("all zero") << 0u << 0u << 0u << "Дата драйвера: 0.0.0; Версия драйвера: 0.0;"
                                  << "DevId: 0x4a; VenId: 0x1c; Type: 0x0; RevId: 0x0;";
        QTest::newRow("all ones") << 0xFFFFFFFFu << 0xFFFFFFFFu << 0xFFu
                                  << "Дата драйвера: 255.255.255; Версия драйвера: 15.15;"
                                  << "DevId: 0x4a; VenId: 0x1c; Type: 0xffffffff; RevId: 0xff;";
        QTest::newRow("revision 0x80") << 0x01020304u << 0xABu << 0x80u
                                       << "Дата драйвера: 2.3.4; Версия драйвера: 0.1;"
                                       << "DevId: 0x4a; VenId: 0x1c; Type: 0xab; RevId: 0x80;";
    }

    void versionAndIdentityFieldsHaveNoPadding()
    {
        QFETCH(uint, version);
        QFETCH(uint, type);
        QFETCH(uint, revision);
        BoardFixture::board().setDriverVersion(version);
        BoardFixture::board().setIdentity(0x4a, 0x1c, type, uint8_t(revision));
        const QStringList lines = runDriverTest(0);
        QCOMPARE(lines.size(), 4);
        QTEST(lines[1], "versionLine");
        QTEST(lines[2], "identityLine");
    }

    void aNodeThatWillNotOpenSendsNothing()
    {
        BoardFixture::simulated().makeOpenFail("mil1553dev-0-ch-2");
        const QStringList lines = runDriverTest(2);
        BoardFixture::simulated().removeEntry("mil1553dev-0-ch-2");
        BoardFixture::simulated().addNode("mil1553dev-0-ch-2", 2);
        QCOMPARE(lines, QStringList({" - ТЕСТ ДРАЙВЕРА - '/dev/mil1553dev-0-ch-2' -",
                                     "Символьное устройство канала не найдено!"}));
        QVERIFY(BoardFixture::log().isEmpty());
    }
};

QTEST_MAIN(DriverTestTest)
#include "test_driver_test.moc"
