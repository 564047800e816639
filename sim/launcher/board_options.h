// What the command line makes of the boards and of the trace, whichever way
// the boards are served.
#ifndef VELKOR_SIM_BOARD_OPTIONS_H
#define VELKOR_SIM_BOARD_OPTIONS_H

#include "board.h"
#include "options.h"

#include <cstdio>
#include <string>

namespace velkor_sim {

// The load and the faults; and no log in memory, as nothing reads it: the
// trace is velkor-sim's log.
void applyOptions(Board &board, const Options &options);

// The file of --trace FILE, standard error for "-"; opened close-on-exec, as
// the program must not hold it. Throws std::runtime_error.
std::FILE *openTrace(const std::string &name);

} // namespace velkor_sim

#endif
