// velkor-sim --cuse: the boards served as real character devices through
// CUSE, with no program, until a stop signal comes.
#ifndef VELKOR_SIM_SERVE_CUSE_H
#define VELKOR_SIM_SERVE_CUSE_H

#include "options.h"

namespace velkor_sim {

// Gives the exit status, 0, once stopped. Throws std::runtime_error when the
// nodes cannot be made.
int serveCuse(const Options &options);

} // namespace velkor_sim

#endif
