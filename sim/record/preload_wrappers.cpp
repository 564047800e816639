// The calls a program reaches the driver through, wrapped when this library
// is preloaded. Each is passed on unchanged to the next library in line, and
// the caller gets its result and errno as that library gave them; only calls
// on channel nodes are recorded, everything else costs a check.
//
// _FORTIFY_SOURCE would make open an inline function of fcntl.h, which a
// definition of open cannot stand beside.
#undef _FORTIFY_SOURCE

#include "channel_node.h"
#include "event_sink.h"
#include "ioctl_capture.h"
#include "next_function.h"
#include "session_clock.h"
#include "tracked_nodes.h"

#include <cstdarg>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

using namespace velkor_sim::record;
using velkor_sim::recording::Event;
using velkor_sim::recording::isChannelNode;
using velkor_sim::recording::kMaxNodeName;
using velkor_sim::recording::lastComponent;

using OpenFunction = int (*)(const char *, int, ...);
using OpenAtFunction = int (*)(int, const char *, int, ...);
using FortifiedOpenFunction = int (*)(const char *, int);
using FortifiedOpenAtFunction = int (*)(int, const char *, int);
using CloseFunction = int (*)(int);
using IoctlFunction = int (*)(int, unsigned long, ...);

// Set while this thread records, so that a call the recorder makes itself
// (zlib or the C++ library opening a file) is passed on and not recorded.
thread_local bool insideRecorder = false;

struct RecorderScope {
    RecorderScope() { insideRecorder = true; }
    ~RecorderScope() { insideRecorder = false; }
    RecorderScope(const RecorderScope &) = delete;
    RecorderScope &operator=(const RecorderScope &) = delete;
};

// The recorder never lets an exception, out of memory say, reach the program:
// the call is made all the same, only its event is lost.
template <typename Record>
bool recordSafely(Record record) noexcept
{
    try {
        const RecorderScope scope;
        record();
        return true;
    } catch (...) {
        return false;
    }
}

struct Timed {
    long result;
    int error;
    uint64_t start;
    uint64_t micros;
};

// The call sees the caller's errno, whatever the recorder did before it.
template <typename Call>
Timed timed(int callerErrno, Call call)
{
    const uint64_t start = monotonicMicros();
    errno = callerErrno;
    const long result = call();
    const int error = errno;
    return {result, error, start, monotonicMicros() - start};
}

void stamp(Event &event, const char *node, int fd, const Timed &call)
{
    event.node = node;
    event.fd = fd;
    event.result = call.result;
    event.error = call.result < 0 ? call.error : 0;
    event.startMicros = sinceEpoch(call.start);
    event.durationMicros = call.micros;
}

bool followsOpenOf(const char *path)
{
    return path && !insideRecorder && recording() && isChannelNode(lastComponent(path));
}

template <typename Call>
int followOpen(const char *path, int flags, Call call)
{
    const int callerErrno = errno;
    if (!followsOpenOf(path)) {
        const int fd = call();
        // Its number was a node's that the program closed unseen (fclose).
        forget(fd);
        return fd;
    }
    const Timed opened = timed(callerErrno, call);
    const int fd = static_cast<int>(opened.result);
    const char *node = lastComponent(path);
    recordSafely([&] {
        Event event;
        event.kind = Event::Kind::Open;
        event.flags = flags;
        stamp(event, node, fd, opened);
        writeEvent(event);
    });
    if (fd >= 0)
        track(fd, node);
    errno = opened.error;
    return fd;
}

// O_CREAT and O_TMPFILE are the flags that bring a mode along.
mode_t modeOf(int flags, va_list arguments)
{
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(arguments, mode_t) : 0;
}

int recordIoctl(IoctlFunction next, int fd, unsigned long request, void *argument)
{
    const int callerErrno = errno;
    char node[kMaxNodeName];
    nodeOf(fd, node);
    IoctlCapture capture(request, argument);
    const bool captured = recordSafely([&] { capture.before(); });
    const Timed call = timed(callerErrno, [&] { return next(fd, request, argument); });
    if (captured) {
        recordSafely([&] {
            Event event = capture.after();
            stamp(event, node, fd, call);
            writeEvent(event);
        });
    }
    errno = call.error;
    return static_cast<int>(call.result);
}

} // namespace

#define VELKOR_EXPORT extern "C" __attribute__((visibility("default")))

VELKOR_EXPORT int open(const char *path, int flags, ...)
{
    static const auto next = nextFunction<OpenFunction>("open");
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    return followOpen(path, flags, [&] { return next(path, flags, mode); });
}

VELKOR_EXPORT int open64(const char *path, int flags, ...)
{
    static const auto next = nextFunction<OpenFunction>("open64");
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    return followOpen(path, flags, [&] { return next(path, flags, mode); });
}

VELKOR_EXPORT int openat(int folder, const char *path, int flags, ...)
{
    static const auto next = nextFunction<OpenAtFunction>("openat");
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    return followOpen(path, flags, [&] { return next(folder, path, flags, mode); });
}

VELKOR_EXPORT int openat64(int folder, const char *path, int flags, ...)
{
    static const auto next = nextFunction<OpenAtFunction>("openat64");
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    return followOpen(path, flags, [&] { return next(folder, path, flags, mode); });
}

// What open and openat become in a program built with _FORTIFY_SOURCE.
VELKOR_EXPORT int __open_2(const char *path, int flags)
{
    static const auto next = nextFunction<FortifiedOpenFunction>("__open_2");
    return followOpen(path, flags, [&] { return next(path, flags); });
}

VELKOR_EXPORT int __open64_2(const char *path, int flags)
{
    static const auto next = nextFunction<FortifiedOpenFunction>("__open64_2");
    return followOpen(path, flags, [&] { return next(path, flags); });
}

VELKOR_EXPORT int __openat_2(int folder, const char *path, int flags)
{
    static const auto next = nextFunction<FortifiedOpenAtFunction>("__openat_2");
    return followOpen(path, flags, [&] { return next(folder, path, flags); });
}

VELKOR_EXPORT int __openat64_2(int folder, const char *path, int flags)
{
    static const auto next = nextFunction<FortifiedOpenAtFunction>("__openat64_2");
    return followOpen(path, flags, [&] { return next(folder, path, flags); });
}

VELKOR_EXPORT int close(int fd)
{
    static const auto next = nextFunction<CloseFunction>("close");
    if (!isTracked(fd) || insideRecorder) {
        descriptorClosed(fd);
        return next(fd);
    }
    const int callerErrno = errno;
    char node[kMaxNodeName];
    nodeOf(fd, node);
    // Forgotten first: once closed, the number may come back from another thread's open.
    forget(fd);
    const Timed closed = timed(callerErrno, [&] { return next(fd); });
    recordSafely([&] {
        Event event;
        event.kind = Event::Kind::Close;
        stamp(event, node, fd, closed);
        writeEvent(event);
    });
    errno = closed.error;
    return static_cast<int>(closed.result);
}

VELKOR_EXPORT int ioctl(int fd, unsigned long request, ...) noexcept
{
    static const auto next = nextFunction<IoctlFunction>("ioctl");
    va_list arguments;
    va_start(arguments, request);
    void *argument = va_arg(arguments, void *);
    va_end(arguments);
    if (!isTracked(fd) || insideRecorder)
        return next(fd, request, argument);
    return recordIoctl(next, fd, request, argument);
}
