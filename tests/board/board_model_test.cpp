// The board model through its own API, with its clock handed in: nothing here
// sleeps, so a schedule of seconds runs in microseconds and cannot flake.
// Records are laid out in 32-bit words as the driver's callers lay them out;
// expected values come from the driver's tables and 1553's word timing.
// Boards are kept apart by the launcher's test, which runs two with faults.
#include "board.h"

#include <QtTest>

#include <cerrno>
#include <cstring>
#include <optional>

using namespace velkor_sim;
using namespace std::chrono_literals;
using Words = QList<uint>;

namespace {

constexpr unsigned long SET_MODE = 0x40046204, CHANNEL_ON = 0x40046222, START = 0x6208, RESET = 0x6205;
constexpr unsigned long SET_RT_ADDRESS = 0x40016213, WRITE_BC_RAM = 0x4018621d, WRITE_REG_MASKED = 0x40106201;
constexpr unsigned long SET_INTERRUPTS = 0x40096210, SET_INT_SUBADDR_A = 0x40086226, SET_INT_SUBADDR_B = 0x40086227;
constexpr unsigned long GET_NUMBER_CHANNEL = 0xc0046237, GET_COUNT_DMA = 0xc0046207, READ_DMA = 0xc0106206;
constexpr unsigned long READ_INT = 0xc0106233;

// A board whose clock moves only when the test moves it, with auto-run on as
// when it serves a program. It keeps the limits that its trace is told, and is
// the caller's memory too: one record, whose pointers lead into this process.
struct TestBoard : BoardTrace, CallerMemory {
    TestBoard() : board(0, [this] { return now; }) { board.setTrace(this); }
    void command(unsigned, const std::string &, const Reply &) override {}
    void busAtLimit(uint32_t messagesPerSecond) override { limits.append(messagesPerSecond); }
    uint8_t *record(std::size_t) override { return reinterpret_cast<uint8_t *>(words.data()); }
    uint8_t *follow(std::size_t offset, std::size_t) override { return *reinterpret_cast<uint8_t **>(record(0) + offset); }

    // The record as the command left it; `pointer` fills the pointer field at `at`.
    std::array<uint32_t, 32> send(unsigned channel, unsigned long request, std::initializer_list<uint32_t> fields = {},
                                  const void *pointer = nullptr, std::size_t at = 8)
    {
        words = {};
        std::copy(fields.begin(), fields.end(), words.begin());
        if (pointer)
            std::memcpy(record(0) + at, &pointer, sizeof pointer);
        reply = board.command(channel, request, *this);
        return words;
    }

    std::chrono::steady_clock::time_point now{};
    Board board;
    alignas(uint8_t *) std::array<uint32_t, 32> words{}; // pointers too
    Reply reply{};
    Words limits;
};

void runTerminal(TestBoard &t, unsigned channel, uint32_t address)
{
    for (const auto &[request, value] : {std::pair{SET_MODE, 2u}, {SET_RT_ADDRESS, address}, {CHANNEL_ON, 1u}, {START, 0u}})
        t.send(channel, request, {value});
}

// Each command word is one operation; the data area stays empty.
void runController(TestBoard &t, unsigned channel, const std::vector<uint32_t> &commands)
{
    std::vector<uint32_t> operations;
    for (uint32_t command : commands)
        operations.insert(operations.end(), {0x10000, command << 16});
    t.send(channel, WRITE_BC_RAM, {1, 0, uint32_t(operations.size())}, operations.data(), 16);
    for (const auto &[request, value] : {std::pair{SET_MODE, 1u}, {CHANNEL_ON, 1u}, {START, 0u}})
        t.send(channel, request, {value});
    t.send(channel, WRITE_REG_MASKED, {0x2000 * (channel + 1) + 0x08, 0, 0x8000, 0x8000});
}

// Words `first` to `first + count - 1` of each block that a read delivers,
// with room for `countBlocks` and a buffer `lengthBlocks` long.
Words readDma(TestBoard &t, unsigned channel, uint32_t countBlocks, int first, int count, uint32_t lengthBlocks = 0)
{
    std::vector<std::array<uint32_t, 32>> buffer(countBlocks);
    const uint32_t delivered =
        t.send(channel, READ_DMA, {countBlocks, (lengthBlocks ? lengthBlocks : countBlocks) * 128}, buffer.data())[0];
    Words words;
    for (uint32_t block = 0; block < std::min(countBlocks, delivered); ++block)
        words += Words(buffer[block].begin() + first, buffer[block].begin() + first + count);
    return words;
}

// The entries that a read delivers, four words each.
Words readInterrupts(TestBoard &t, unsigned channel, uint32_t room)
{
    std::vector<uint32_t> entries(4 * room);
    const uint32_t delivered = t.send(channel, READ_INT, {room}, entries.data())[0];
    return Words(entries.begin(), entries.begin() + 4 * std::min(room, delivered));
}

} // namespace

class BoardModelTest : public QObject
{
    Q_OBJECT

private slots:
    // Bus controller on channel 0, terminal 5 on channel 1, each with its
    // interrupts (the terminal's for subaddresses 1 and 2; B's mask is only
    // kept). One pass at 500 ms; a message takes 20 µs a word and 20 µs of gaps.
    void aPassTimesEachMessageByItsWords()
    {
        TestBoard t;
        runTerminal(t, 1, 5);
        t.send(1, SET_INTERRUPTS, {0x01010000});
        t.send(1, SET_INT_SUBADDR_A, {1, 0x6});
        t.send(1, SET_INT_SUBADDR_B, {1, 0xffffffff});
        runController(t, 0, {0x2830, 0x2c42, 0x4823, 0x4c44, 0x2860, 0x2c40});
        t.send(0, SET_INTERRUPTS, {0x100});
        t.now += 500ms;
        // Status word, timer, command word, the terminal's status word, 0.
        QCOMPARE(readDma(t, 0, 10, 0, 5), (Words{0x10001202, 500000, 0x2830, 0x2800, 0,  // receive 16 to 5/1: 18 words
                                                 0x10001044, 500380, 0x2c42, 0x2800, 0,  // transmit 2 from 5/2: 4
                                                 0x00000862, 500480, 0x4823, 0, 0,       // receive 3, nobody answers: 4
                                                 0x00000804, 500580, 0x4c44, 0, 0,       // transmit 4, nobody answers: 1
                                                 0x10001402, 500620, 0x2860, 0x2800, 0,  // receive 32 to 5/3: 34
                                                 0x10001404, 501320, 0x2c40, 0x2800, 0})); // transmit 32 from 5/2: 34
        // Status word, command word, status word, 0, timer: answered messages only.
        QCOMPARE(readDma(t, 1, 10, 0, 5), (Words{0x08001201, 0x2830, 0x2800, 0, 500000, 0x10001042, 0x2c42, 0x2800, 0, 500380,
                                                 0x08001403, 0x2860, 0x2800, 0, 500620, 0x10001402, 0x2c40, 0x2800, 0, 501320}));
        QCOMPARE(readInterrupts(t, 0, 10), (Words{502020, 1, 0, 0}));
        QCOMPARE(readInterrupts(t, 1, 10), (Words{500000, 2, 0x2830, 0, 500380, 4, 0x2c42, 0, 501320, 4, 0x2c40, 0}));
    }

    // Terminal 5 alone, so the external controller's receive (380 µs) and
    // transmit (100 µs) alternate: at the rate, back to back at max or when
    // the rate is too high (said once), in 500 ms passes without a load.
    // After a long silence only its end runs, while the board clock counts it all.
    void theBusKeepsItsSchedule()
    {
        for (const auto &[rate, silence, blocks, firstStarts, limits] :
             {std::tuple{std::optional(1000u), 3ms, 4, Words{0, 1000, 2000, 3000}, Words{}},
              {0u, 3ms, 13, {0, 380, 480, 860}, {}}, {25000u, 3ms, 13, {0, 380, 480, 860}, {4166}},
              {1000u, 60000ms, 10001, {50000000, 50001000, 50002000, 50003000}, {}},
              {std::nullopt, 3600000ms, 40, {3590500000, 3590500380, 3591000000, 3591000380}, {}}}) {
            TestBoard t;
            if (rate)
                t.board.setBusLoad(*rate);
            runTerminal(t, 1, 5);
            t.now += silence;
            const Words starts = readDma(t, 1, 20000, 4, 1);
            QCOMPARE(int(starts.size()), blocks);
            QCOMPARE(starts.mid(0, 4), firstStarts);
            t.now += 3ms;
            t.send(1, GET_COUNT_DMA);
            QCOMPARE(t.limits, limits);
        }
    }

    // A full queue (65536) drops what arrives, from the bus or queued; reads
    // hand out each block once, in order, no more than the count and the
    // buffer allow. The queues outlive a reset, as blocks in the driver do.
    void theQueuesKeepTheirOrderAndTheirCap()
    {
        TestBoard t;
        runTerminal(t, 1, 5);
        t.send(1, SET_INTERRUPTS, {0x01010000});
        t.send(1, SET_INT_SUBADDR_A, {1, 0x6});
        for (uint32_t n = 1; n <= 65537; ++n) {
            t.board.queueDmaBlock(1, {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16)}); // word 0 is n
            t.board.queueInterruptBlock(1, {n, n + 10, n + 20, n + 30});
        }
        t.now += 500ms;
        t.send(1, RESET);
        QCOMPARE(t.board.pendingInterruptBlocks(1), std::size_t(65536));
        QCOMPARE(readInterrupts(t, 1, 2), (Words{1, 11, 21, 31, 2, 12, 22, 32}));
        QCOMPARE(readDma(t, 1, 2, 0, 1), (Words{1, 2}));
        QCOMPARE(readDma(t, 1, 10, 0, 1, 1), Words{3});
        QCOMPARE(readDma(t, 1, 1, 0, 1, 10), Words{4});
        const Words rest = readDma(t, 1, 65536, 0, 1);
        QCOMPARE((Words{uint(rest.size()), rest.first(), rest.last()}), (Words{65532, 5, 65536}));
    }

    // Each fault and its end: the same command three times, on a board whose
    // channel 1 holds two DMA blocks and one interrupt block.
    void eachFaultShowsItsEffectAndItsEnd()
    {
        for (const auto &[inject, channel, request, expected] : {
                 std::tuple{+[](Board &b) { b.failNumberQuery(); }, 2u, GET_NUMBER_CHANNEL,
                            QStringList{"EIO", "EIO", "EIO"}},
                 {[](Board &b) { b.failNext(GET_COUNT_DMA, 2); }, 1u, GET_COUNT_DMA, {"EIO", "EIO", "2"}},
                 {[](Board &b) { b.reportDmaCount(1, 7); }, 1u, GET_COUNT_DMA, {"7", "7", "7"}},
                 {[](Board &b) { b.overreportNextRead(1, 5); }, 1u, READ_DMA, {"7", "0", "0"}},
                 {[](Board &b) { b.overreportNextInterruptRead(1, 3); }, 1u, READ_INT, {"4", "0", "0"}},
                 {[](Board &b) { b.dropDmaBlocksBeforeNextRead(1); b.queueDmaBlocksBeforeNextRead(1, {{}}); }, 1u,
                  READ_DMA, {"1", "0", "0"}},
                 // A read that fails with EIO leaves the faults that wait for a read.
                 {[](Board &b) { b.failNext(READ_DMA); b.overreportNextRead(1, 5); }, 1u, READ_DMA, {"EIO", "7", "0"}},
             }) {
            TestBoard t;
            t.board.queueDmaBlock(1, DmaBlock{});
            t.board.queueDmaBlock(1, DmaBlock{});
            t.board.queueInterruptBlock(1, {1, 1, 0, 0});
            inject(t.board);
            QStringList outcomes;
            std::vector<DmaBlock> buffer(10);
            for (int i = 0; i < 3; ++i) {
                const uint32_t answer = t.send(channel, request, {10, 10 * 128}, buffer.data())[0];
                outcomes << (t.reply.result ? (t.reply.error == EIO ? "EIO" : "error") : QString::number(answer));
            }
            QCOMPARE(outcomes, expected);
        }
    }
};

QTEST_APPLESS_MAIN(BoardModelTest)
#include "board_model_test.moc"
