// The window's controls and channel list, driven by object name.
#include "board_fixture.h"
#include "window_probe.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QTimer>

#include <clocale>

namespace {

QString channelEntry(int channel)
{
    // The location is shown with all 13 bytes of its record, terminating zero included.
    return QString("/dev/mil1553dev-0-ch-%1 (0000:03:00.%1").arg(channel) + QChar(0) + ")";
}

// The interval of the window's running timer, or 0 when none runs.
int activeInterval(const MainWindow &window)
{
    for (const QTimer *timer : window.findChildren<QTimer *>()) {
        if (timer->isActive())
            return timer->interval();
    }
    return 0;
}

int openDescriptors()
{
    return QDir("/proc/self/fd").entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System).size();
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The benches run in Russian: the tests do too, not in a C locale that a missing locale falls back to.
        QCOMPARE(QByteArray(std::setlocale(LC_CTYPE, nullptr)), QByteArray("ru_RU.UTF-8"));
        BoardFixture::simulated();
    }
    void init() { BoardFixture::reset(); }

    void showsItsIconAndTheRangeOfTerminalAddresses()
    {
        WindowProbe probe;
        // An icon made from a missing file is not null either: check the image itself.
        QVERIFY(QFile::exists(":/icons/LOGO_R28_G73_B129_1024.jpg"));
        QCOMPARE(probe.window.windowIcon().availableSizes(), QList<QSize>{QSize(1024, 993)});
        QSpinBox *spinBox = probe.widget<QSpinBox>("spinBox");
        QCOMPARE(spinBox->value(), 2);
        QCOMPARE(spinBox->minimum(), 0);
        QCOMPARE(spinBox->maximum(), 30);
    }

    void refreshListsEveryChannelWithItsLocationOnce()
    {
        WindowProbe probe;
        probe.click("pushButtonUpdateListChannels");
        probe.click("pushButtonUpdateListChannels");
        QCOMPARE(probe.channels()->count(), 4);
        for (int channel = 0; channel < 4; ++channel)
            QCOMPARE(probe.channels()->itemText(channel), channelEntry(channel));
        QCOMPARE(probe.channels()->currentIndex(), 0);
        QVERIFY(probe.messages().isEmpty());
    }

    void groupBoxesFollowTheCurrentChannel()
    {
        WindowProbe probe;
        auto *driverTest = probe.widget<QGroupBox>("groupBoxDriverTest");
        auto *simpleTest = probe.widget<QGroupBox>("groupBoxSimpleTest");
        QVERIFY(!driverTest->isEnabled() && !simpleTest->isEnabled());
        probe.click("pushButtonUpdateListChannels");
        QVERIFY(driverTest->isEnabled() && simpleTest->isEnabled());
        probe.channels()->setCurrentIndex(-1);
        QVERIFY(!driverTest->isEnabled() && !simpleTest->isEnabled());
        probe.channels()->setCurrentIndex(3);
        QVERIFY(driverTest->isEnabled() && simpleTest->isEnabled());
    }

    // Each run opens the node again; the descriptor it replaces is closed.
    void driverTestButtonsAlternateAndCloseWhatTheyReplace()
    {
        WindowProbe probe;
        probe.selectChannel(1);
        probe.click("pushButton_startDriverTest");
        QVERIFY(!probe.button("pushButton_startDriverTest")->isEnabled());
        QVERIFY(probe.button("pushButton_stopDriverTest")->isEnabled());
        probe.clearTerminal();
        probe.click("pushButton_stopDriverTest");
        QCOMPARE(probe.messages(), QStringList{"Стоп!"});
        QVERIFY(probe.button("pushButton_startDriverTest")->isEnabled());
        QVERIFY(!probe.button("pushButton_stopDriverTest")->isEnabled());

        const int settled = openDescriptors();
        for (int run = 0; run < 10; ++run) {
            probe.click("pushButton_startDriverTest");
            probe.click("pushButton_stopDriverTest");
        }
        QCOMPARE(openDescriptors(), settled);
    }

    void modeButtonsGiveWayToStopAndBack_data()
    {
        QTest::addColumn<QString>("modeButton");
        QTest::newRow("bus controller") << "pushButton_initBC";
        QTest::newRow("remote terminal") << "pushButton_initRT";
    }

    void modeButtonsGiveWayToStopAndBack()
    {
        QFETCH(QString, modeButton);
        WindowProbe probe;
        probe.selectChannel(0);
        probe.click(qPrintable(modeButton));
        QVERIFY(!probe.button("pushButton_initBC")->isEnabled());
        QVERIFY(!probe.button("pushButton_initRT")->isEnabled());
        QVERIFY(probe.button("pushButton_Stop")->isEnabled());
        QCOMPARE(activeInterval(probe.window), 2000);

        probe.clearTerminal();
        BoardFixture::board().clearLog();
        probe.click("pushButton_Stop");
        QCOMPARE(probe.messages(), QStringList{"Стоп!"});
        QVERIFY(probe.button("pushButton_initBC")->isEnabled());
        QVERIFY(probe.button("pushButton_initRT")->isEnabled());
        QVERIFY(!probe.button("pushButton_Stop")->isEnabled());
        QCOMPARE(activeInterval(probe.window), 0);
        QVERIFY2(BoardFixture::log().isEmpty(), "Stop sends nothing to the driver");
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
