#include "node_name.h"

#include "channel_node.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace velkor_sim::check {

std::optional<NodeAddress> parseNodeName(const std::string &name)
{
    if (!recording::isChannelNode(name.c_str()))
        return std::nullopt;
    char *end = nullptr;
    errno = 0;
    const unsigned long board = std::strtoul(name.c_str() + std::strlen("mil1553dev-"), &end, 10);
    const unsigned long channel = std::strtoul(end + std::strlen("-ch-"), nullptr, 10);
    if (errno == ERANGE || board > UINT_MAX || channel > UINT_MAX)
        return std::nullopt;
    return NodeAddress{static_cast<unsigned>(board), static_cast<unsigned>(channel)};
}

} // namespace velkor_sim::check
