#include "memory_limit.h"

#include <QFile>
#include <QVector>

#include <algorithm>
#include <limits>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr std::uint64_t noLimit = std::numeric_limits<std::uint64_t>::max();

// A hierarchy mounted at point, showing the group top (field 4 of mountinfo:
// "/" but for a container's or a chroot's bind mount of its own group) and
// the groups below it.
struct CgroupMount
{
    QString top;
    QString point;
    bool v2;
};

QByteArray readFile(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool isOctalDigit(char c)
{
    return c >= '0' && c <= '7';
}

// mountinfo writes a space, tab, newline or backslash in a path as \ and
// three octal digits.
QString unescaped(const QByteArray &field)
{
    QByteArray bytes;
    for (int i = 0; i < field.size(); ++i) {
        const QByteArray digits = field.mid(i + 1, 3);
        if (field[i] == '\\' && digits.size() == 3 && std::all_of(digits.begin(), digits.end(), isOctalDigit)) {
            bytes.append(char(digits.toInt(nullptr, 8)));
            i += 3;
        } else {
            bytes.append(field[i]);
        }
    }
    return QFile::decodeName(bytes);
}

// Lines read "ID PARENT MAJOR:MINOR ROOT POINT OPTIONS [OPTIONAL...] - TYPE
// SOURCE SUPER-OPTIONS"; v1's memory hierarchy names "memory" among its
// super options.
QVector<CgroupMount> cgroupMounts(const QByteArray &mountInfo)
{
    QVector<CgroupMount> mounts;
    for (const QByteArray &line : mountInfo.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        const int separator = fields.indexOf("-", 6);
        if (separator < 0 || fields.size() < separator + 4)
            continue;
        const bool v2 = fields[separator + 1] == "cgroup2";
        if (v2 || (fields[separator + 1] == "cgroup" && fields[separator + 3].split(',').contains("memory")))
            mounts.append({unescaped(fields[3]), unescaped(fields[4]), v2});
    }
    return mounts;
}

// A group outside the process's cgroup namespace shows as "/../.."; such a
// path, or one that is not absolute, names nothing under a mount.
bool plainPath(const QString &path)
{
    const QStringList steps = path.split('/');
    return path.startsWith('/') && !steps.contains("..") && !steps.contains(".");
}

QString withoutTrailingSlash(QString path)
{
    while (path.endsWith('/'))
        path.chop(1);
    return path;
}

// The group and every one above it, up to the mount's top: what lies above
// the top the mount does not show.
void addLimitFiles(QStringList &files, const CgroupMount &mount, const QString &group, const QString &name)
{
    if (!plainPath(group) || !plainPath(mount.top))
        return;
    const QString top = withoutTrailingSlash(mount.top);
    QString below = withoutTrailingSlash(group);
    if (below != top && !below.startsWith(top + '/'))
        return;
    below.remove(0, top.size());
    const QString point = withoutTrailingSlash(mount.point);
    while (true) {
        files.append(point + below + '/' + name);
        if (below.isEmpty())
            return;
        below.truncate(below.lastIndexOf('/'));
    }
}

template <typename Resource>
std::uint64_t softLimit(Resource resource)
{
    rlimit limit{};
    if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return noLimit;
    return limit.rlim_cur;
}

std::uint64_t roomBelow(std::uint64_t limit, std::uint64_t held)
{
    return limit == noLimit ? noLimit : limit - std::min(limit, held);
}

} // namespace

std::uint64_t physicalMemoryBytes()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 ? std::uint64_t(pages) * std::uint64_t(pageSize) : noLimit;
}

std::uint64_t dataLimitBytes()
{
    return softLimit(RLIMIT_DATA);
}

std::uint64_t addressSpaceLimitBytes()
{
    return softLimit(RLIMIT_AS);
}

std::uint64_t processRoomBytes(std::uint64_t dataLimit, std::uint64_t spaceLimit, const QByteArray &status)
{
    return std::min(roomBelow(dataLimit, statusFieldBytes(status, "VmData")),
                    roomBelow(spaceLimit, statusFieldBytes(status, "VmSize")));
}

std::uint64_t statusFieldBytes(const QByteArray &status, const char *name)
{
    const QByteArray field = QByteArray(name) + ':';
    for (const QByteArray &line : status.split('\n')) {
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').value(0).toULongLong() << 10;
    }
    return 0;
}

// Lines of /proc/PID/cgroup read "ID:CONTROLLERS:PATH": v2's has ID 0 and no
// controllers, v1's memory group names "memory" among its controllers.
QStringList memoryLimitFiles(const QByteArray &mountInfo, const QByteArray &cgroups)
{
    const QVector<CgroupMount> mounts = cgroupMounts(mountInfo);
    QStringList files;
    for (const QByteArray &line : cgroups.split('\n')) {
        const int first = line.indexOf(':');
        const int second = line.indexOf(':', first + 1);
        if (first < 0 || second < 0)
            continue;
        const bool v2 = line.left(first) == "0" && second == first + 1;
        if (!v2 && !line.mid(first + 1, second - first - 1).split(',').contains("memory"))
            continue;
        const QString group = QFile::decodeName(line.mid(second + 1));
        for (const CgroupMount &mount : mounts) {
            if (mount.v2 == v2)
                addLimitFiles(files, mount, group, v2 ? "memory.max" : "memory.limit_in_bytes");
        }
    }
    return files;
}

std::uint64_t groupLimitBytes(const QByteArray &mountInfo, const QByteArray &cgroups, const QString &root)
{
    std::uint64_t limit = noLimit;
    for (const QString &file : memoryLimitFiles(mountInfo, cgroups))
        limit = std::min(limit, limitFromText(readFile(root + file)));
    return limit;
}

std::uint64_t limitFromText(const QByteArray &text)
{
    bool number = false;
    const qulonglong bytes = text.trimmed().toULongLong(&number);
    return number ? bytes : noLimit;
}

std::uint64_t usableMemoryBytes()
{
    const std::uint64_t group =
        groupLimitBytes(readFile("/proc/self/mountinfo"), readFile("/proc/self/cgroup"), QString());
    const std::uint64_t room =
        processRoomBytes(dataLimitBytes(), addressSpaceLimitBytes(), readFile("/proc/self/status"));
    return std::min({physicalMemoryBytes(), room, group});
}
