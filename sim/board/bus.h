// The 1553 bus that the board's channels share.
#ifndef VELKOR_SIM_BUS_H
#define VELKOR_SIM_BUS_H

#include "board_data.h"

#include <cstdint>

namespace velkor_sim {

// One pass of every running bus controller, in channel order, starting at
// board time `time` (microseconds). With none running, the external bus
// controller addresses each running terminal instead.
void runBusPass(BoardData &board, uint64_t time);

} // namespace velkor_sim

#endif
