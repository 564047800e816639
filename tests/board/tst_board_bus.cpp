// Rules of the simulated bus that the tool-level tests do not reach.
#include "bus_schedule.h"
#include "queues.h"
#include "tool_set_up.h"

#include <QtTest>

#include <tuple>

using namespace records;
using namespace velkor_sim;
namespace rq = velkor_sim::request;

namespace {

// type, data-word count, service-word count, success, bus B, subaddress (RT only).
using Fields = std::tuple<unsigned, unsigned, unsigned, bool, bool, unsigned>;

Fields controllerFields(const Bytes &block)
{
    const auto w = get<uint32_t>(block, 0);
    return {(w >> 1) & 0xF, (w >> 5) & 0x3F, (w >> 11) & 0xF, bool(w & 0x10000000),
            bool(w & 0x8000), 0};
}

// Channel 0 as bus controller addressing `address`, channel 1 as terminal 5.
void setUpPair(Board &board, uint32_t address)
{
    board.setBusAutoRun(false);
    tool::setUpController(board, 0, address);
    tool::setUpTerminal(board, 1, 5);
}

} // namespace

class TestBoardBus : public QObject {
    Q_OBJECT

private slots:
    void activityFollowsChannelState_data();
    void activityFollowsChannelState();
    void interruptsFollowEnables_data();
    void interruptsFollowEnables();
    void fullQueuesDropNewBlocks();
    void catchUpIsCapped_data();
    void catchUpIsCapped();
    void autoRunIsTheDefaultAfterReset();
};

void TestBoardBus::activityFollowsChannelState_data()
{
    QTest::addColumn<unsigned>("channel");
    QTest::addColumn<quint64>("request");
    QTest::addColumn<int>("controllerBlocks");
    QTest::addColumn<int>("terminalBlocks");
    // A terminal left alone gets the external bus controller's two messages.
    QTest::newRow("both running") << 0u << quint64(0) << 4 << 4;
    QTest::newRow("bc program bit clear") << 0u << quint64(rq::kWriteRegMasked) << 0 << 2;
    QTest::newRow("bc off") << 0u << quint64(rq::kChannelOn) << 0 << 2;
    QTest::newRow("bc stopped") << 0u << quint64(rq::kStop) << 0 << 2;
    QTest::newRow("bc reset") << 0u << quint64(rq::kReset) << 0 << 2;
    QTest::newRow("rt off") << 1u << quint64(rq::kChannelOn) << 4 << 0;
    QTest::newRow("rt stopped") << 1u << quint64(rq::kStop) << 4 << 0;
    QTest::newRow("rt reset") << 1u << quint64(rq::kReset) << 4 << 0;
}

void TestBoardBus::activityFollowsChannelState()
{
    QFETCH(unsigned, channel);
    QFETCH(quint64, request);
    QFETCH(int, controllerBlocks);
    QFETCH(int, terminalBlocks);
    Board board;
    setUpPair(board, 5);
    if (request == rq::kWriteRegMasked)
        tool::writeReg(board, channel, 0x2008, 0, 0x8000);
    else if (request == rq::kChannelOn)
        tool::sendWord(board, channel, request, 0);
    else if (request)
        tool::sendBare(board, channel, request);
    board.runBusPasses(1);
    QCOMPARE(board.pendingDmaBlocks(0), std::size_t(controllerBlocks));
    QCOMPARE(board.pendingDmaBlocks(1), std::size_t(terminalBlocks));
}

void TestBoardBus::interruptsFollowEnables_data()
{
    QTest::addColumn<bool>("intBc");
    QTest::addColumn<bool>("receive");
    QTest::addColumn<bool>("transmit");
    QTest::addColumn<quint32>("mask");
    QTest::addColumn<int>("controllerInterrupts");
    QTest::addColumn<std::vector<uint32_t>>("terminalInterrupts");
    QTest::newRow("none") << false << false << false << 0x7FFFFFFEu << 0 << std::vector<uint32_t>{};
    QTest::newRow("receive only") << true << true << false << 0x7FFFFFFEu << 1
                                  << std::vector<uint32_t>{0x2, 0x2};
    QTest::newRow("subaddress 1 masked") << true << true << true << 0x4u << 1
                                         << std::vector<uint32_t>{0x4, 0x4};
}

void TestBoardBus::interruptsFollowEnables()
{
    QFETCH(bool, intBc);
    QFETCH(bool, receive);
    QFETCH(bool, transmit);
    QFETCH(quint32, mask);
    QFETCH(int, controllerInterrupts);
    QFETCH(std::vector<uint32_t>, terminalInterrupts);
    Board board;
    setUpPair(board, 5);
    tool::setInterrupts(board, 0, {0, intBc});
    tool::setInterrupts(board, 1, {0, 0, receive, transmit});
    tool::setSubaddressInterrupts(board, 1, mask);
    board.runBusPasses(1);
    QCOMPARE(board.pendingInterruptBlocks(0), std::size_t(controllerInterrupts));
    QCOMPARE(tool::readInterruptWords(board, 1), terminalInterrupts);
}

void TestBoardBus::fullQueuesDropNewBlocks()
{
    Board board;
    setUpPair(board, 5);
    for (std::size_t i = 1; i < kQueueCapacity; ++i)
        board.queueDmaBlock(0, markedBlock(0xee));
    for (std::size_t i = 0; i < kQueueCapacity; ++i)
        board.queueInterruptBlock(0, {0, 0xee, 0, 0});
    board.runBusPasses(1);
    QCOMPARE(board.pendingDmaBlocks(0), kQueueCapacity);
    QCOMPARE(board.pendingInterruptBlocks(0), kQueueCapacity);
    QCOMPARE(std::get<0>(controllerFields(tool::readDmaBlocks(board, 0).back())), 1u);
}

void TestBoardBus::catchUpIsCapped_data()
{
    QTest::addColumn<int>("elapsedMs");
    QTest::addColumn<quint64>("passes");
    QTest::addColumn<quint64>("nextPassMicros");
    QTest::newRow("under a period") << 499 << quint64(0) << quint64(500000);
    QTest::newRow("two periods") << 1200 << quint64(2) << quint64(500000);
    QTest::newRow("an hour") << 3600000 << quint64(20) << quint64(3590500000ull);
}

// The board clock counts skipped passes too: after an hour's pause the
// twenty passes run are the last twenty of that hour.
void TestBoardBus::catchUpIsCapped()
{
    QFETCH(int, elapsedMs);
    QFETCH(quint64, passes);
    QFETCH(quint64, nextPassMicros);
    const BusSchedule::Steady::time_point start{};
    const auto now = start + std::chrono::milliseconds(elapsedMs);
    BusSchedule schedule(start);
    QCOMPARE(quint64(schedule.catchUp(now)), passes);
    QCOMPARE(quint64(schedule.nextPass()), nextPassMicros);
    QCOMPARE(quint64(schedule.catchUp(now)), quint64(0));
}

void TestBoardBus::autoRunIsTheDefaultAfterReset()
{
    Board board;
    board.setBusAutoRun(false);
    board.runBusPasses(3);
    board.reset();
    tool::setUpController(board, 0, 5);
    tool::setUpTerminal(board, 1, 5);
    QTest::qSleep(600);
    const auto bc = tool::readDmaBlocks(board, 0);
    QCOMPARE(bc.size(), std::size_t(4));
    QCOMPARE(get<uint32_t>(bc[0], 4), 500000u);
}

QTEST_APPLESS_MAIN(TestBoardBus)
#include "tst_board_bus.moc"
