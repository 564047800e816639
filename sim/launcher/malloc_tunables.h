// umockdev hands every ioctl's records over in fresh allocations of their full
// size, on both sides of its socket: a read of a full queue moves megabytes.
// glibc maps blocks that large afresh and unmaps them on free, so each read
// faults every page in again, which on a virtual machine made the board's
// delivery many times slower than its work.
// Larger thresholds keep such blocks in the heap, ready for the next read.
#ifndef VELKOR_SIM_MALLOC_TUNABLES_H
#define VELKOR_SIM_MALLOC_TUNABLES_H

namespace velkor_sim {

// Sets the thresholds for this process, and in GLIBC_TUNABLES for the program
// it is about to start; settings the user gave there come later and win.
void keepLargeBuffersInTheHeap();

} // namespace velkor_sim

#endif
