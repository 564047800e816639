#include "remote_terminal.h"

#include "command_word.h"

#include <algorithm>

namespace velkor_sim {

namespace {

std::vector<uint16_t> transmit(const ChannelSettings &terminal, unsigned subaddress, unsigned count)
{
    auto it = terminal.trBuffers.find({uint8_t(0), uint8_t(subaddress)});
    if (it == terminal.trBuffers.end())
        return std::vector<uint16_t>(count, 0);
    return std::vector<uint16_t>(it->second.begin(), it->second.begin() + count);
}

} // namespace

std::vector<uint16_t> answer(ChannelSettings &terminal, const Message &message)
{
    const unsigned subaddress = word::subaddress(message.command);
    if (word::isTransmit(message.command))
        return transmit(terminal, subaddress, word::count(message.command));
    std::copy(message.data.begin(), message.data.end(),
              terminal.receiveBuffers[subaddress].begin());
    return {};
}

} // namespace velkor_sim
