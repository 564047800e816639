// A CUSE node's steps through one ioctl, without the kernel: what it asks
// for after each call, and, once everything has come, what the board reads
// and what goes back to the caller. The caller's record is at kRecord, its
// buffer at kBuffer: addresses that the node only passes on.
#include "ioctl_plan.h"
#include "received_memory.h"

#include <QtTest>

#include <cstring>

using namespace velkor_sim;
using Spans = std::vector<Span>;
using Words = std::vector<uint32_t>;

namespace {

constexpr unsigned long START = 0x6208, SET_MODE = 0x40046204, GET_DRIVER_VERSION = 0x80046228;
constexpr unsigned long READ_DMA = 0xc0106206, WRITE_BC_RAM = 0x4018621d;
constexpr uint64_t kRecord = 0x7ffd0000, kBuffer = 0x7f120000;

// What the kernel hands over: the record's words, the buffer pointer at
// `pointerAt`, followed by `inBuffer` to make up the in data.
std::vector<uint8_t> received(const Words &record, std::size_t pointerAt = 8, const Words &inBuffer = {})
{
    std::vector<uint8_t> bytes(record.size() * 4);
    std::memcpy(bytes.data(), record.data(), bytes.size());
    if (pointerAt + 8 <= bytes.size())
        std::memcpy(bytes.data() + pointerAt, &kBuffer, 8);
    for (uint32_t word : inBuffer)
        bytes.insert(bytes.end(), reinterpret_cast<uint8_t *>(&word), reinterpret_cast<uint8_t *>(&word) + 4);
    return bytes;
}

IoctlPlan plan(unsigned long request, const std::vector<uint8_t> &in, std::size_t outSize)
{
    return planIoctl(request, kRecord, in.data(), in.size(), outSize);
}

uint32_t word(const std::vector<uint8_t> &bytes, std::size_t index)
{
    uint32_t value;
    std::memcpy(&value, bytes.data() + 4 * index, 4);
    return value;
}

} // namespace

class IoctlPlanTest : public QObject
{
    Q_OBJECT

private slots:
    // The record first, returned only when the code says that the driver
    // writes it; then the buffers it points to (a DMA read's three calls are
    // the node's test). A command without a record, or one the board does
    // not know, runs at once.
    void eachCallAsksForWhatIsStillMissing()
    {
        const Words bcRam{1, 0, 6, 0, 0, 0}, bcRamTooLong{1, 0, 40000, 0, 0, 0};
        for (const auto &[what, request, in, outSize, complete, askIn, askOut] : {
                 std::tuple{"start", START, std::vector<uint8_t>{}, 0u, true, Spans{}, Spans{}},
                 {"unknown", 0xc0106299, {}, 0u, true, {}, {}},
                 {"set mode, first", SET_MODE, {}, 0u, false, {{kRecord, 4}}, {}},
                 {"set mode, record", SET_MODE, received({2}), 0u, true, {{kRecord, 4}}, {}},
                 {"version, first", GET_DRIVER_VERSION, {}, 0u, false, {{kRecord, 4}}, {{kRecord, 4}}},
                 {"version, record", GET_DRIVER_VERSION, received({0}), 4u, true, {{kRecord, 4}}, {{kRecord, 4}}},
                 {"BC RAM, first", WRITE_BC_RAM, {}, 0u, false, {{kRecord, 24}}, {}},
                 {"BC RAM, record", WRITE_BC_RAM, received(bcRam, 16), 0u, false, {{kRecord, 24}, {kBuffer, 24}}, {}},
                 {"BC RAM, words", WRITE_BC_RAM, received(bcRam, 16, Words(6)), 0u, true,
                  {{kRecord, 24}, {kBuffer, 24}}, {}},
                 // More than the kernel carries: the board finds the words unreachable.
                 {"BC RAM, too long", WRITE_BC_RAM, received(bcRamTooLong, 16), 0u, true, {{kRecord, 24}}, {}},
             }) {
            const IoctlPlan next = plan(request, in, outSize);
            QVERIFY2(next.complete == complete, what);
            QVERIFY2(next.in == askIn, what);
            QVERIFY2(next.out == askOut, what);
        }
    }

    // The board reads the words that came with a BC RAM write, as its log
    // shows, and finds those of one the kernel could not carry unreachable.
    void theBoardReadsTheBytesThatCame()
    {
        Board board;
        for (const auto &[in, result, logged] : {
                 std::tuple{received({1, 0, 2, 0, 0, 0}, 16, {0x10000, 0x8200000}), 0L,
                            "ch0 IOCTL_WRITE_BC_RAM type=1 shift=0 length=2 dwords=0x10000,0x8200000"},
                 {received({1, 0, 40000, 0, 0, 0}, 16), -1L, "ch0 IOCTL_WRITE_BC_RAM <unreadable>"},
             }) {
            const IoctlPlan complete = plan(WRITE_BC_RAM, in, 0);
            QVERIFY(complete.complete);
            ReceivedMemory memory(complete, in.data());
            QCOMPARE(board.command(0, WRITE_BC_RAM, memory).result, result);
            QCOMPARE(board.log().back(), std::string(logged));
            QVERIFY(memory.reply().empty());
        }
    }

    // Record and blocks within 128 KiB: a read of 2000 queued blocks asks for
    // 1023 and delivers them, its count saying so.
    void aReadDeliversWhatTheKernelCarries()
    {
        Board board;
        for (uint32_t n = 1; n <= 2000; ++n)
            board.queueDmaBlock(1, {uint8_t(n), uint8_t(n >> 8)});
        const std::vector<uint8_t> in = received({2000, 2000 * 128, 0, 0});
        const IoctlPlan complete = plan(READ_DMA, in, 16 + 1023 * 128);
        QVERIFY(complete.complete);
        QCOMPARE(complete.out, (Spans{{kRecord, 16}, {kBuffer, 1023 * 128}}));
        ReceivedMemory memory(complete, in.data());
        QCOMPARE(board.command(1, READ_DMA, memory).result, 0L);
        const std::vector<uint8_t> reply = memory.reply();
        QCOMPARE(reply.size(), std::size_t{16 + 1023 * 128});
        QCOMPARE((Words{word(reply, 0), word(reply, 4), word(reply, 4 + 32 * 1022)}), (Words{1023, 1, 1023}));
        QCOMPARE(board.pendingDmaBlocks(1), std::size_t{977});
    }
};

QTEST_APPLESS_MAIN(IoctlPlanTest)
#include "ioctl_plan_test.moc"
