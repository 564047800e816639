#include "freed_memory.h"

#include <malloc.h>

void keepFreedMemoryForReuse()
{
    // The pad is what glibc leaves in place whenever it trims the heap's top.
    mallopt(M_TOP_PAD, 64 << 20);
}
