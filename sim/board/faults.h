// Faults injected by name: commands that fail, and queue changes that a real
// board makes between the tool's count and its read.
#ifndef VELKOR_SIM_FAULTS_H
#define VELKOR_SIM_FAULTS_H

#include "channel_state.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace velkor_sim {

class CommandFaults {
public:
    void failNext(unsigned long request, unsigned times);
    void failAlways(unsigned long request);
    // True when this command is to fail; uses up one of the failNext times.
    bool takeFailure(unsigned long request);

private:
    std::map<unsigned long, unsigned> next_;
    std::set<unsigned long> always_;
};

struct QueueFaults {
    std::vector<DmaBlock> arriveBeforeRead;
    bool dropBeforeRead = false;
    uint32_t overreport = 0;
    uint32_t interruptOverreport = 0;
    std::optional<uint32_t> dmaCount;
};

} // namespace velkor_sim

#endif
