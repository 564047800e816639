// The window's controls, channel list and terminal, driven by object name.
#include "board_fixture.h"
#include "window_probe.h"

#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTimer>

namespace {

QString channelEntry(int channel)
{
    // The location is shown with all 13 bytes of its record, terminating zero included.
    return QString("/dev/mil1553dev-0-ch-%1 (0000:03:00.%1").arg(channel) + QChar(0) + ")";
}

bool activeTimer(const MainWindow &window)
{
    for (const QTimer *timer : window.findChildren<QTimer *>()) {
        if (timer->isActive())
            return true;
    }
    return false;
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { BoardFixture::simulated(); }
    void init() { BoardFixture::reset(); }

    void startsWithTheFormsStates()
    {
        WindowProbe probe;
        QCOMPARE(probe.window.windowTitle(), QString("VelkorLinuxPciDriverTest"));
        QCOMPARE(probe.window.size(), QSize(857, 568));
        // An icon made from a missing file is not null either: check the image itself.
        QVERIFY(QFile::exists(":/icons/LOGO_R28_G73_B129_1024.jpg"));
        const QList<QSize> iconSizes = probe.window.windowIcon().availableSizes();
        QCOMPARE(iconSizes, QList<QSize>{QSize(1024, 993)});
        QCOMPARE(probe.channels()->count(), 0);
        QVERIFY(!probe.widget<QGroupBox>("groupBoxDriverTest")->isEnabled());
        QVERIFY(!probe.widget<QGroupBox>("groupBoxSimpleTest")->isEnabled());
        QVERIFY(!probe.ownEnabled("pushButton_stopDriverTest"));
        QVERIFY(!probe.ownEnabled("pushButton_Stop"));
        for (const char *name : {"pushButton_startDriverTest", "pushButton_initBC", "pushButton_initRT",
                                 "pushButtonUpdateListChannels", "pushButtonClear"})
            QVERIFY2(probe.ownEnabled(name), name);
        QSpinBox *spinBox = probe.widget<QSpinBox>("spinBox");
        QCOMPARE(spinBox->value(), 2);
        QCOMPARE(spinBox->minimum(), 0);
        QCOMPARE(spinBox->maximum(), 30);
        QVERIFY(!activeTimer(probe.window));
        QCOMPARE(probe.widget<QPushButton>("pushButton_initBC")->text(), QString("Настроить КШ"));
        QCOMPARE(probe.widget<QLabel>("label_3")->text(), QString("Адрес передачи для КШ /\nАдрес ОУ:\n"));
    }

    void refreshListsEveryChannelWithItsLocation()
    {
        WindowProbe probe;
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
        probe.click("pushButtonUpdateListChannels");
        QVERIFY(driverTest->isEnabled() && simpleTest->isEnabled());
        probe.channels()->setCurrentIndex(-1);
        QVERIFY(!driverTest->isEnabled() && !simpleTest->isEnabled());
        probe.channels()->setCurrentIndex(3);
        QVERIFY(driverTest->isEnabled() && simpleTest->isEnabled());
        probe.channels()->clear();
        QVERIFY(!driverTest->isEnabled() && !simpleTest->isEnabled());
    }

    void terminalLinesCarryTheLocalTimeAndTheMessageUnchanged()
    {
        WindowProbe probe;
        const QTime before = QTime::currentTime();
        emit probe.window.signal_writeInTerminal("100% done %1 %2");
        emit probe.window.signal_writeInTerminal("second");
        QCOMPARE(probe.terminal()->count(), 2);
        const QString line = probe.terminal()->item(0)->text();
        QVERIFY2(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d: 100% done %1 %2$").match(line).hasMatch(),
                 qPrintable(line));
        const QTime stamp = QTime::fromString(line.left(12), "hh:mm:ss.zzz");
        QVERIFY(qAbs(before.msecsTo(stamp)) < 1000);
        QCOMPARE(probe.messages(), QStringList({"100% done %1 %2", "second"}));
    }

    // Rows are laid out without measuring each one; a long line written after
    // short ones must still be readable in full by scrolling, not cut.
    void everyLineFitsItsRow()
    {
        WindowProbe probe;
        probe.window.show();
        emit probe.window.signal_writeInTerminal("short");
        QApplication::processEvents();
        const QString longMessage = "Слова данных:" + QString(" 0xffff,").repeated(40);
        emit probe.window.signal_writeInTerminal(longMessage);
        QApplication::processEvents();
        QListWidget *terminal = probe.terminal();
        const int textWidth = terminal->fontMetrics().horizontalAdvance(terminal->item(1)->text());
        QVERIFY(terminal->visualItemRect(terminal->item(1)).width() >= textWidth);
        QVERIFY(terminal->horizontalScrollBar()->maximum() > 0);
        QCOMPARE(terminal->visualItemRect(terminal->item(0)).height(),
                 terminal->visualItemRect(terminal->item(1)).height());
    }

    void clearEmptiesTheTerminal()
    {
        WindowProbe probe;
        emit probe.window.signal_writeInTerminal("a");
        emit probe.window.signal_writeInTerminal("b");
        probe.click("pushButtonClear");
        QCOMPARE(probe.terminal()->count(), 0);
        emit probe.window.signal_writeInTerminal("c");
        QCOMPARE(probe.messages(), QStringList{"c"});
    }

    void driverTestButtonsAlternate()
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
        QVERIFY(activeTimer(probe.window));

        probe.clearTerminal();
        BoardFixture::board().clearLog();
        probe.click("pushButton_Stop");
        QCOMPARE(probe.messages(), QStringList{"Стоп!"});
        QVERIFY(probe.button("pushButton_initBC")->isEnabled());
        QVERIFY(probe.button("pushButton_initRT")->isEnabled());
        QVERIFY(!probe.button("pushButton_Stop")->isEnabled());
        QVERIFY(!activeTimer(probe.window));
        QVERIFY2(BoardFixture::log().isEmpty(), "Stop sends nothing to the driver");
    }

    void stopAfterAFailedSetUpGivesTheButtonsBack()
    {
        WindowProbe probe;
        probe.selectChannel(2);
        BoardFixture::simulated().makeOpenFail("mil1553dev-0-ch-2");
        probe.click("pushButton_initBC");
        BoardFixture::simulated().removeEntry("mil1553dev-0-ch-2");
        BoardFixture::simulated().addNode("mil1553dev-0-ch-2", 2);
        QCOMPARE(probe.messages(), QStringList({" - РЕЖИМ КШ - '/dev/mil1553dev-0-ch-2' -",
                                                "Символьное устройство канала не найдено!"}));
        QVERIFY(probe.button("pushButton_Stop")->isEnabled());
        QVERIFY(!activeTimer(probe.window));
        probe.click("pushButton_Stop");
        QVERIFY(probe.button("pushButton_initBC")->isEnabled());
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
