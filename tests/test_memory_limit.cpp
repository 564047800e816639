// The memory the tool may use: its process's own soft limits bind it, and so
// do its control groups, found through the mounts the process sees: made-up
// mountinfo, cgroup and limit files under a temporary folder.
#include "process/memory_limit.h"

#include <QDir>
#include <QMap>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>
#include <sys/resource.h>

namespace {

constexpr std::uint64_t none = std::numeric_limits<std::uint64_t>::max();

using Files = QMap<QString, QByteArray>;

void writeFiles(const QString &root, const Files &files)
{
    for (auto file = files.begin(); file != files.end(); ++file) {
        QVERIFY(QDir().mkpath(QFileInfo(root + file.key()).path()));
        QFile out(root + file.key());
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file.value());
    }
}

// As the kernel writes them.
const QByteArray v2Mount = "30 23 0:26 / /sys/fs/cgroup rw,nosuid,nodev,noexec,relatime shared:4 - cgroup2 cgroup2 "
                           "rw,nsdelegate,memory_recursiveprot\n";
const QByteArray hybridMounts =
    "31 23 0:26 / /sys/fs/cgroup ro,nosuid,nodev,noexec shared:4 - tmpfs tmpfs ro,mode=755\n"
    "32 31 0:27 / /sys/fs/cgroup/unified rw,nosuid,nodev,noexec,relatime shared:5 - cgroup2 cgroup2 rw,nsdelegate\n"
    "36 31 0:31 / /sys/fs/cgroup/cpu,cpuacct rw,nosuid,nodev,noexec,relatime shared:10 - cgroup cgroup rw,cpu,cpuacct\n"
    "37 31 0:32 / /sys/fs/cgroup/memory rw,nosuid,nodev,noexec,relatime shared:11 - cgroup cgroup rw,memory\n";

} // namespace

class MemoryLimitTest : public QObject
{
    Q_OBJECT

private slots:
    void theLowestGroupLimitBinds_data()
    {
        QTest::addColumn<QByteArray>("mountInfo");
        QTest::addColumn<QByteArray>("cgroups");
        QTest::addColumn<Files>("files");
        QTest::addColumn<quint64>("limit");

        QTest::newRow("v2, a group above lower than the own")
            << v2Mount << QByteArray("0::/user.slice/user-1000.slice/s.scope\n")
            << Files{{"/sys/fs/cgroup/user.slice/user-1000.slice/s.scope/memory.max", "max\n"},
                     {"/sys/fs/cgroup/user.slice/user-1000.slice/memory.max", "524288000\n"},
                     {"/sys/fs/cgroup/user.slice/memory.max", "838860800\n"}}
            << quint64(524288000);
        QTest::newRow("hybrid: v2 under unified/, v1 memory beside it")
            << hybridMounts << QByteArray("5:cpu,cpuacct:/c\n4:memory:/user.slice\n1:name=systemd:/u\n0::/u/x.scope\n")
            << Files{{"/sys/fs/cgroup/unified/u/x.scope/memory.max", "209715200\n"},
                     {"/sys/fs/cgroup/u/x.scope/memory.max", "104857600\n"},
                     {"/sys/fs/cgroup/memory/user.slice/memory.limit_in_bytes", "314572800\n"},
                     {"/sys/fs/cgroup/memory/memory.limit_in_bytes", "9223372036854771712\n"}}
            << quint64(209715200);
        QTest::newRow("v1 memory among others, mounted where a space is escaped")
            << QByteArray("40 23 0:40 / /run/my\\040groups rw,relatime - cgroup none rw,cpu,memory\n")
            << QByteArray("3:cpu,memory:/g\n") << Files{{"/run/my groups/g/memory.limit_in_bytes", "104857600\n"}}
            << quint64(104857600);
        QTest::newRow("a container's own group as the mount's top")
            << QByteArray("50 40 0:26 /docker/abc /sys/fs/cgroup ro,nosuid - cgroup2 cgroup rw\n")
            << QByteArray("0::/docker/abc/app\n")
            << Files{{"/sys/fs/cgroup/app/memory.max", "max\n"},
                     {"/sys/fs/cgroup/memory.max", "419430400\n"},
                     {"/sys/fs/cgroup/docker/abc/memory.max", "104857600\n"}}
            << quint64(419430400);
        QTest::newRow("malformed lines beside good ones")
            << "garbage\n\n31 23 0:27 / /sys/fs/cgroup/broken rw - cgroup2\n" + v2Mount
            << QByteArray("4:memory\nnothing\n0::/a\n")
            << Files{{"/sys/fs/cgroup/a/memory.max", "314572800\n"}, {"/sys/fs/cgroup/broken/a/memory.max", "1\n"}}
            << quint64(314572800);
        QTest::newRow("groups no mount shows")
            << v2Mount + "51 40 0:26 /docker/abc /srv/abc rw - cgroup2 cgroup rw\n"
            << QByteArray("0::/../outside\n0::/docker/abcd\n")
            << Files{{"/sys/fs/cgroup/cgroup.procs", ""},
                     {"/sys/fs/outside/memory.max", "1\n"},
                     {"/sys/fs/memory.max", "1\n"},
                     {"/srv/abcd/memory.max", "1\n"}}
            << quint64(none);
    }

    void theLowestGroupLimitBinds()
    {
        QFETCH(QByteArray, mountInfo);
        QFETCH(QByteArray, cgroups);
        QFETCH(Files, files);
        QFETCH(quint64, limit);
        QTemporaryDir root;
        writeFiles(root.path(), files);
        QCOMPARE(quint64(groupLimitBytes(mountInfo, cgroups, root.path())), limit);
    }

    void theProcesssOwnLimitsLeaveItRoom_data()
    {
        QTest::addColumn<quint64>("data");
        QTest::addColumn<quint64>("space");
        QTest::addColumn<quint64>("room");
        const quint64 mb = 1 << 20;
        QTest::newRow("the data limit less the data size") << 500 * mb << quint64(none) << 300 * mb;
        QTest::newRow("the address space's limit less the address space") << quint64(none) << 700 * mb << 100 * mb;
        QTest::newRow("the smaller room of both") << 500 * mb << 700 * mb << 100 * mb;
        QTest::newRow("more held than the limit") << 150 * mb << quint64(none) << quint64(0);
        QTest::newRow("no limit") << quint64(none) << quint64(none) << quint64(none);
    }

    void theProcesssOwnLimitsLeaveItRoom()
    {
        QFETCH(quint64, data);
        QFETCH(quint64, space);
        QFETCH(quint64, room);
        const QByteArray status = "Name:\tVelkorLinuxPciDr\nVmPeak:\t  700000 kB\nVmSize:\t  614400 kB\n"
                                  "VmLck:\t       0 kB\nVmData:\t  204800 kB\nVmStk:\t     132 kB\n";
        QCOMPARE(quint64(processRoomBytes(data, space, status)), room);
    }

    // Only the soft limit is lowered, and no lower than what the process
    // holds (all of AddressSanitizer's shadow, say) and half its room more.
    void theLiveProcesssOwnLimitsBind()
    {
        for (const auto &[which, held] : {std::pair{RLIMIT_DATA, "VmData"}, {RLIMIT_AS, "VmSize"}}) {
            const std::uint64_t unbound = usableMemoryBytes();
            QFile status("/proc/self/status");
            QVERIFY(status.open(QIODevice::ReadOnly));
            rlimit saved{};
            QCOMPARE(getrlimit(which, &saved), 0);
            rlimit lowered = saved;
            lowered.rlim_cur = statusFieldBytes(status.readAll(), held) + unbound / 2;
            QCOMPARE(setrlimit(which, &lowered), 0);
            const std::uint64_t bound = usableMemoryBytes();
            QCOMPARE(setrlimit(which, &saved), 0);
            QVERIFY2(bound <= unbound / 2, qPrintable(QString("%1: %2").arg(held).arg(bound)));
        }
    }
};

QTEST_MAIN(MemoryLimitTest)
#include "test_memory_limit.moc"
