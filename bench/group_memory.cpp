#include "group_memory.h"

#include "terminal/memory_limit.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

QByteArray readFile(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

bool printGroupMemory()
{
    const std::uint64_t physical = physicalMemoryBytes();
    for (const QString &limitFile : memoryLimitFiles(readFile("/proc/self/cgroup"))) {
        const std::uint64_t limit = limitFromText(readFile(limitFile));
        if (limit >= physical)
            continue;
        const bool v1 = limitFile.endsWith("limit_in_bytes");
        const QString group = QFileInfo(limitFile).path();
        const std::uint64_t peak = limitFromText(readFile(group + (v1 ? "/memory.max_usage_in_bytes" : "/memory.peak")));
        std::printf("control group %s: limit %.1f MB, the highest use %.1f MB%s\n", qPrintable(group), limit / 1e6,
                    peak / 1e6, peak < limit ? "" : ": FAILED, it reached its limit");
        return peak < limit;
    }
    std::printf("no control group with a memory limit below the machine's\n");
    return true;
}
