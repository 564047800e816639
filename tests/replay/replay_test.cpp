// The replay through its own API, against events built here and a caller's
// memory held in the test. Records in 32-bit words with 8-byte pointers:
// IOCTL_READ_DMA_BLOCKS {countBlocks, length, data}, IOCTL_WRITE_BC_RAM
// {type, shift, length, pad, dwords}, IOCTL_GET_DRIVER_VERSION {word}.
#include "replay.h"

#include <QtTest>

#include <cerrno>
#include <cstring>
#include <map>

using namespace velkor_sim;
using recording::Buffer;
using recording::Event;
using replay::Replay;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr unsigned long READ_DMA = 0xc0106206, WRITE_BC_RAM = 0x4018621d;
constexpr unsigned long DRIVER_VERSION = 0x80046228, READ_REG = 0xc0106202, RESET = 0x6205;
constexpr uint64_t kAddress = 0x7f0012345678;
constexpr const char *kNode = "mil1553dev-0-ch-0";
constexpr const char *kOther = "mil1553dev-0-ch-1";

Bytes words(std::initializer_list<uint32_t> values, std::size_t size)
{
    Bytes bytes(size);
    std::memcpy(bytes.data(), std::data(values), values.size() * 4);
    return bytes;
}

Bytes withPointer(Bytes record, std::size_t at, uint64_t pointer = kAddress)
{
    std::memcpy(record.data() + at, &pointer, sizeof pointer);
    return record;
}

Bytes pattern(std::size_t size, uint8_t from)
{
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = uint8_t(from + i);
    return bytes;
}

Event open(const std::string &node, long result = 5)
{
    Event event;
    event.kind = Event::Kind::Open;
    event.node = node;
    event.result = result;
    event.error = result < 0 ? ENOENT : 0;
    return event;
}

Event ioctl(const std::string &node, unsigned long request, Bytes in = {}, Bytes out = {},
            std::vector<Buffer> buffers = {})
{
    Event event;
    event.node = node;
    event.request = request;
    event.recordIn = std::move(in);
    event.recordOut = std::move(out);
    event.buffers = std::move(buffers);
    event.durationMicros = 41;
    return event;
}

Event driverVersion(const std::string &node = kNode, uint32_t word = 0x12100814)
{
    return ioctl(node, DRIVER_VERSION, words({0}, 4), words({word}, 4));
}

// Two blocks asked for into room for two, one delivered.
Event dmaRead(const Bytes &block)
{
    return ioctl(kNode, READ_DMA, words({2, 256}, 16), words({1, 256}, 16),
                 {{8, Buffer::Direction::Out, block}});
}

Event bcRam(const Bytes &dwords)
{
    return ioctl(kNode, WRITE_BC_RAM, words({1, 0, uint32_t(dwords.size() / 4)}, 24),
                 words({1, 0, uint32_t(dwords.size() / 4)}, 24), {{16, Buffer::Direction::In, dwords}});
}

// The caller's record, and the buffers its pointers lead to, by offset.
struct Caller : CallerMemory {
    Bytes recordBytes;
    std::map<std::size_t, Bytes> buffers;

    Caller(Bytes record = {}, std::map<std::size_t, Bytes> pointed = {})
        : recordBytes(std::move(record)), buffers(std::move(pointed)) {}

    uint8_t *record(std::size_t size) override
    {
        return size == recordBytes.size() ? recordBytes.data() : nullptr;
    }
    uint8_t *follow(std::size_t offset, std::size_t length) override
    {
        auto it = buffers.find(offset);
        return it != buffers.end() && length <= it->second.size() ? it->second.data() : nullptr;
    }
};

Caller dmaCaller(uint32_t count = 2, uint32_t length = 256)
{
    return {withPointer(words({count, length}, 16), 8), {{8, Bytes(length)}}};
}

Caller versionCaller()
{
    return {words({0}, 4), {}};
}

void answer(Replay &replay, unsigned long request, Caller &&caller, const std::string &node = kNode)
{
    replay.command(node, request, caller);
}

} // namespace

Q_DECLARE_METATYPE(Event)
Q_DECLARE_METATYPE(Caller)

class ReplayTest : public QObject
{
    Q_OBJECT

private slots:
    // The recorded record and out buffer come back, the caller's pointer
    // stays where the recording has zeros, and the recorded result with them.
    void aMatchingCallGetsTheRecordedAnswer()
    {
        Event failed = driverVersion();
        failed.result = -1;
        failed.error = EIO;
        Replay replay({open(kNode), dmaRead(pattern(128, 1)), failed, bcRam(pattern(24, 7))});
        Caller dma = dmaCaller();
        const Replay::Answer read = replay.command(kNode, READ_DMA, dma);
        QCOMPARE(read.departure, std::string());
        QCOMPARE(read.reply.result, 0L);
        QCOMPARE(read.durationMicros, uint64_t{41});
        QCOMPARE(dma.recordBytes, withPointer(words({1, 256}, 16), 8));
        Bytes expectedBlock = pattern(128, 1);
        expectedBlock.resize(256);
        QCOMPARE(dma.buffers[8], expectedBlock);

        Caller version = versionCaller();
        const Replay::Answer refused = replay.command(kNode, DRIVER_VERSION, version);
        QCOMPARE(refused.reply.result, -1L);
        QCOMPARE(refused.reply.error, EIO);

        Caller bc{withPointer(words({1, 0, 6}, 24), 16), {{16, pattern(24, 7)}}};
        QCOMPARE(replay.command(kNode, 0xffffffff00000000 | WRITE_BC_RAM, bc).departure, std::string());
        QVERIFY(!replay.departed());
        QCOMPARE(replay.leftovers(), std::string());
    }

    // Each way a call can depart fails it with ENOMSG, writes nothing back,
    // and says where: the node, the event's number among all the file's
    // events, the two commands, the first byte apart and what last matched.
    void aDepartingCallIsRefusedAndNamed_data()
    {
        QTest::addColumn<Event>("expected");
        QTest::addColumn<unsigned long>("request");
        QTest::addColumn<Caller>("caller");
        QTest::addColumn<QStringList>("said");
        const QString head = QString(kNode) + ": event 3 expects ";
        QTest::newRow("another command")
            << dmaRead(pattern(128, 1)) << READ_REG << Caller{words({0x2000}, 16), {}}
            << QStringList{head + "IOCTL_READ_DMA_BLOCKS (0xc0106206), came IOCTL_READ_REG (0xc0106202)\n"};
        QTest::newRow("a record byte apart")
            << dmaRead(pattern(128, 1)) << READ_DMA << dmaCaller(3, 256)
            << QStringList{"first difference: in byte 0: expected 0x02, got 0x03"};
        Bytes dwords = pattern(24, 7);
        dwords[5] = 0;
        QTest::newRow("an in buffer byte apart")
            << bcRam(pattern(24, 7)) << WRITE_BC_RAM
            << Caller{withPointer(words({1, 0, 6}, 24), 16), {{16, dwords}}}
            << QStringList{"first difference: in@16 byte 5: expected 0x0c, got 0x00"};
        QTest::newRow("more recorded than the caller's buffer holds")
            << dmaRead(pattern(128, 1)) << READ_DMA
            << Caller{withPointer(words({2, 256}, 16), 8, 0), {}}
            << QStringList{"out@8: 128 bytes recorded, the caller's buffer holds 0"};
    }

    void aDepartingCallIsRefusedAndNamed()
    {
        QFETCH(Event, expected);
        QFETCH(unsigned long, request);
        QFETCH(Caller, caller);
        QFETCH(QStringList, said);
        Replay replay({open(kNode), driverVersion(), expected});
        answer(replay, DRIVER_VERSION, versionCaller());
        const Caller before = caller;
        const Replay::Answer answer = replay.command(kNode, request, caller);
        QCOMPARE(answer.reply.result, -1L);
        QCOMPARE(answer.reply.error, ENOMSG);
        QVERIFY(caller.recordBytes == before.recordBytes && caller.buffers == before.buffers);
        const QString message = QString::fromStdString(answer.departure);
        said << "\n  event 3: ioctl node=mil1553dev-0-ch-0"
             << "\n  last matched: event 2 IOCTL_GET_DRIVER_VERSION (0x80046228)";
        for (const QString &part : said)
            QVERIFY2(message.contains(part), qPrintable(message));
        QVERIFY(replay.departed());
    }

    // The node waits for the event it departed from; the last matched are
    // its three latest answered, of its own events only.
    void aNodeKeepsItsPlaceAfterADeparture()
    {
        Replay replay({driverVersion(kNode, 1), driverVersion(kOther), driverVersion(kNode, 2),
                       driverVersion(kNode, 3), driverVersion(kNode, 4), dmaRead(pattern(128, 1))});
        for (int i = 0; i < 4; ++i)
            answer(replay, DRIVER_VERSION, versionCaller());
        Caller none;
        const std::string departure = replay.command(kNode, RESET, none).departure;
        QVERIFY2(departure.find("last matched: event 3 IOCTL_GET_DRIVER_VERSION (0x80046228), "
                                "event 4 IOCTL_GET_DRIVER_VERSION (0x80046228), event 5 ") !=
                     std::string::npos, departure.c_str());
        Caller dma = dmaCaller();
        QCOMPARE(replay.command(kNode, READ_DMA, dma).departure, std::string());
    }

    // Nodes answer in their own order, whichever node the program turns to first.
    void eachNodeKeepsItsOwnOrder()
    {
        Replay replay({driverVersion(kNode, 1), driverVersion(kOther, 2), dmaRead(pattern(128, 1)),
                       driverVersion(kOther, 3)});
        Caller other = versionCaller();
        replay.command(kOther, DRIVER_VERSION, other);
        QCOMPARE(other.recordBytes, words({2}, 4));
        Caller early = dmaCaller();
        QCOMPARE(replay.command(kNode, READ_DMA, early).reply.error, ENOMSG);
        Caller first = versionCaller();
        replay.command(kNode, DRIVER_VERSION, first);
        QCOMPARE(first.recordBytes, words({1}, 4));
        Caller second = versionCaller();
        replay.command(kOther, DRIVER_VERSION, second);
        QCOMPARE(second.recordBytes, words({3}, 4));
        Caller dma = dmaCaller();
        QCOMPARE(replay.command(kNode, READ_DMA, dma).departure, std::string());
        QCOMPARE(replay.leftovers(), std::string());
    }

    void aCallPastTheNodesLastEventFailsWithEnoent()
    {
        Replay replay({driverVersion(), driverVersion(kOther)});
        answer(replay, DRIVER_VERSION, versionCaller());
        QVERIFY(!replay.departed());
        Caller caller = versionCaller();
        const Replay::Answer answer = replay.command(kNode, DRIVER_VERSION, caller);
        QCOMPARE(answer.reply.error, ENOENT);
        QCOMPARE(answer.departure, std::string(kNode) + ": IOCTL_GET_DRIVER_VERSION (0x80046228) came after "
                 "the node's last recorded ioctl\n  last matched: event 1 IOCTL_GET_DRIVER_VERSION (0x80046228)");
        QVERIFY(replay.departed());
    }

    // How many events no call reached, and the first of them in the file.
    void leftoversNameTheirCountAndTheFirst()
    {
        Replay replay({open(kOther), driverVersion(kOther), open(kNode), driverVersion(),
                       dmaRead(pattern(128, 1)), driverVersion(kOther)});
        answer(replay, DRIVER_VERSION, versionCaller());
        const std::string left = replay.leftovers();
        QVERIFY2(left.rfind("3 recorded ioctls left unanswered, the first event 2 on "
                            "mil1553dev-0-ch-1: IOCTL_GET_DRIVER_VERSION (0x80046228)\n  ioctl ", 0) == 0,
                 left.c_str());
        QVERIFY(!replay.departed());
    }

    void aNodeFailsItsOpensWhenTheRecordedOnesAllFailed()
    {
        const char *closed = "mil1553dev-0-ch-2";
        Replay replay({open(kNode, -1), open(kNode), open(closed, -1), open(closed, -1),
                       driverVersion(kOther)});
        QCOMPARE(replay.nodes(), (std::vector<std::string>{kNode, closed, kOther}));
        QVERIFY(!replay.opensFail(kNode));
        QVERIFY(replay.opensFail(closed));
        QVERIFY(!replay.opensFail(kOther));
    }

    // A name from the file becomes an entry of the testbed's dev/.
    void aNodeNameOutsideDevIsRefused()
    {
        for (const char *name : {"../mil1553dev-0-ch-0", "", ".."})
            QVERIFY_EXCEPTION_THROWN(Replay({open(name)}), recording::FormatError);
    }
};

QTEST_GUILESS_MAIN(ReplayTest)
#include "replay_test.moc"
