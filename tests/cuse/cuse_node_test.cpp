// A CUSE node against a stand-in for the kernel: the requests that the
// kernel's CUSE writes to /dev/cuse go in over a socket pair, which keeps
// each message whole as the device does, and the node's libfuse answers
// them as it would the kernel. So the session, its thread and the ioctl
// protocol run here, where the kernel has no CUSE.
#include "cuse_node.h"
#include "trace_writer.h"

#include <QtTest>

#include <linux/fuse.h>

#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

using namespace velkor_sim;
using Bytes = std::vector<uint8_t>;
using Numbers = std::vector<uint64_t>;

namespace {

constexpr unsigned long GET_NUMBER_CHANNEL = 0xc0046237, GET_DRIVER_VERSION = 0x80046228;
constexpr unsigned long READ_DMA = 0xc0106206;
constexpr uint64_t kRecord = 0x7ffd0000, kBuffer = 0x7f120000;

template <typename T>
Bytes bytesOf(const T &value)
{
    const auto *begin = reinterpret_cast<const uint8_t *>(&value);
    return Bytes(begin, begin + sizeof value);
}

template <typename T>
T take(const Bytes &bytes, std::size_t offset = 0)
{
    T value{};
    if (offset < bytes.size())
        std::memcpy(&value, bytes.data() + offset, std::min(sizeof value, bytes.size() - offset));
    return value;
}

class Kernel {
public:
    Kernel() { socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends_); }
    ~Kernel()
    {
        hangUp();
        if (ends_[1] >= 0)
            close(ends_[1]);
    }

    // The node's end, as if opened from /dev/cuse; the node takes it over.
    int device() { return std::exchange(ends_[1], -1); }
    void hangUp()
    {
        if (ends_[0] >= 0)
            close(std::exchange(ends_[0], -1));
    }

    void send(uint32_t opcode, Bytes body)
    {
        fuse_in_header header{};
        header.len = uint32_t(sizeof header + body.size());
        header.opcode = opcode;
        header.unique = ++unique_;
        body.insert(body.begin(), reinterpret_cast<uint8_t *>(&header),
                    reinterpret_cast<uint8_t *>(&header) + sizeof header);
        QCOMPARE(write(ends_[0], body.data(), body.size()), ssize_t(body.size()));
    }

    // The node's error and what follows it; nothing once the node closed its end.
    std::pair<int, Bytes> answer()
    {
        Bytes reply(1 << 18);
        reply.resize(std::max<ssize_t>(read(ends_[0], reply.data(), reply.size()), 0));
        const int error = take<fuse_out_header>(reply).error;
        return {error, Bytes(reply.begin() + std::min(reply.size(), sizeof(fuse_out_header)), reply.end())};
    }

    void introduce()
    {
        cuse_init_in init{FUSE_KERNEL_VERSION, FUSE_KERNEL_MINOR_VERSION, 0, 0};
        send(CUSE_INIT, bytesOf(init));
    }

private:
    int ends_[2] = {-1, -1};
    uint64_t unique_ = 0;
};

struct IoctlReply {
    int error = 0;
    fuse_ioctl_out out{};
    // Base and length of each area asked for, in before out.
    Numbers areas;
    Bytes data;
};

IoctlReply ioctl(Kernel &kernel, unsigned long request, const Bytes &in = {}, uint32_t outSize = 0)
{
    const fuse_ioctl_in call{0, FUSE_IOCTL_UNRESTRICTED, uint32_t(request), kRecord, uint32_t(in.size()), outSize};
    Bytes body = bytesOf(call);
    body.insert(body.end(), in.begin(), in.end());
    kernel.send(FUSE_IOCTL, body);
    const auto [error, answer] = kernel.answer();
    IoctlReply reply;
    reply.error = error;
    reply.out = take<fuse_ioctl_out>(answer);
    std::size_t at = error ? answer.size() : sizeof reply.out;
    if (reply.out.flags & FUSE_IOCTL_RETRY) {
        for (uint32_t n = 0; n < 2 * (reply.out.in_iovs + reply.out.out_iovs); ++n, at += 8)
            reply.areas.push_back(take<uint64_t>(answer, at));
    }
    reply.data.assign(answer.begin() + at, answer.end());
    return reply;
}

Bytes words(std::initializer_list<uint32_t> values)
{
    Bytes bytes;
    for (uint32_t value : values)
        for (uint8_t byte : bytesOf(value))
            bytes.push_back(byte);
    return bytes;
}

// The node of channel 1, introduced to its kernel.
struct Served {
    explicit Served(TraceWriter *trace = nullptr)
        : node(std::make_unique<CuseNode>(board, 1, "mil1553dev-0-ch-1", trace, kernel.device()))
    {
        kernel.introduce();
    }

    Kernel kernel;
    Board board;
    std::unique_ptr<CuseNode> node;
};

} // namespace

class CuseNodeTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // A socket whose reader has gone raises SIGPIPE in the writer, as
        // /dev/cuse never does.
        std::signal(SIGPIPE, SIG_IGN);
    }

    // The node names itself to the kernel, asks for unrestricted ioctls and
    // leaves the numbers to it; then it counts as served, and opens are traced.
    void theNodeIntroducesItselfAndTracesOpens()
    {
        char *traced = nullptr;
        std::size_t tracedSize = 0;
        std::FILE *trace = open_memstream(&traced, &tracedSize);
        TraceWriter writer(trace);
        Served served(&writer);
        const auto [error, init] = served.kernel.answer();
        const auto out = take<cuse_init_out>(init);
        QCOMPARE((Numbers{uint64_t(error), out.flags, out.dev_major, out.dev_minor}),
                 (Numbers{0, CUSE_UNRESTRICTED_IOCTL, 0, 0}));
        QCOMPARE(std::string(init.begin() + sizeof out, init.end()), std::string("DEVNAME=mil1553dev-0-ch-1", 26));
        QVERIFY(served.node->waitUntilServed());
        served.kernel.send(FUSE_OPEN, bytesOf(fuse_open_in{}));
        QCOMPARE(served.kernel.answer().first, 0);
        QVERIFY(std::string(traced, tracedSize).find(" mil1553dev-0-ch-1 open\n") != std::string::npos);
        served.node.reset();
        std::fclose(trace);
        std::free(traced);
    }

    // A DMA read in three calls: the record asked for, then its buffer, then
    // the record and the blocks delivered on channel 1. A failure reaches
    // the caller as its errno, and an unknown code is answered at once.
    void theBoardAnswersThroughTheKernel()
    {
        Served served;
        Kernel &kernel = served.kernel;
        kernel.answer();
        for (uint8_t n = 1; n <= 3; ++n)
            served.board.queueDmaBlock(1, {n});
        QCOMPARE(ioctl(kernel, READ_DMA).areas, (Numbers{kRecord, 16, kRecord, 16}));
        Bytes record = words({5, 640});
        for (uint8_t byte : bytesOf(kBuffer))
            record.push_back(byte);
        QCOMPARE(ioctl(kernel, READ_DMA, record, 16).areas, (Numbers{kRecord, 16, kRecord, 16, kBuffer, 640}));
        const IoctlReply read = ioctl(kernel, READ_DMA, record, 16 + 640);
        QCOMPARE((Numbers{uint64_t(read.out.result), read.out.flags, read.data.size(), take<uint32_t>(read.data)}),
                 (Numbers{0, 0, 16 + 3 * 128, 3}));
        QCOMPARE((Bytes{read.data[16], read.data[16 + 128], read.data[16 + 256]}), (Bytes{1, 2, 3}));
        QCOMPARE(ioctl(kernel, GET_NUMBER_CHANNEL, words({7}), 4).data, words({1}));
        served.board.failNext(GET_DRIVER_VERSION);
        QCOMPARE(ioctl(kernel, GET_DRIVER_VERSION, words({0}), 4).error, -EIO);
        QCOMPARE(ioctl(kernel, 0x6299).error, -ENOTTY);
    }

    // Ending the node closes its device, idle as it is, which makes the
    // kernel remove the node.
    void endingTheNodeClosesItsDevice()
    {
        Served served;
        served.kernel.answer();
        QVERIFY(served.node->waitUntilServed());
        served.node.reset();
        QVERIFY(served.kernel.answer().second.empty());
    }

    // A kernel that drops the connection as it takes the introduction (it
    // would not make the node) leaves the node unserved.
    void aNodeTheKernelDropsIsNotServed()
    {
        Kernel kernel;
        kernel.introduce();
        const int device = kernel.device();
        kernel.hangUp();
        Board board;
        CuseNode node(board, 0, "mil1553dev-0-ch-0", nullptr, device);
        QVERIFY(!node.waitUntilServed());
    }
};

QTEST_APPLESS_MAIN(CuseNodeTest)
#include "cuse_node_test.moc"
