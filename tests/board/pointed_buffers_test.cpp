// The table of the buffers that records point to, against the driver's
// record layouts in 32-bit words with 8-byte pointers:
// IOCTL_READ_DMA_BLOCKS {countBlocks, length, data}, IOCTL_READ_INT_BLOCKS
// {count_blocks, pad, entries}, IOCTL_WRITE_BC_RAM {type, shift, length, pad, dwords}.
#include "pointed_buffers.h"
#include "unsent_bytes.h"

#include <QtTest>

#include <array>
#include <cstring>

using namespace velkor_sim;
using Buffers = std::vector<PointedBuffer>;
using Record = std::array<uint32_t, 8>;

namespace {

constexpr unsigned long READ_DMA = 0xc0106206, READ_INT = 0xc0106233, WRITE_BC_RAM = 0x4018621d;
constexpr unsigned long READ_REG = 0xc0106202;
constexpr uint64_t kAddress = 0x7f0012345678;
constexpr auto In = PointedBuffer::Direction::In;
constexpr auto Out = PointedBuffer::Direction::Out;
constexpr std::size_t MiB = 1 << 20;

Record record(std::initializer_list<uint32_t> words, std::size_t pointerAt, uint64_t pointer = kAddress)
{
    Record record{};
    std::copy(words.begin(), words.end(), record.begin());
    std::memcpy(reinterpret_cast<uint8_t *>(record.data()) + pointerAt, &pointer, sizeof pointer);
    return record;
}

const uint8_t *bytes(const Record &record)
{
    return reinterpret_cast<const uint8_t *>(record.data());
}

} // namespace

class PointedBuffersTest : public QObject
{
    Q_OBJECT

private slots:
    // Where each buffer's pointer is, how long the buffer is and which way it
    // goes. A DMA read is held to its count and to its length alike; null
    // pointers, empty buffers and buffers above 64 MiB are not followed.
    void eachRecordNamesItsBuffer()
    {
        for (const auto &[what, request, fields, expected] : {
                 std::tuple{"DMA read", READ_DMA, record({3, 384}, 8), Buffers{{8, 384, Out}}},
                 {"DMA read, length for fewer", READ_DMA, record({10, 300}, 8), {{8, 256, Out}}},
                 {"DMA read, count for fewer", READ_DMA, record({2, 1280}, 8), {{8, 256, Out}}},
                 {"DMA read of none", READ_DMA, record({0, 1280}, 8), {}},
                 {"DMA read into null", READ_DMA, record({3, 384}, 8, 0), {}},
                 {"DMA read of 64 MiB", READ_DMA, record({524288, 64 * MiB}, 8), {{8, 64 * MiB, Out}}},
                 {"DMA read of 64 MiB and a block", READ_DMA, record({524289, 0xffffffff}, 8), {}},
                 {"sign-extended code", 0xffffffffc0106206, record({3, 384}, 8), {{8, 384, Out}}},
                 {"interrupt read", READ_INT, record({5}, 8), {{8, 80, Out}}},
                 {"interrupt read into null", READ_INT, record({5}, 8, 0), {}},
                 {"BC RAM", WRITE_BC_RAM, record({1, 0, 6}, 16), {{16, 24, In}}},
                 {"BC RAM of none", WRITE_BC_RAM, record({1, 0, 0}, 16), {}},
                 {"BC RAM of 64 MiB", WRITE_BC_RAM, record({1, 0, 16 * MiB}, 16), {{16, 64 * MiB, In}}},
                 {"BC RAM of 64 MiB and a word", WRITE_BC_RAM, record({1, 0, 16 * MiB + 1}, 16), {}},
                 {"register read", READ_REG, record({0x2000, 0, 5, 0}, 8), {}},
             }) {
            QVERIFY2(pointedBuffers(request, bytes(fields)) == expected, what);
        }
    }

    // Every pointer the tool puts into a record, followed or not: a recorder
    // blanks them, and a pointer left out would carry one run's addresses
    // into another.
    void eachRecordNamesItsPointerFields()
    {
        using Offsets = std::vector<std::size_t>;
        for (const auto &[what, request, offsets] : {
                 std::tuple{"DMA read", READ_DMA, Offsets{8}},
                 {"interrupt read", READ_INT, {8}},
                 {"BC RAM", WRITE_BC_RAM, {16}},
                 {"sign-extended code", 0xffffffffc0106233, {8}},
                 {"register read", READ_REG, {}},
                 {"version info, its pointers the driver's own", 0x8058621f, {}},
             }) {
            QVERIFY2(pointerFields(request) == offsets, what);
        }
    }

    // Counts are lowered to what the room holds, never raised; an in buffer
    // cannot be cut short and is left as it is.
    void anOutBufferIsLimitedByItsCount()
    {
        for (const auto &[what, request, fields, room, limited] : {
                 std::tuple{"DMA read", READ_DMA, record({40000, 40000 * 128}, 8), 131056u,
                            record({1023, 40000 * 128}, 8)},
                 {"DMA read that fits", READ_DMA, record({5, 640}, 8), 131056u, record({5, 640}, 8)},
                 {"interrupt read", READ_INT, record({10000}, 8), 131056u, record({8191}, 8)},
                 {"BC RAM", WRITE_BC_RAM, record({1, 0, 40000}, 16), 100u, record({1, 0, 40000}, 16)},
             }) {
            Record changed = fields;
            limitOutBuffer(request, reinterpret_cast<uint8_t *>(changed.data()), room);
            QVERIFY2(changed == limited, what);
        }
    }

    // Which bytes a recording may not hold a caller to: the rest must stay.
    void onlyWhatTheDriverReadsIsKept()
    {
        auto filled = [](std::size_t size) { return std::vector<uint8_t>(size, 0xab); };
        auto zeros = [](const std::vector<uint8_t> &record) {
            QString map;
            for (uint8_t byte : record)
                map += byte ? 'x' : '0';
            return map;
        };
        std::vector<uint8_t> version = filled(88);
        velkor_sim::zeroUnsentBytes(0x8058621fUL, version.data());
        QCOMPARE(zeros(version), QString(88, '0'));

        std::vector<uint8_t> readReg = filled(16);
        velkor_sim::zeroUnsentBytes(READ_REG, readReg.data());
        QCOMPARE(zeros(readReg), QString("xxxxxxxx00000000"));
        readReg = filled(16);
        velkor_sim::zeroUnfilledBytes(READ_REG, readReg.data());
        QCOMPARE(zeros(readReg), QString("xxxxxxxxxxxx0000"));

        std::vector<uint8_t> bcRam = filled(24);
        velkor_sim::zeroUnsentBytes(WRITE_BC_RAM, bcRam.data());
        QCOMPARE(zeros(bcRam), QString("xxxxxxxxxxxx000000000000"));

        std::vector<uint8_t> subaddress = filled(8);
        velkor_sim::zeroUnsentBytes(0x40086227UL, subaddress.data());
        QCOMPARE(zeros(subaddress), QString("x000xxxx"));

        std::vector<uint8_t> masked = filled(16);
        velkor_sim::zeroUnsentBytes(0x40106201UL, masked.data());
        QCOMPARE(zeros(masked), QString(16, 'x'));
    }
};

QTEST_APPLESS_MAIN(PointedBuffersTest)
#include "pointed_buffers_test.moc"
