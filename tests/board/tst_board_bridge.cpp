// The board served through umockdev: the test process is both the server and
// the caller, so it must run under LD_PRELOAD=libumockdev-preload.so.0.
#include "simulated_board.h"

#include <QtTest>

#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace velkor_sim;

namespace {

constexpr unsigned long kGetNumberChannel = 0xc0046237;
constexpr unsigned long kGetPciLocation = 0x800d6229;
constexpr unsigned long kReadDmaBlocks = 0xc0106206;

struct DmaRead {  // the 16-byte DMA_READ_BLOCK of a 64-bit build
    uint32_t countBlocks;
    uint32_t length;
    uint8_t *data;
};

} // namespace

class TestBoardBridge : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void nodeAnswersItsChannel();
    void dmaReadFollowsEmbeddedPointer();
    void listingShowsOnlySystemEntries();

private:
    int openNode(const char *name);
    SimulatedBoard *sim_ = nullptr;
};

void TestBoardBridge::initTestCase()
{
    QVERIFY2(qEnvironmentVariable("LD_PRELOAD").contains("libumockdev-preload"),
             "run with LD_PRELOAD=libumockdev-preload.so.0");
    sim_ = new SimulatedBoard;
}

void TestBoardBridge::cleanupTestCase()
{
    delete sim_;
}

int TestBoardBridge::openNode(const char *name)
{
    return open((QByteArray("/dev/") + name).constData(), O_RDWR);
}

void TestBoardBridge::nodeAnswersItsChannel()
{
    const int fd = openNode("mil1553dev-0-ch-1");
    QVERIFY(fd > 0);
    uint32_t number = 0;
    QCOMPARE(ioctl(fd, kGetNumberChannel, &number), 0);
    QCOMPARE(number, 1u);

    char location[13];
    std::memset(location, 'x', sizeof location);
    QCOMPARE(ioctl(fd, kGetPciLocation, location), 0);
    QCOMPARE(QByteArray(location, 13), QByteArray("0000:03:00.1", 13));
    close(fd);
}

void TestBoardBridge::dmaReadFollowsEmbeddedPointer()
{
    DmaBlock first{};
    first.fill(0x11);
    DmaBlock second{};
    second.fill(0x22);
    sim_->board().queueDmaBlock(1, first);
    sim_->board().queueDmaBlock(1, second);

    const int fd = openNode("mil1553dev-0-ch-1");
    QVERIFY(fd > 0);
    QByteArray buffer(3 * 128, '\xee');
    DmaRead record{3, 3 * 128, reinterpret_cast<uint8_t *>(buffer.data())};
    QCOMPARE(ioctl(fd, kReadDmaBlocks, &record), 0);
    QCOMPARE(record.countBlocks, 2u);
    QCOMPARE(buffer.mid(0, 128), QByteArray(128, '\x11'));
    QCOMPARE(buffer.mid(128, 128), QByteArray(128, '\x22'));
    QCOMPARE(buffer.mid(256), QByteArray(128, '\xee'));
    QCOMPARE(sim_->board().pendingDmaBlocks(1), std::size_t(0));
    close(fd);
}

void TestBoardBridge::listingShowsOnlySystemEntries()
{
    sim_->addRegularFile("mil1553dev-0-ch-7");
    sim_->addFolder("mil1553dev-0-ch-8");
    sim_->addNode("mil1553dev-12-ch-0", 2);
    sim_->makeOpenFail("mil1553dev-0-ch-3");
    sim_->removeEntry("mil1553dev-0-ch-2");

    QStringList listed = QDir("/dev").entryList(QDir::System, QDir::NoSort);
    listed.sort();
    QCOMPARE(listed, QStringList({"mil1553dev-0-ch-0", "mil1553dev-0-ch-1",
                                  "mil1553dev-0-ch-3", "mil1553dev-12-ch-0"}));

    QCOMPARE(openNode("mil1553dev-0-ch-3"), -1);
    QCOMPARE(openNode("mil1553dev-0-ch-2"), -1);
    const int fd = openNode("mil1553dev-12-ch-0");
    QVERIFY(fd > 0);
    uint32_t number = 0;
    QCOMPARE(ioctl(fd, kGetNumberChannel, &number), 0);
    QCOMPARE(number, 2u);
    close(fd);
}

QTEST_GUILESS_MAIN(TestBoardBridge)
#include "tst_board_bridge.moc"
