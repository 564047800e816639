#include "resident_memory.h"

#include <fstream>

#include <unistd.h>

int64_t residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    int64_t pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}
