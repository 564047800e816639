// velkor-sim's options as the tool meets them. Each function runs as the
// program of its own velkor-sim command line (tests/CMakeLists.txt), so the
// options, not test code, set the board up.
#include "velkor_library.h"
#include "window_probe.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QThread>

#include <fcntl.h>
#include <unistd.h>

class SimulatorOptionsTest : public QObject
{
    Q_OBJECT

    // The trace so far, each line without its time stamp.
    static QStringList traceLines()
    {
        QFile file(qEnvironmentVariable("VELKOR_TRACE_FILE"));
        if (!file.open(QIODevice::ReadOnly))
            qFatal("no trace file");
        const QRegularExpression stamp("^\\d\\d:\\d\\d:\\d\\d\\.\\d{6} ");
        QStringList lines;
        for (const QByteArray &line : file.readAll().split('\n')) {
            if (line.isEmpty())
                continue;
            if (!stamp.match(line).hasMatch())
                qFatal("no time stamp: %s", line.constData());
            lines.append(QString::fromUtf8(line.mid(16)));
        }
        return lines;
    }

private slots:
    // --boards 2 --trace FILE --fault fail=IOCTL_GET_VERSION_INFO
    void twoBoardsTracedWithAFailingCommand()
    {
        WindowProbe probe;
        probe.selectChannel(5);
        QCOMPARE(probe.channels()->count(), 8);
        QVERIFY(probe.channels()->itemText(1).startsWith("/dev/mil1553dev-0-ch-1 (0000:03:00.1"));
        QVERIFY(probe.channels()->itemText(5).startsWith("/dev/mil1553dev-1-ch-1 (0000:04:00.1"));
        probe.click("pushButton_startDriverTest");
        QStringList expected;
        for (const char *node : {"0-ch-0", "0-ch-1", "0-ch-2", "0-ch-3", "1-ch-0", "1-ch-1", "1-ch-2", "1-ch-3"})
            expected << QString("mil1553dev-%1 open").arg(node)
                     << QString("mil1553dev-%1 IOCTL_GET_PCI_LOCATION = 0").arg(node);
        expected << "mil1553dev-1-ch-1 open"
                 << "mil1553dev-1-ch-1 IOCTL_GET_DRIVER_VERSION = 0"
                 << "mil1553dev-1-ch-1 IOCTL_GET_VERSION_INFO = EIO"
                 << "mil1553dev-1-ch-1 IOCTL_GET_PCI_LOCATION = 0";
        QCOMPARE(traceLines(), expected);
    }

    // --load 1000: the external bus controller addresses the terminal a
    // thousand times a second, one block each. No event loop runs, so the
    // window's own polling leaves the queue alone.
    void loadHoldsItsRate()
    {
        WindowProbe probe;
        probe.selectChannel(1);
        probe.click("pushButton_initRT");
        const int fd = ::open("/dev/mil1553dev-0-ch-1", O_RDWR);
        unsigned int error = 0;
        QElapsedTimer clock;
        clock.start();
        const unsigned int before = velkor_getCountDmaBlocksReadyRead(fd, &error);
        const qint64 firstAnswered = clock.nsecsElapsed();
        QThread::msleep(2000);
        const qint64 secondSent = clock.nsecsElapsed();
        const unsigned int after = velkor_getCountDmaBlocksReadyRead(fd, &error);
        const qint64 secondAnswered = clock.nsecsElapsed();
        ::close(fd);
        // The board counted somewhere within each call, so the window lies
        // between these bounds; a slow machine widens them, it does not fail.
        const double blocks = after - before;
        const double highest = blocks / ((secondSent - firstAnswered) / 1e9);
        const double lowest = blocks / (secondAnswered / 1e9);
        QVERIFY2(lowest < 1100 && highest > 900, qPrintable(QString("%1 to %2").arg(lowest).arg(highest)));
    }

    // --fault no-channel-number: the bus controller set-up shows channel
    // 0xFFFFFFFF + 1.
    void noChannelNumberReachesTheWindow()
    {
        WindowProbe probe;
        probe.selectChannel(0);
        probe.click("pushButton_initBC");
        QVERIFY(probe.messages().contains("Канал = 0"));
    }
};

QTEST_MAIN(SimulatorOptionsTest)
#include "test_simulator_options.moc"
