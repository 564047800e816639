#include "group_memory.h"

#include "process/memory_limit.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

QByteArray readFile(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::uint64_t statusBytes(const char *name)
{
    return statusFieldBytes(readFile("/proc/self/status"), name);
}

bool printLimit(const char *what, std::uint64_t limit, const char *use, std::uint64_t highest)
{
    std::printf("%s: limit %.1f MB, %s %.1f MB%s\n", what, limit / 1e6, use, highest / 1e6,
                highest < limit ? "" : ": FAILED, it reached its limit");
    return highest < limit;
}

// The nearest group with a limit below the machine's memory: the tool's own
// or one above it.
std::optional<bool> printGroupMemory(std::uint64_t physical)
{
    const QByteArray mountInfo = readFile("/proc/self/mountinfo");
    for (const QString &limitFile : memoryLimitFiles(mountInfo, readFile("/proc/self/cgroup"))) {
        const std::uint64_t limit = limitFromText(readFile(limitFile));
        if (limit >= physical)
            continue;
        const bool v1 = limitFile.endsWith("limit_in_bytes");
        const QString group = QFileInfo(limitFile).path();
        const std::uint64_t peak = limitFromText(readFile(group + (v1 ? "/memory.max_usage_in_bytes" : "/memory.peak")));
        return printLimit(qPrintable("control group " + group), limit, "the highest use", peak);
    }
    return std::nullopt;
}

} // namespace

void DataSizeWatch::note()
{
    highest_ = std::max(highest_, statusBytes("VmData"));
}

bool printLimitedMemory(const DataSizeWatch &dataSize)
{
    const std::uint64_t physical = physicalMemoryBytes();
    const std::optional<bool> groupUnder = printGroupMemory(physical);
    bool limited = groupUnder.has_value();
    bool under = groupUnder.value_or(true);
    if (const std::uint64_t data = dataLimitBytes(); data < physical) {
        limited = true;
        under &= printLimit("the tool's RLIMIT_DATA", data, "the highest data size at a tick's end",
                            dataSize.highest());
    }
    if (const std::uint64_t space = addressSpaceLimitBytes(); space < physical) {
        limited = true;
        under &= printLimit("the tool's RLIMIT_AS", space, "the highest address space", statusBytes("VmPeak"));
    }
    if (!limited)
        std::printf("no memory limit below the machine's\n");
    std::printf("the tool's highest resident memory %.1f MB\n", statusBytes("VmHWM") / 1e6);
    return under;
}
