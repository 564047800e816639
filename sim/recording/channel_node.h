// The names the driver gives its channel nodes in /dev: mil1553dev-B-ch-C.
#ifndef VELKOR_SIM_CHANNEL_NODE_H
#define VELKOR_SIM_CHANNEL_NODE_H

#include <cstddef>

namespace velkor_sim::recording {

// Room for any node name that isChannelNode accepts, with its terminating null.
constexpr std::size_t kMaxNodeName = 40;

// Whether `name` is "mil1553dev-<digits>-ch-<digits>" and shorter than kMaxNodeName.
// Allocates nothing: the recorder asks it on every open of the program.
bool isChannelNode(const char *name);

// The part of `path` after its last '/'.
const char *lastComponent(const char *path);

} // namespace velkor_sim::recording

#endif
