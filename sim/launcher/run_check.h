// velkor-sim --check FILE: the recording held against the boards, the
// differences and the fields compared by kind on standard output.
#ifndef VELKOR_SIM_RUN_CHECK_H
#define VELKOR_SIM_RUN_CHECK_H

#include "options.h"

namespace velkor_sim {

// 0 when the recorded answers agree with the boards', 1 when they differ, 2
// when the file cannot be read.
int runCheck(const Options &options);

} // namespace velkor_sim

#endif
