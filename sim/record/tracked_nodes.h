// The descriptors that the program holds on channel nodes, and each one's
// node. A fixed table indexed by descriptor: asked on every ioctl and close
// the program makes, it must cost one load and never allocate, not even for
// calls made before main.
#ifndef VELKOR_RECORD_TRACKED_NODES_H
#define VELKOR_RECORD_TRACKED_NODES_H

#include "channel_node.h"

namespace velkor_sim::record {

// Descriptors above this are passed on unrecorded; the tool opens a node at
// every start of a test and never closes it, so a long session needs many.
constexpr int kTrackedDescriptors = 1 << 16;

bool isTracked(int fd);
void track(int fd, const char *node);
void forget(int fd);

// The node of a tracked descriptor, copied: `into` has kMaxNodeName bytes.
void nodeOf(int fd, char *into);

} // namespace velkor_sim::record

#endif
