#include "session_clock.h"

#include "record_environment.h"

#include <cstdlib>
#include <ctime>

namespace velkor_sim::record {

namespace {

uint64_t epoch()
{
    const char *text = std::getenv(kEpochVariable);
    return text ? std::strtoull(text, nullptr, 10) : 0;
}

} // namespace

uint64_t monotonicMicros()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint64_t(now.tv_sec) * 1000000 + uint64_t(now.tv_nsec) / 1000;
}

uint64_t sinceEpoch(uint64_t monotonic)
{
    static const uint64_t start = epoch();
    return monotonic > start ? monotonic - start : 0;
}

} // namespace velkor_sim::record
