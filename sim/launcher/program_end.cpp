#include "program_end.h"

#include <csignal>
#include <sys/prctl.h>

namespace velkor_sim {

int endLike(const ProgramEnd &end)
{
    if (!end.signal)
        return end.exitStatus;
    // A program that crashed left its own core, if any; the launcher's would
    // only mislead, as a file or as a crash reported through core_pattern.
    prctl(PR_SET_DUMPABLE, 0);
    // A stop signal is held and would be passed on to a program gone by now.
    std::signal(end.signal, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, end.signal);
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    raise(end.signal);
    // Still here: the signal's default is to go on. Say it as a shell would.
    return 128 + end.signal;
}

} // namespace velkor_sim
