// The board's faults by the names the command line gives them.
#ifndef VELKOR_SIM_FAULT_NAMES_H
#define VELKOR_SIM_FAULT_NAMES_H

#include "board.h"

#include <cstdint>
#include <string>

namespace velkor_sim {

struct NamedFault {
    enum class Kind { NoChannelNumber, Fail, DmaCount, Overreport } kind;
    unsigned long request = 0;
    uint32_t value = 0;
};

// Throws UsageError for a name it does not know or a malformed value.
NamedFault parseFault(const std::string &name);

// Every board gets every fault; each counts its own failures.
void applyFault(Board &board, const NamedFault &fault);

// The names and what they do, for the usage text.
const char *faultHelp();

} // namespace velkor_sim

#endif
