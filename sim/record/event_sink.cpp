#include "event_sink.h"

#include "gzip_member.h"
#include "next_function.h"
#include "record_environment.h"

#include <atomic>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

namespace velkor_sim::record {

namespace {

using OpenFunction = int (*)(const char *, int, ...);

// Copied once: the program may change its environment later.
struct Destination {
    char path[PATH_MAX] = {};
    bool gzip = false;
};

const Destination &destination()
{
    static const Destination named = [] {
        Destination d;
        if (const char *path = std::getenv(kFileVariable)) {
            std::strncpy(d.path, path, sizeof d.path - 1);
            d.gzip = recording::isGzipName(d.path);
        }
        return d;
    }();
    return named;
}

std::mutex sinkMutex;
std::atomic<int> sinkFd{-1};

// The next open, not ours: the recording is no channel node.
int openSink()
{
    static const auto open = nextFunction<OpenFunction>("open");
    return open ? open(destination().path, O_WRONLY | O_APPEND | O_CLOEXEC) : -1;
}

void writeAll(int fd, const std::string &bytes)
{
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        done += static_cast<std::size_t>(written);
    }
}

} // namespace

bool recording()
{
    return destination().path[0] != '\0';
}

void writeEvent(const recording::Event &event)
{
    const std::string line = recording::formatEvent(event) + '\n';
    const std::string bytes = destination().gzip ? recording::gzipMember(line) : line;
    std::lock_guard<std::mutex> lock(sinkMutex);
    if (sinkFd < 0)
        sinkFd = openSink();
    if (sinkFd >= 0)
        writeAll(sinkFd, bytes);
}

void descriptorClosed(int fd)
{
    int expected = fd;
    if (fd >= 0 && sinkFd.load(std::memory_order_relaxed) == fd)
        sinkFd.compare_exchange_strong(expected, -1);
}

} // namespace velkor_sim::record
