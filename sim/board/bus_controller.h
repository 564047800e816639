// Who drives the bus: the board's own bus controllers, or the built-in
// external one that keeps a lone remote terminal busy.
#ifndef VELKOR_SIM_BUS_CONTROLLER_H
#define VELKOR_SIM_BUS_CONTROLLER_H

#include "board_data.h"
#include "transaction.h"

#include <vector>

namespace velkor_sim {

bool runsAsBusController(const BoardData &board, unsigned channel);
bool runsAsTerminal(const ChannelSettings &settings);

// One pass over the channel's operation area.
std::vector<Message> controllerMessages(const ChannelSettings &settings);

// What the external bus controller sends to the terminal at `address` per pass.
std::vector<Message> externalMessages(unsigned address);

} // namespace velkor_sim

#endif
