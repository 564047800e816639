#include "stop_signals.h"

#include <pthread.h>

namespace velkor_sim {

sigset_t stopSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (int signal : kStopSignals)
        sigaddset(&set, signal);
    return set;
}

void setStopSignalsHeld(bool held)
{
    const sigset_t set = stopSignals();
    pthread_sigmask(held ? SIG_BLOCK : SIG_UNBLOCK, &set, nullptr);
}

void waitForStopSignal()
{
    sigset_t awaited = stopSignals();
    for (int signal : kStopSignals) {
        struct sigaction action {};
        sigaction(signal, nullptr, &action);
        if (action.sa_handler == SIG_IGN)
            sigdelset(&awaited, signal);
    }
    int signal = 0;
    sigwait(&awaited, &signal);
}

} // namespace velkor_sim
