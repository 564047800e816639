// The signals that stop velkor-sim: SIGINT, SIGTERM and SIGHUP.
#ifndef VELKOR_SIM_STOP_SIGNALS_H
#define VELKOR_SIM_STOP_SIGNALS_H

#include <csignal>

namespace velkor_sim {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

sigset_t stopSignals();

// Threads started later keep the signals held, so that the launcher's main
// thread is the one that takes them. Call it before any thread starts.
void setStopSignalsHeld(bool held);
inline void holdStopSignals()
{
    setStopSignalsHeld(true);
}

// Waits, the signals held, for one of them; one that was ignored when the
// launcher started (nohup) stays ignored.
void waitForStopSignal();

} // namespace velkor_sim

#endif
