// The memory of the soak's control group, when the group has a limit of its
// own (scripts/soak.sh --memory): the limit and the highest use the kernel
// saw, velkor-sim's included, read from the group's files at the end.
#ifndef GROUP_MEMORY_H
#define GROUP_MEMORY_H

// Prints the figures, and says so when the group reached its limit; false then.
bool printGroupMemory();

#endif
