// The window's controls driven by object name, and the channel list: which
// entries of /dev are channels, in which order, and their PCI locations.
#include "board_fixture.h"
#include "channel_finder.h"
#include "window_probe.h"

#include <QDir>

#include <clocale>

namespace {

int openDescriptors()
{
    return QDir("/proc/self/fd").entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System).size();
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

    // Entries of /dev that a test made, removed after it.
    QStringList added;

    void add(const char *node)
    {
        BoardFixture::simulated().addNode(node, 1);
        added.append(node);
    }

private slots:
    void initTestCase()
    {
        // The benches run in Russian: the tests do too, not in a C locale that a missing locale falls back to.
        QCOMPARE(QByteArray(std::setlocale(LC_CTYPE, nullptr)), QByteArray("ru_RU.UTF-8"));
    }
    void init() { BoardFixture::reset(); }
    void cleanup()
    {
        for (const QString &name : std::as_const(added))
            BoardFixture::simulated().removeEntry(name.toStdString());
        added.clear();
    }

    // Each call looks again, and orders by name, so channel 10 comes before 2;
    // only device nodes named wholly as the driver names them count.
    void listsEveryChannelNodeByName()
    {
        QStringList channels{"/dev/mil1553dev-0-ch-0", "/dev/mil1553dev-0-ch-1", "/dev/mil1553dev-0-ch-2",
                             "/dev/mil1553dev-0-ch-3"};
        QCOMPARE(ChannelFinder::getChannelList(), channels);
        add("mil1553dev-0-ch-10");
        channels.insert(2, "/dev/mil1553dev-0-ch-10");
        QCOMPARE(ChannelFinder::getChannelList(), channels);
        for (const char *name : {"mil1553dev-12-ch-0", "xmil1553dev-0-ch-1", "MIL1553DEV-0-ch-1", "mil1553dev-0-ch-1a",
                                 "mil1553dev-0-CH-1"})
            add(name);
        BoardFixture::simulated().addRegularFile("mil1553dev-1-ch-0");
        BoardFixture::simulated().addFolder("mil1553dev-1-ch-1");
        added << "mil1553dev-1-ch-0" << "mil1553dev-1-ch-1";
        const QStringList listed = ChannelFinder::getChannelList();
        QVERIFY(listed.contains("/dev/mil1553dev-12-ch-0"));
        QCOMPARE(listed.size(), 6);
    }

    // A node that will not open is listed with an empty location.
    void eachChannelCarriesAllThirteenBytesOfItsLocation()
    {
        BoardFixture::simulated().makeOpenFail("mil1553dev-0-ch-3");
        const QVector<ChannelFinder::ChannelInfo> channels = ChannelFinder::getChannelInfoList();
        BoardFixture::simulated().removeEntry("mil1553dev-0-ch-3");
        BoardFixture::simulated().addNode("mil1553dev-0-ch-3", 3);
        QCOMPARE(channels.size(), 4);
        for (int channel = 0; channel < 3; ++channel)
            QCOMPARE(channels[channel].toString(), QString("/dev/mil1553dev-0-ch-%1 (0000:03:00.%1").arg(channel) + QChar(0) + ")");
        QCOMPARE(channels[3].m_pciLocation, QString(13, QChar(0)));
        QCOMPARE(BoardFixture::log(), QStringList({"ch0 IOCTL_GET_PCI_LOCATION", "ch1 IOCTL_GET_PCI_LOCATION",
                                                   "ch2 IOCTL_GET_PCI_LOCATION"}));
    }

    // An icon made from a missing file is not null either: its sizes tell.
    void showsItsIconAndTheRangeOfTerminalAddresses()
    {
        WindowProbe probe;
        QCOMPARE(probe.window.windowIcon().availableSizes(), QList<QSize>{QSize(1024, 993)});
        const QSpinBox *address = probe.widget<QSpinBox>("spinBox");
        QCOMPARE((QList<int>{address->minimum(), address->value(), address->maximum()}), (QList<int>{0, 2, 30}));
    }

    // The location is shown with all 13 bytes of its record, terminating zero
    // included. The tests of a channel need one chosen.
    void refreshListsEveryChannelWithItsLocationOnce()
    {
        WindowProbe probe;
        const auto groupsEnabled = [&] { return probe.enabled({"groupBoxDriverTest", "groupBoxSimpleTest"}); };
        QCOMPARE(groupsEnabled(), QString("00"));
        probe.click("pushButtonUpdateListChannels");
        probe.click("pushButtonUpdateListChannels");
        QCOMPARE(probe.channels()->count(), 4);
        for (int channel = 0; channel < 4; ++channel)
            QCOMPARE(probe.channels()->itemText(channel),
                     QString("/dev/mil1553dev-0-ch-%1 (0000:03:00.%1").arg(channel) + QChar(0) + ")");
        QCOMPARE(probe.channels()->currentIndex(), 0);
        QVERIFY(probe.messages().isEmpty());
        QCOMPARE(groupsEnabled(), QString("11"));
        probe.channels()->setCurrentIndex(-1);
        QCOMPARE(groupsEnabled(), QString("00"));
        probe.channels()->setCurrentIndex(3);
        QCOMPARE(groupsEnabled(), QString("11"));
    }

    // Each run opens the node again; the descriptor it replaces is closed.
    void driverTestButtonsAlternateAndCloseWhatTheyReplace()
    {
        WindowProbe probe;
        const auto buttonsEnabled = [&] { return probe.enabled({"pushButton_startDriverTest", "pushButton_stopDriverTest"}); };
        probe.selectChannel(1);
        probe.click("pushButton_startDriverTest");
        QCOMPARE(buttonsEnabled(), QString("01"));
        probe.clearTerminal();
        probe.click("pushButton_stopDriverTest");
        QCOMPARE(probe.messages(), QStringList{"Стоп!"});
        QCOMPARE(buttonsEnabled(), QString("10"));

        const int settled = openDescriptors();
        for (int run = 0; run < 10; ++run) {
            probe.click("pushButton_startDriverTest");
            probe.click("pushButton_stopDriverTest");
        }
        QCOMPARE(openDescriptors(), settled);
    }

    void modeButtonsGiveWayToStopAndBack()
    {
        for (const char *modeButton : {"pushButton_initBC", "pushButton_initRT"}) {
            WindowProbe probe;
            const auto buttonsEnabled = [&] { return probe.enabled({"pushButton_initBC", "pushButton_initRT", "pushButton_Stop"}); };
            probe.selectChannel(0);
            probe.click(modeButton);
            QCOMPARE(buttonsEnabled(), QString("001"));
            QCOMPARE(probe.activeTimerInterval(), 2000);

            probe.clearTerminal();
            BoardFixture::board().clearLog();
            probe.click("pushButton_Stop");
            QCOMPARE(probe.messages(), QStringList{"Стоп!"});
            QCOMPARE(buttonsEnabled(), QString("110"));
            QCOMPARE(probe.activeTimerInterval(), 0);
            QVERIFY2(BoardFixture::log().isEmpty(), "Stop sends nothing to the driver");
        }
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
