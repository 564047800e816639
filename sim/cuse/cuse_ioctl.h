// Answers one ioctl that the kernel's CUSE forwarded from a channel node.
#ifndef VELKOR_SIM_CUSE_IOCTL_H
#define VELKOR_SIM_CUSE_IOCTL_H

#include "board.h"

#include <fuse_lowlevel.h>

namespace velkor_sim {

// The arguments of cuse_lowlevel_ops::ioctl, for channel `channel` of `board`.
void answerIoctl(fuse_req_t req, Board &board, unsigned channel, int cmd, void *arg,
                 const void *in, std::size_t inSize, std::size_t outSize);

} // namespace velkor_sim

#endif
