#include "memory_limit.h"

#include <QFile>

#include <algorithm>
#include <limits>
#include <unistd.h>

namespace {

constexpr std::uint64_t noLimit = std::numeric_limits<std::uint64_t>::max();

// Where the two hierarchies are mounted on Debian, whether pure v2 or the
// hybrid of v1 controllers with v2 beside them.
const char *const v2Root = "/sys/fs/cgroup";
const char *const v1MemoryRoot = "/sys/fs/cgroup/memory";

// The group and every one above it, up to the root of its hierarchy.
void addLimitFiles(QStringList &files, const QString &root, QString group, const QString &name)
{
    while (true) {
        files.append(root + (group == "/" ? QString() : group) + "/" + name);
        if (group == "/" || group.isEmpty())
            return;
        group.truncate(std::max(1, int(group.lastIndexOf('/'))));
    }
}

} // namespace

std::uint64_t physicalMemoryBytes()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 ? std::uint64_t(pages) * std::uint64_t(pageSize) : noLimit;
}

// Lines read "ID:CONTROLLERS:PATH": v2's has ID 0 and no controllers, v1's
// memory group names "memory" among its controllers.
QStringList memoryLimitFiles(const QByteArray &cgroupText)
{
    QStringList files;
    for (const QByteArray &line : cgroupText.split('\n')) {
        const int first = line.indexOf(':');
        const int second = line.indexOf(':', first + 1);
        if (first < 0 || second < 0)
            continue;
        const QByteArray controllers = line.mid(first + 1, second - first - 1);
        const QString group = QString::fromUtf8(line.mid(second + 1));
        if (line.left(first) == "0" && controllers.isEmpty())
            addLimitFiles(files, v2Root, group, "memory.max");
        else if (controllers.split(',').contains("memory"))
            addLimitFiles(files, v1MemoryRoot, group, "memory.limit_in_bytes");
    }
    return files;
}

std::uint64_t limitFromText(const QByteArray &text)
{
    bool number = false;
    const qulonglong bytes = text.trimmed().toULongLong(&number);
    return number ? bytes : noLimit;
}

std::uint64_t usableMemoryBytes()
{
    QFile cgroups("/proc/self/cgroup");
    std::uint64_t usable = physicalMemoryBytes();
    if (!cgroups.open(QIODevice::ReadOnly))
        return usable;
    for (const QString &name : memoryLimitFiles(cgroups.readAll())) {
        QFile file(name);
        if (file.open(QIODevice::ReadOnly))
            usable = std::min(usable, limitFromText(file.readAll()));
    }
    return usable;
}
