// What answers the ioctls of a testbed node that no board's channel serves.
#ifndef VELKOR_SIM_NODE_COMMANDS_H
#define VELKOR_SIM_NODE_COMMANDS_H

#include "board.h"

namespace velkor_sim {

class NodeCommands {
public:
    virtual ~NodeCommands() = default;
    // Called on umockdev's thread.
    virtual Reply command(unsigned long request, CallerMemory &memory) = 0;
};

} // namespace velkor_sim

#endif
