#ifndef MEMORY_LIMIT_H
#define MEMORY_LIMIT_H

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>

// The memory this process may use: the smallest of the machine's physical
// memory, the room its own limits leave it and the limit of its control group
// or of any group above it. Read afresh on each call from /proc and /sys.
std::uint64_t usableMemoryBytes();

// The machine's physical memory; UINT64_MAX where the system does not say.
std::uint64_t physicalMemoryBytes();

// The process's soft RLIMIT_DATA and RLIMIT_AS; UINT64_MAX where unset.
std::uint64_t dataLimitBytes();
std::uint64_t addressSpaceLimitBytes();

// The room those limits leave a process, given the text of its
// /proc/PID/status: RLIMIT_DATA less its data size, RLIMIT_AS less its
// address space, whichever is smaller; 0 when it holds more already,
// UINT64_MAX when neither is set. What a process holds from its start on
// (libraries, thread stacks, each heap's kept pad) takes no share of a
// larger limit: it is taken off whole.
std::uint64_t processRoomBytes(std::uint64_t dataLimit, std::uint64_t spaceLimit, const QByteArray &status);

// A "Name:   1234 kB" field of /proc/PID/status, in bytes; 0 when missing.
std::uint64_t statusFieldBytes(const QByteArray &status, const char *name);

// The limit files that bind a process, from the texts of its
// /proc/PID/mountinfo and /proc/PID/cgroup: in every cgroup v2 mount and
// every v1 mount of the memory controller that shows its group, the group's
// own file and every one above it up to the top of the mount. Files that do
// not exist bind nothing.
QStringList memoryLimitFiles(const QByteArray &mountInfo, const QByteArray &cgroups);

// The lowest limit among those files, read under root ("" for the live
// system); UINT64_MAX when none binds.
std::uint64_t groupLimitBytes(const QByteArray &mountInfo, const QByteArray &cgroups, const QString &root);

// A limit file's value in bytes; UINT64_MAX for v2's "max" (no limit) and for
// anything else that is no number. v1 says "no limit" with a huge number,
// which the machine's memory then undercuts.
std::uint64_t limitFromText(const QByteArray &text);

#endif
