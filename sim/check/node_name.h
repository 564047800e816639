// Which board and channel a node's name stands for.
#ifndef VELKOR_SIM_NODE_NAME_H
#define VELKOR_SIM_NODE_NAME_H

#include <optional>
#include <string>

namespace velkor_sim::check {

struct NodeAddress {
    unsigned board;
    unsigned channel;
};

// "mil1553dev-B-ch-C" in decimal; nothing for any other name.
std::optional<NodeAddress> parseNodeName(const std::string &name);

} // namespace velkor_sim::check

#endif
