// What the launcher hands the preloaded recorder, through the environment so
// that the program's children record into the same file.
#ifndef VELKOR_RECORD_ENVIRONMENT_H
#define VELKOR_RECORD_ENVIRONMENT_H

namespace velkor_sim::record {

// The recording's absolute path: the program may change its folder.
constexpr const char *kFileVariable = "VELKOR_RECORD_FILE";
// The monotonic clock in µs when the recording began; events count from it.
constexpr const char *kEpochVariable = "VELKOR_RECORD_EPOCH";

} // namespace velkor_sim::record

#endif
