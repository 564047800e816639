// Bus traffic in real time at a set message rate, in place of the 500 ms
// passes. Nothing else runs the model, so the messages due are put on the
// bus when a command arrives, each at the time it would have started; the
// tool cannot tell this from a bus that never stops.
#ifndef VELKOR_SIM_BUS_LOAD_H
#define VELKOR_SIM_BUS_LOAD_H

#include "board_data.h"
#include "bus.h"

#include <cstddef>
#include <cstdint>

namespace velkor_sim {

class BusLoad {
public:
    // Faster than this even the shortest message cannot follow the last.
    static constexpr uint32_t kMaxRate = 1000000 / kShortestMessageMicros;
    // After a longer silence the earlier messages are skipped: the queues
    // would have filled and dropped them anyway.
    static constexpr uint64_t kMaxBacklogNanos = 10'000'000'000;

    // 0 messages per second: back to back, as many as the bus carries.
    explicit BusLoad(uint32_t messagesPerSecond);

    // Runs the messages due by board time `now` (nanoseconds). Gives the
    // rate the bus reaches instead, the first time a message turns out too
    // long for the one asked; 0 otherwise.
    uint32_t runUntil(BoardData &board, uint64_t now);

private:
    uint32_t reachableRate(const BoardData &board, const std::vector<BusStep> &cycle) const;

    uint64_t periodNanos_;
    uint64_t next_ = 0;
    std::size_t cursor_ = 0;
    bool limitReported_ = false;
};

} // namespace velkor_sim

#endif
