#ifndef RESIDENT_MEMORY_H
#define RESIDENT_MEMORY_H

#include <cstdint>

// The process's resident set size in bytes, as the kernel counts it.
int64_t residentBytes();

// The highest resident set size the process has had (VmHWM).
int64_t peakResidentBytes();

#endif
