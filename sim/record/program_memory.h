#ifndef VELKOR_RECORD_PROGRAM_MEMORY_H
#define VELKOR_RECORD_PROGRAM_MEMORY_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velkor_sim::record {

// `length` bytes at `address` of this process; empty when they are not all
// mapped. A pointer that the driver would refuse with EFAULT must not crash
// the program in its recorder.
std::vector<uint8_t> copyProgramMemory(const void *address, std::size_t length);

} // namespace velkor_sim::record

#endif
