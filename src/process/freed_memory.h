#ifndef FREED_MEMORY_H
#define FREED_MEMORY_H

// Keeps freed heap in the process for the next allocations instead of
// handing it back to the system at once. A busy bus writes megabytes of
// terminal lines a tick, and a terminal emptied by Clear would otherwise give
// its memory back just before the next tick asks for it again: every page the
// system hands out afresh costs a fault when first touched, which on a
// virtual machine dominates the tick.
// Called once by main, before the window exists.
void keepFreedMemoryForReuse();

#endif
