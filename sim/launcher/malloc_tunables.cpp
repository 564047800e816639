#include "malloc_tunables.h"

#include <cstdlib>
#include <malloc.h>
#include <string>

namespace velkor_sim {
namespace {

// The largest block glibc lets the heap serve (32 MiB on 64-bit), well above
// the 8 MiB of a full DMA queue; and room to keep that much freed.
constexpr int kMmapThreshold = 32 << 20;
constexpr int kTrimThreshold = 64 << 20;

} // namespace

void keepLargeBuffersInTheHeap()
{
    mallopt(M_MMAP_THRESHOLD, kMmapThreshold);
    mallopt(M_TRIM_THRESHOLD, kTrimThreshold);
    std::string tunables = "glibc.malloc.mmap_threshold=" + std::to_string(kMmapThreshold)
                           + ":glibc.malloc.trim_threshold=" + std::to_string(kTrimThreshold);
    if (const char *given = std::getenv("GLIBC_TUNABLES"); given && *given)
        tunables += std::string(":") + given;
    setenv("GLIBC_TUNABLES", tunables.c_str(), 1);
}

} // namespace velkor_sim
