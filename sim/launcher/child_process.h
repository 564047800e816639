// The program that velkor-sim runs, as its child. While the child runs, the
// stop signals (SIGINT, SIGTERM, SIGHUP) sent to the launcher are passed on to
// it, but for those the kernel sent to the child as well, so that the launcher
// lives on to remove its testbed, as timeout(1) does.
#ifndef VELKOR_SIM_CHILD_PROCESS_H
#define VELKOR_SIM_CHILD_PROCESS_H

#include "program_end.h"

namespace velkor_sim {

// Runs `program` (a null-terminated argument list) and waits for it, the stop
// signals held since set-up began (holdStopSignals). Gives how it ended: exit
// status 127 when it cannot be run, 128 + the stop signal passed on to it when
// it cannot be waited for. Throws std::runtime_error when it cannot be
// started, or waited for with no signal passed on.
ProgramEnd runProgram(char **program);

// Sends SIGTERM to the program that runProgram started; from any thread.
void stopProgram();

} // namespace velkor_sim

#endif
