#ifndef MEMORY_LIMIT_H
#define MEMORY_LIMIT_H

#include <QByteArray>
#include <QStringList>

#include <cstdint>

// The memory this process may use: the smaller of the machine's physical
// memory and the limit of its control group or of any group above it
// (cgroup v2 memory.max, cgroup v1 memory.limit_in_bytes). Read afresh on
// each call from /proc and /sys.
std::uint64_t usableMemoryBytes();

// The machine's physical memory; UINT64_MAX where the system does not say.
std::uint64_t physicalMemoryBytes();

// The limit files that bind a process, from the text of its /proc/PID/cgroup:
// its own group's and every group's above it, in both hierarchies. Files that
// do not exist bind nothing.
QStringList memoryLimitFiles(const QByteArray &cgroupText);

// A limit file's value in bytes; UINT64_MAX for v2's "max" (no limit) and for
// anything else that is no number. v1 says "no limit" with a huge number,
// which the machine's memory then undercuts.
std::uint64_t limitFromText(const QByteArray &text);

#endif
