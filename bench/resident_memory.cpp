#include "resident_memory.h"

#include <fstream>
#include <string>

#include <unistd.h>

int64_t residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    int64_t pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

int64_t peakResidentBytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string field; status >> field;) {
        if (field == "VmHWM:") {
            int64_t kB = 0;
            status >> kB;
            return kB * 1024;
        }
    }
    return 0;
}
