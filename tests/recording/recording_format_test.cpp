// The recording's text form: what is written reads back as it was, the
// lines keep the form that bench files already have, and every kind of
// damage a file can take is refused at the line that has it.
#include "gzip_member.h"
#include "recording.h"

#include <QTemporaryDir>
#include <QtTest>

#include <fstream>

using namespace velkor_sim::recording;

namespace {

using Kind = Event::Kind;
using Direction = Buffer::Direction;

const std::string kVersion = std::string(kVersionLine) + "\n";
const std::string kOpenLine = "open node=mil1553dev-0-ch-0 fd=5 flags=0x2 result=5 errno=0 start=120 us=14";
const std::string kCountLine = "ioctl node=mil1553dev-0-ch-0 fd=5 request=0xc0046207 "
                               "name=IOCTL_GET_COUNT_DMA_BLOCKS result=0 errno=0 start=300 us=9 "
                               "in=00000000 out=03000000";
const std::string kCloseLine = "close node=mil1553dev-0-ch-0 fd=5 result=0 errno=0 start=900 us=3";

Event stamped(Kind kind, long result, int error)
{
    Event e;
    e.kind = kind;
    e.node = "mil1553dev-12-ch-3";
    e.fd = 7;
    e.result = result;
    e.error = error;
    e.startMicros = 1234567890123;
    e.durationMicros = 41;
    return e;
}

Event ioctl(unsigned long request, std::vector<uint8_t> in, std::vector<uint8_t> out,
            std::vector<Buffer> buffers = {}, long result = 0, int error = 0)
{
    Event e = stamped(Kind::Ioctl, result, error);
    e.request = request;
    e.recordIn = std::move(in);
    e.recordOut = std::move(out);
    e.buffers = std::move(buffers);
    return e;
}

std::vector<uint8_t> dmaRecord(uint32_t count)
{
    std::vector<uint8_t> record(16, 0);
    record[0] = static_cast<uint8_t>(count);
    record[5] = 0x02;  // length 512
    return record;
}

std::vector<Event> everyKind()
{
    Event opened = stamped(Kind::Open, 7, 0);
    opened.flags = 0x80002;
    Event refused = stamped(Kind::Open, -1, 13);
    refused.fd = -1;
    refused.flags = 0x2;
    std::vector<uint8_t> blocks(256);
    for (std::size_t i = 0; i < blocks.size(); ++i)
        blocks[i] = static_cast<uint8_t>(i * 7);
    const std::vector<uint8_t> bcRam = {2, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0,
                                        0, 0, 0, 0, 0, 0, 0, 0};
    return {
        opened,
        refused,
        ioctl(0xc0106206, dmaRecord(4), dmaRecord(2), {{8, Direction::Out, blocks}}),
        ioctl(0x4018621d, bcRam, bcRam, {{16, Direction::In, {0xde, 0xad, 0xbe, 0xef, 1, 2, 3, 4}}}),
        ioctl(0x6205, {}, {}),
        ioctl(0x80046228, {0, 0, 0, 0}, {0x12, 0x10, 0x08, 0x14}, {}, -1, 5),
        ioctl(0x6230, {}, {}, {}, -1, 25),
        stamped(Kind::Close, -1, 9),
    };
}

std::string eventLines(const std::vector<Event> &events)
{
    std::string text;
    for (const Event &e : events)
        text += formatEvent(e) + "\n";
    return text;
}

// The FormatError that reading `path` throws; fails the test when none comes.
FormatError readError(const std::string &path)
{
    try {
        readRecording(path);
    } catch (const FormatError &error) {
        return error;
    }
    return FormatError(std::string::npos, "read without error");
}

} // namespace

class RecordingFormatTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir folder_;

    std::string write(const std::string &name, const std::string &bytes)
    {
        const std::string path = folder_.filePath(QString::fromStdString(name)).toStdString();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

private slots:
    // Opens, failed opens, ioctls with and without records, with buffers
    // either way, negative results and closes come back field for field.
    void everyKindOfEventReadsBackAsWritten()
    {
        for (const Event &written : everyKind()) {
            const std::string line = formatEvent(written);
            QVERIFY2(parseEvent(line) == written, line.c_str());
        }
        QVERIFY(readRecording(write("all", kVersion + eventLines(everyKind()))) == everyKind());
    }

    // The lines as they are written, digit for digit: lowercase hex with no
    // separators, the command's name after its code, no name for a code
    // outside the command set.
    void linesHaveTheirFixedForm()
    {
        Event opened = stamped(Kind::Open, 5, 0);
        opened.node = "mil1553dev-0-ch-0";
        opened.fd = 5;
        opened.flags = 2;
        opened.startMicros = 120;
        opened.durationMicros = 14;
        QCOMPARE(formatEvent(opened), kOpenLine);
        QCOMPARE(formatEvent(everyKind()[3]),
                 std::string("ioctl node=mil1553dev-12-ch-3 fd=7 request=0x4018621d name=IOCTL_WRITE_BC_RAM "
                             "result=0 errno=0 start=1234567890123 us=41 "
                             "in=020000000000000002000000000000000000000000000000 "
                             "out=020000000000000002000000000000000000000000000000 in@16=deadbeef01020304"));
        QCOMPARE(formatEvent(everyKind()[6]),
                 std::string("ioctl node=mil1553dev-12-ch-3 fd=7 request=0x6230 result=-1 errno=25 "
                             "start=1234567890123 us=41"));
        QCOMPARE(formatEvent(everyKind()[7]),
                 std::string("close node=mil1553dev-12-ch-3 fd=7 result=-1 errno=9 start=1234567890123 us=41"));
    }

    // What the name says is not read: the code is.
    void nameIsNotReadBack()
    {
        std::string line = kCountLine;
        line.replace(line.find("IOCTL_GET_COUNT_DMA_BLOCKS"), 26, "IOCTL_SOMETHING_ELSE");
        QCOMPARE(parseEvent(line).request, 0xc0046207ul);
    }

    void damagedLineIsRefusedAtItsLine_data()
    {
        QTest::addColumn<QString>("line");
        const auto row = [](const char *what, std::string line) {
            QTest::newRow(what) << QString::fromStdString(line);
        };
        const auto replaced = [](std::string line, const std::string &from, const std::string &to) {
            return line.replace(line.find(from), from.size(), to);
        };
        row("unknown kind", replaced(kCloseLine, "close", "read"));
        row("unknown key", kCloseLine + " colour=red");
        row("key of another kind", kCloseLine + " flags=0x2");
        row("missing required key", replaced(kCloseLine, " errno=0", ""));
        row("ioctl without request", replaced(kCountLine, " request=0xc0046207", ""));
        row("key given twice", kCloseLine + " fd=5");
        row("field without =", kCloseLine + " fd");
        row("two spaces", replaced(kCloseLine, " fd=", "  fd="));
        row("space at the end", kCloseLine + " ");
        row("node of another driver", replaced(kCloseLine, "mil1553dev-0-ch-0", "ttyS0"));
        row("node without a channel", replaced(kCloseLine, "mil1553dev-0-ch-0", "mil1553dev-0-ch-"));
        row("node with more to its name", replaced(kCloseLine, "mil1553dev-0-ch-0", "mil1553dev-0-ch-0.old"));
        row("fd not a number", replaced(kCloseLine, "fd=5", "fd=five"));
        row("start out of range", replaced(kCloseLine, "start=900", "start=99999999999999999999999"));
        row("negative errno", replaced(kCloseLine, "errno=0", "errno=-5"));
        row("request without 0x", replaced(kCountLine, "0xc0046207", "c0046207"));
        row("request above 32 bits", replaced(kCountLine, "0xc0046207", "0x1c0046207"));
        row("flags in decimal", replaced(kOpenLine, "0x2", "2"));
        row("odd-length hex", replaced(kCountLine, "out=03000000", "out=0300000"));
        row("non-hex digits", replaced(kCountLine, "in=00000000", "in=0000000g"));
        row("record shorter than the command's", replaced(kCountLine, "in=00000000", "in=000000"));
        row("record longer than the command's", replaced(kCountLine, "out=03000000", "out=0300000000"));
        row("record on a command without argument",
            "ioctl node=mil1553dev-0-ch-0 fd=5 request=0x6205 result=0 errno=0 start=1 us=1 in=00");
        row("buffer at no pointer field", kCountLine + " out@8=00");
        row("buffer offset not a number", replaced(kCountLine, " in=", " in@x=00 in="));
        row("empty line", "");
    }

    // Each kind of damage, in the third line of a file: the error names line 3.
    void damagedLineIsRefusedAtItsLine()
    {
        QFETCH(QString, line);
        QVERIFY_EXCEPTION_THROWN(parseEvent(line.toStdString()), FormatError);
        const std::string text = kVersion + kOpenLine + "\n" + line.toStdString() + "\n" + kCloseLine + "\n";
        const FormatError error = readError(write("damaged", text));
        QCOMPARE(error.line, std::size_t{3});
        QVERIFY2(std::string(error.what()).size() > 10, error.what());
    }

    // A file without its version line, of another version, empty, cut off
    // in a line or in the gzip data, or not gzip under a .gz name.
    void damagedFileIsRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("line");
        const auto bytes = [](const std::string &text) { return QByteArray::fromStdString(text); };
        const std::string events = kVersion + kOpenLine + "\n" + kCountLine + "\n";
        const std::string lastMember = gzipMember(kCountLine + "\n");
        const std::string gzip = gzipMember(kVersion) + gzipMember(kOpenLine + "\n") + lastMember;
        QTest::newRow("no version line") << "plain" << bytes(kOpenLine + "\n") << 0;
        QTest::newRow("other version") << "plain" << bytes("velkor-recording 2\n" + kOpenLine + "\n") << 1;
        QTest::newRow("empty file") << "plain" << QByteArray() << 0;
        QTest::newRow("last line without newline") << "plain" << bytes(kVersion + kOpenLine + "\n" + kCloseLine)
                                                   << 3;
        QTest::newRow("gzip cut in the data") << "cut.gz"
                                              << bytes(gzip.substr(0, gzip.size() - lastMember.size() / 2)) << 3;
        QTest::newRow("gzip cut in its trailer") << "trailer.gz" << bytes(gzip.substr(0, gzip.size() - 4))
                                                 << 4;
        QTest::newRow("plain text named .gz") << "plain.gz" << bytes(events) << 0;
    }

    void damagedFileIsRefused()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(int, line);
        const FormatError error = readError(write(name.toStdString(), bytes.toStdString()));
        QCOMPARE(error.line, std::size_t(line));
    }

    void missingFileIsRefused()
    {
        QCOMPARE(readError(folder_.filePath("none.gz").toStdString()).line, std::size_t{0});
    }

    // A recorder writes each event as a gzip member of its own, and may put
    // more into one; the reader takes them in order, and skips comments in
    // either form.
    void gzipMembersReadAsOneFile()
    {
        std::string members = gzipMember(kVersion) + gzipMember("# the bench's note\n");
        for (const Event &e : everyKind())
            members += gzipMember(formatEvent(e) + "\n");
        members += gzipMember(eventLines(everyKind()));
        std::vector<Event> twice = everyKind();
        const std::vector<Event> again = everyKind();
        twice.insert(twice.end(), again.begin(), again.end());
        QVERIFY(readRecording(write("members.gz", members)) == twice);
        QVERIFY(readRecording(write("plain", kVersion + "# note\n" + eventLines(everyKind()))) == everyKind());
    }
};

QTEST_APPLESS_MAIN(RecordingFormatTest)
#include "recording_format_test.moc"
