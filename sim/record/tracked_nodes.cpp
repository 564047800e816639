#include "tracked_nodes.h"

#include <atomic>
#include <cstring>

namespace velkor_sim::record {

namespace {

using recording::kMaxNodeName;

struct TrackedNode {
    std::atomic<bool> open;
    char node[kMaxNodeName];
};

// Zero-initialised before any code runs: no constructor to wait for.
TrackedNode table[kTrackedDescriptors];

bool inRange(int fd)
{
    return fd >= 0 && fd < kTrackedDescriptors;
}

} // namespace

bool isTracked(int fd)
{
    return inRange(fd) && table[fd].open.load(std::memory_order_acquire);
}

void track(int fd, const char *node)
{
    if (!inRange(fd))
        return;
    std::strncpy(table[fd].node, node, kMaxNodeName - 1);
    table[fd].open.store(true, std::memory_order_release);
}

void forget(int fd)
{
    if (isTracked(fd))
        table[fd].open.store(false, std::memory_order_release);
}

void nodeOf(int fd, char *into)
{
    std::memcpy(into, table[fd].node, kMaxNodeName);
}

} // namespace velkor_sim::record
