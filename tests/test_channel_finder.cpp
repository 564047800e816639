// Which entries of /dev are channels, in which order, and their PCI locations.
#include "board_fixture.h"
#include "channel_finder.h"

#include <QtTest>

#include <utility>

namespace {

QStringList paths(std::initializer_list<const char *> names)
{
    QStringList result;
    for (const char *name : names)
        result.append(QString("/dev/%1").arg(name));
    return result;
}

} // namespace

class ChannelFinderTest : public QObject
{
    Q_OBJECT

    QStringList added;

    void addNode(const char *name, unsigned channel)
    {
        BoardFixture::simulated().addNode(name, channel);
        added.append(name);
    }

private slots:
    void initTestCase() { BoardFixture::simulated(); }
    void init() { BoardFixture::reset(); }
    void cleanup()
    {
        for (const QString &name : std::as_const(added))
            BoardFixture::simulated().removeEntry(name.toStdString());
        added.clear();
    }

    // Each call looks again, and orders by name, so channel 10 comes before 2.
    void listsEveryChannelNodeByName()
    {
        QCOMPARE(ChannelFinder::getChannelList(),
                 paths({"mil1553dev-0-ch-0", "mil1553dev-0-ch-1", "mil1553dev-0-ch-2", "mil1553dev-0-ch-3"}));
        addNode("mil1553dev-0-ch-10", 1);
        QCOMPARE(ChannelFinder::getChannelList(),
                 paths({"mil1553dev-0-ch-0", "mil1553dev-0-ch-1", "mil1553dev-0-ch-10", "mil1553dev-0-ch-2",
                        "mil1553dev-0-ch-3"}));
    }

    void acceptsOnlyWholeNamesOfTheNodeKind()
    {
        addNode("mil1553dev-12-ch-0", 0);
        addNode("xmil1553dev-0-ch-1", 1);
        addNode("MIL1553DEV-0-ch-1", 1);
        addNode("mil1553dev-0-ch-1a", 1);
        addNode("mil1553dev-0-CH-1", 1);
        BoardFixture::simulated().addRegularFile("mil1553dev-1-ch-0");
        BoardFixture::simulated().addFolder("mil1553dev-1-ch-1");
        added << "mil1553dev-1-ch-0" << "mil1553dev-1-ch-1";

        const QStringList channels = ChannelFinder::getChannelList();
        QVERIFY(channels.contains("/dev/mil1553dev-12-ch-0"));
        QCOMPARE(channels.size(), 5);
    }

    // A node that will not open is listed with an empty location.
    void eachChannelCarriesAllThirteenBytesOfItsLocation()
    {
        BoardFixture::simulated().makeOpenFail("mil1553dev-0-ch-3");
        const QVector<ChannelFinder::ChannelInfo> channels = ChannelFinder::getChannelInfoList();
        BoardFixture::simulated().removeEntry("mil1553dev-0-ch-3");
        BoardFixture::simulated().addNode("mil1553dev-0-ch-3", 3);
        QCOMPARE(channels.size(), 4);
        for (int channel = 0; channel < 3; ++channel) {
            const QString location = QString("0000:03:00.%1").arg(channel) + QChar(0);
            QCOMPARE(channels[channel].m_name, QString("/dev/mil1553dev-0-ch-%1").arg(channel));
            QCOMPARE(channels[channel].toString(), QString("/dev/mil1553dev-0-ch-%1 (%2)").arg(channel).arg(location));
        }
        QCOMPARE(channels[3].m_pciLocation, QString(13, QChar(0)));
        QCOMPARE(BoardFixture::log(), QStringList({"ch0 IOCTL_GET_PCI_LOCATION", "ch1 IOCTL_GET_PCI_LOCATION",
                                                   "ch2 IOCTL_GET_PCI_LOCATION"}));
    }
};

QTEST_GUILESS_MAIN(ChannelFinderTest)
#include "test_channel_finder.moc"
