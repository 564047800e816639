// How the program that velkor-sim ran ended, and the launcher ending the same
// way, so that a shell sees velkor-sim end as it would have seen the program:
// a script stops on Ctrl-C only when its command died of SIGINT.
#ifndef VELKOR_SIM_PROGRAM_END_H
#define VELKOR_SIM_PROGRAM_END_H

namespace velkor_sim {

struct ProgramEnd {
    int exitStatus = 0;
    // The signal that killed the program; 0 when it exited.
    int signal = 0;
};

// Call it last, with the testbed removed: dies of the program's signal, with
// the default action. Gives the exit status for main to return otherwise, or
// 128 + the signal should the signal not end the launcher.
int endLike(const ProgramEnd &end);

} // namespace velkor_sim

#endif
