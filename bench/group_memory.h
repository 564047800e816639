// The memory limits the soak runs under (scripts/soak.sh --memory MB) and how
// close it came to them: a control group's limit and the highest use the
// kernel saw in the group, velkor-sim's included; the tool's own RLIMIT_DATA
// and RLIMIT_AS and the highest data size and address space its process had.
#ifndef GROUP_MEMORY_H
#define GROUP_MEMORY_H

#include <cstdint>

// The kernel keeps no peak of the data size, which RLIMIT_DATA bounds: the
// soak notes it at each tick's end, where the terminal's lines are at their
// most.
class DataSizeWatch
{
public:
    void note();
    std::uint64_t highest() const { return highest_; }

private:
    std::uint64_t highest_ = 0;
};

// Prints the figures of every limit below the machine's memory, and says so
// when the use reached one; false then.
bool printLimitedMemory(const DataSizeWatch &dataSize);

#endif
