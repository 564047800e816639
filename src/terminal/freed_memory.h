#ifndef FREED_MEMORY_H
#define FREED_MEMORY_H

// Keeps up to 64 MB of freed heap in the process for the next allocations
// instead of handing it back to the system at once. A busy bus writes some
// 15 MB of terminal lines a tick, and a terminal emptied by Clear would
// otherwise give its memory back just before the next tick asks for it
// again: every page the system hands out afresh costs a fault when first
// touched, about 12 µs on a virtual machine, 30 ms and more a tick.
// Called once by main, before the window exists.
void keepFreedMemoryForReuse();

#endif
