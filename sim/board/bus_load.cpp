#include "bus_load.h"

#include <algorithm>

namespace velkor_sim {

BusLoad::BusLoad(uint32_t messagesPerSecond)
    : periodNanos_(messagesPerSecond ? 1'000'000'000ull / messagesPerSecond : 0)
{
}

uint32_t BusLoad::runUntil(BoardData &board, uint64_t now)
{
    const std::vector<BusStep> cycle = busCycle(board);
    if (cycle.empty()) {
        next_ = std::max(next_, now);
        return 0;
    }
    if (now > next_ + kMaxBacklogNanos)
        next_ = now - kMaxBacklogNanos;
    bool tooLong = false;
    while (next_ <= now) {
        cursor_ %= cycle.size();
        const uint64_t took = runBusStep(board, cycle[cursor_++], next_ / 1000) * 1000;
        tooLong = tooLong || took > periodNanos_;
        next_ += std::max(took, periodNanos_);
    }
    if (!tooLong || limitReported_ || periodNanos_ == 0)
        return 0;
    limitReported_ = true;
    return reachableRate(board, cycle);
}

// Each message takes the longer of its own time and the rate's period.
uint32_t BusLoad::reachableRate(const BoardData &board, const std::vector<BusStep> &cycle) const
{
    uint64_t total = 0;
    for (const BusStep &step : cycle)
        total += std::max(busStepMicros(board, step) * 1000, periodNanos_);
    return static_cast<uint32_t>(cycle.size() * 1'000'000'000ull / total);
}

} // namespace velkor_sim
