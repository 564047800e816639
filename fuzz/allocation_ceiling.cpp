// The driver's counts decide how much the tool allocates, up to gigabytes.
// The fuzz executables are linked with --wrap=malloc, so the malloc calls of
// the statically linked code, the tool's queue records among them, come here:
// refusing blocks above 1 MiB, like a machine short of memory, sends huge
// counts down the tool's failed-allocation path on every machine alike, and
// keeps the counts it accepts small enough for a tick to finish in time.
#include <cstddef>

namespace {

constexpr size_t kCeiling = size_t{1} << 20;

} // namespace

extern "C" void *__real_malloc(size_t size);

extern "C" void *__wrap_malloc(size_t size)
{
    return size > kCeiling ? nullptr : __real_malloc(size);
}
