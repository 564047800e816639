// Answers one ioctl that umockdev forwarded from a channel node.
#ifndef VELKOR_SIM_SERVE_IOCTL_H
#define VELKOR_SIM_SERVE_IOCTL_H

#include "board.h"
#include "node_commands.h"

typedef struct _UMockdevIoctlClient UMockdevIoctlClient;

namespace velkor_sim {

void serveIoctl(Board &board, unsigned channel, UMockdevIoctlClient *client);
Reply serveIoctl(NodeCommands &commands, UMockdevIoctlClient *client);

} // namespace velkor_sim

#endif
