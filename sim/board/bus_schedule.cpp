#include "bus_schedule.h"

namespace velkor_sim {

BusSchedule::BusSchedule(Steady::time_point now) : anchor_(now) {}

void BusSchedule::setAutoRun(bool on, Steady::time_point now)
{
    autoRun_ = on;
    anchor_ = now;
}

uint64_t BusSchedule::catchUp(Steady::time_point now)
{
    const auto period = std::chrono::microseconds(kPeriodMicros);
    const auto due = static_cast<uint64_t>((now - anchor_) / period);
    anchor_ += due * period;
    const uint64_t run = due < kMaxCatchUp ? due : kMaxCatchUp;
    clockMicros_ += (due - run) * kPeriodMicros;
    return run;
}

uint64_t BusSchedule::nextPass()
{
    clockMicros_ += kPeriodMicros;
    return clockMicros_;
}

} // namespace velkor_sim
