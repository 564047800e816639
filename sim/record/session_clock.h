#ifndef VELKOR_RECORD_SESSION_CLOCK_H
#define VELKOR_RECORD_SESSION_CLOCK_H

#include <cstdint>

namespace velkor_sim::record {

// CLOCK_MONOTONIC in µs: steps of the wall clock must not reorder a session.
uint64_t monotonicMicros();

// `monotonic` counted from the epoch that the launcher put in the environment.
uint64_t sinceEpoch(uint64_t monotonic);

} // namespace velkor_sim::record

#endif
