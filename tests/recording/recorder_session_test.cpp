// velkor-record on a program run against the simulated board: the probe's
// calls on the channel node are in the recording, as the probe saw them, and
// the probe sees them as it does without the recorder.
#include "recording.h"
#include "requests.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

using namespace velkor_sim;
using recording::Buffer;
using recording::Event;

namespace {

// What the probe printed for one call: "NAME result=R errno=E [count=C] [value=HEX]".
struct ProbeCall {
    QString name;
    long result = 0;
    int error = 0;
    QMap<QString, QString> extras;
};

QList<ProbeCall> probeCalls(const QByteArray &output)
{
    QList<ProbeCall> calls;
    for (const QByteArray &line : output.split('\n')) {
        if (line.isEmpty())
            continue;
        const QStringList words = QString::fromLatin1(line).split(' ');
        ProbeCall call{words[0], 0, 0, {}};
        for (const QString &word : words.mid(1))
            call.extras[word.section('=', 0, 0)] = word.section('=', 1);
        call.result = call.extras.take("result").toLong();
        call.error = call.extras.take("errno").toInt();
        calls.append(call);
    }
    return calls;
}

// The calls the probe made on the channel node, in order: not the one on
// /dev/null, nor the one on the node's descriptor once closed.
QList<ProbeCall> nodeCalls(const QList<ProbeCall> &calls)
{
    QList<ProbeCall> onNode;
    for (const ProbeCall &call : calls) {
        if (call.name != "null" && call.name != "closed")
            onNode.append(call);
    }
    return onNode;
}

QString nameOf(const Event &event)
{
    switch (event.kind) {
    case Event::Kind::Open:
        return "open";
    case Event::Kind::Close:
        return "close";
    case Event::Kind::Ioctl:
        break;
    }
    const char *name = request::name(event.request);
    return name ? name : "unknown";
}

QByteArray hex(const std::vector<uint8_t> &bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), int(bytes.size())).toHex();
}

const Event &eventFor(const std::vector<Event> &events, const char *name)
{
    for (const Event &event : events) {
        if (nameOf(event) == name)
            return event;
    }
    qFatal("no %s in the recording", name);
}

struct Session {
    QList<ProbeCall> calls;
    std::vector<Event> events;
};

} // namespace

class RecorderSessionTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir folder_;
    QList<ProbeCall> unrecorded_;
    QMap<QString, Session> sessions_;

    QByteArray run(const QStringList &command)
    {
        QProcess process;
        process.setWorkingDirectory(folder_.path());
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(VELKOR_SIM, QStringList{"--"} + command);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0)
            qFatal("velkor-sim -- %s failed", qPrintable(command.join(' ')));
        return process.readAllStandardOutput();
    }

    void record(const QString &file)
    {
        const QByteArray output = run({VELKOR_RECORD, "-o", file, "--", RECORDER_PROBE});
        sessions_[file] = {probeCalls(output), recording::readRecording(folder_.filePath(file).toStdString())};
    }

    const Session &session()
    {
        QFETCH_GLOBAL(QString, file);
        return sessions_[file];
    }

private slots:
    void initTestCase()
    {
        unrecorded_ = probeCalls(run({RECORDER_PROBE}));
        record("session.rec");
        record("session.rec.gz");
        for (const char *file : {"two.rec", "two.rec.gz"})
            run({VELKOR_RECORD, "-o", file, "sh", "-c", RECORDER_PROBE " & " RECORDER_PROBE "; wait"});
    }

    void initTestCase_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("plain") << "session.rec";
        QTest::newRow("gzip") << "session.rec.gz";
    }

    // One event for each call on the node, in order, on the node and the
    // descriptor that the probe had; /dev/null and a closed descriptor are
    // left out.
    void recordsTheCallsOnTheNodeAlone()
    {
        const Session &s = session();
        const QList<ProbeCall> expected = nodeCalls(s.calls);
        QCOMPARE(int(s.events.size()), expected.size());
        const int fd = int(s.calls.front().result);
        QVERIFY(fd >= 0);
        for (std::size_t i = 0; i < s.events.size(); ++i) {
            QCOMPARE(nameOf(s.events[i]), expected[int(i)].name);
            QCOMPARE(s.events[i].node, std::string("mil1553dev-0-ch-0"));
            QCOMPARE(s.events[i].fd, fd);
        }
        QCOMPARE(eventFor(s.events, "open").flags, 2);  // O_RDWR
    }

    // Results and errno as the probe got them (errno 0 for a call that
    // succeeded), times counted from the start in order.
    void recordsWhatTheProgramSaw()
    {
        const Session &s = session();
        const QList<ProbeCall> calls = nodeCalls(s.calls);
        uint64_t previous = 0;
        for (std::size_t i = 0; i < s.events.size(); ++i) {
            const Event &event = s.events[i];
            QCOMPARE(event.result, calls[int(i)].result);
            QCOMPARE(event.error, event.result < 0 ? calls[int(i)].error : 0);
            QVERIFY(event.startMicros >= previous);
            previous = event.startMicros + event.durationMicros;
        }
        QCOMPARE(eventFor(s.events, "unknown").error, ENOTTY);
    }

    // A null argument is passed on as it is, and its event has no record.
    void recordsACallWithANullArgument()
    {
        const Session &s = session();
        const QList<ProbeCall> calls = nodeCalls(s.calls);
        int found = 0;
        for (std::size_t i = 0; i < s.events.size(); ++i) {
            if (calls[int(i)].extras.value("argument") != "null")
                continue;
            ++found;
            QVERIFY(s.events[i].recordIn.empty() && s.events[i].recordOut.empty());
            QVERIFY(calls[int(i)].result < 0);
        }
        QCOMPARE(found, 1);
    }

    // The program gets every result and errno, failures included, as it
    // does without the recorder.
    void programSeesWhatItSeesUnrecorded()
    {
        const auto outcomes = [](const QList<ProbeCall> &calls) {
            QStringList lines;
            for (const ProbeCall &call : calls) {
                if (call.name != "IOCTL_GET_COUNT_DMA_BLOCKS")  // polled as long as it takes
                    lines << QString("%1 %2 %3").arg(call.name).arg(call.result).arg(call.error);
            }
            return lines;
        };
        QCOMPARE(outcomes(session().calls), outcomes(unrecorded_));
    }

    // Pointer fields are zeros on both sides; the words written and the
    // blocks read are there, the blocks only as many as were delivered.
    void recordsTheBytesWithoutAddresses()
    {
        const Session &s = session();
        const auto zeros = [](const std::vector<uint8_t> &record, std::size_t offset) {
            return std::all_of(record.begin() + long(offset), record.begin() + long(offset) + 8,
                               [](uint8_t b) { return b == 0; });
        };
        const auto find = [&](const char *name) {
            for (const ProbeCall &call : s.calls) {
                if (call.name == name)
                    return call;
            }
            return ProbeCall{};
        };

        const Event &bcRam = eventFor(s.events, "IOCTL_WRITE_BC_RAM");
        QVERIFY(zeros(bcRam.recordIn, 16) && zeros(bcRam.recordOut, 16));
        QCOMPARE(bcRam.buffers.size(), std::size_t{1});
        QCOMPARE(bcRam.buffers[0].pointerOffset, std::size_t{16});
        QVERIFY(bcRam.buffers[0].direction == Buffer::Direction::In);
        QCOMPARE(hex(bcRam.buffers[0].bytes), QByteArray("4433221188776655ccbbaa9900ffeedd"));

        const Event &read = eventFor(s.events, "IOCTL_READ_DMA_BLOCKS");
        const ProbeCall delivered = find("IOCTL_READ_DMA_BLOCKS");
        const uint32_t count = delivered.extras["count"].toUInt();
        QVERIFY2(count > 0 && count < 64, "the probe asks for 64 blocks and gets fewer");
        QVERIFY(zeros(read.recordIn, 8) && zeros(read.recordOut, 8));
        QCOMPARE(hex(read.recordIn).left(16), QByteArray("4000000000200000"));
        QCOMPARE(read.recordOut[0], uint8_t(count));
        QCOMPARE(read.buffers.size(), std::size_t{1});
        QVERIFY(read.buffers[0].direction == Buffer::Direction::Out);
        QCOMPARE(read.buffers[0].pointerOffset, std::size_t{8});
        QCOMPARE(hex(read.buffers[0].bytes), delivered.extras["value"].toLatin1());

        for (const char *name : {"IOCTL_GET_DRIVER_VERSION", "IOCTL_GET_VERSION_INFO"})
            QCOMPARE(hex(eventFor(s.events, name).recordOut), find(name).extras["value"].toLatin1());
        QVERIFY(eventFor(s.events, "IOCTL_START").recordIn.empty());
    }

    // Two programs at once, each with its own descriptor on the node, append
    // whole events to the one file.
    void processesShareTheFile()
    {
        QFETCH_GLOBAL(QString, file);
        const std::vector<Event> events =
            recording::readRecording(folder_.filePath(QString(file).replace("session", "two")).toStdString());
        QMap<QString, int> counts;
        for (const Event &event : events)
            ++counts[nameOf(event)];
        for (const char *name : {"open", "IOCTL_WRITE_BC_RAM", "IOCTL_READ_DMA_BLOCKS", "unknown", "close"})
            QCOMPARE(counts[name], 2);
    }

    // Gzip by the name alone, both read above.
    void fileIsWhatItsNameSays()
    {
        QFETCH_GLOBAL(QString, file);
        QFile recorded(folder_.filePath(file));
        QVERIFY(recorded.open(QIODevice::ReadOnly));
        QCOMPARE(recorded.read(2), QByteArray(file.endsWith(".gz") ? "\x1f\x8b" : "ve"));
    }
};

QTEST_GUILESS_MAIN(RecorderSessionTest)
#include "recorder_session_test.moc"
