#include "node_name.h"

#include <regex>

namespace velkor_sim::check {

std::optional<NodeAddress> parseNodeName(const std::string &name)
{
    static const std::regex pattern("mil1553dev-(\\d{1,9})-ch-(\\d{1,9})");
    std::smatch match;
    if (!std::regex_match(name, match, pattern))
        return std::nullopt;
    return NodeAddress{static_cast<unsigned>(std::stoul(match[1])),
                       static_cast<unsigned>(std::stoul(match[2]))};
}

} // namespace velkor_sim::check
