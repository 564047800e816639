// When bus passes happen: one every 500 ms of board time. Auto-run ties board
// time to the steady clock (caught up when a command arrives, since nothing
// else runs the model); with auto-run off, only runBusPasses moves it, which
// keeps tests deterministic.
#ifndef VELKOR_SIM_BUS_SCHEDULE_H
#define VELKOR_SIM_BUS_SCHEDULE_H

#include <chrono>
#include <cstdint>

namespace velkor_sim {

class BusSchedule {
public:
    using Steady = std::chrono::steady_clock;
    static constexpr uint64_t kPeriodMicros = 500000;
    // A long pause (a suspended machine, a debugger) must not flood the queues.
    static constexpr uint64_t kMaxCatchUp = 20;

    explicit BusSchedule(Steady::time_point now);

    bool autoRun() const { return autoRun_; }
    // Time spent with auto-run off does not count as due.
    void setAutoRun(bool on, Steady::time_point now);
    // The passes due since the last catch-up, at most kMaxCatchUp. The board
    // clock moves over the passes left out, so timers stay true to elapsed time.
    uint64_t catchUp(Steady::time_point now);
    // Moves the board clock one period on and gives the time of that pass.
    uint64_t nextPass();

private:
    bool autoRun_ = true;
    Steady::time_point anchor_;
    uint64_t clockMicros_ = 0;
};

} // namespace velkor_sim

#endif
