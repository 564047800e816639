#include "bus_controller.h"

#include "command_word.h"

namespace velkor_sim {

namespace {

constexpr uint32_t kModeBusController = 1;
constexpr uint32_t kModeTerminal = 2;
constexpr uint32_t kProgramStartBit = 0x8000;
constexpr unsigned kExternalReceiveWords = 16;
constexpr uint16_t kExternalDataBase = 0xe000;

bool running(const ChannelSettings &settings, uint32_t mode)
{
    return settings.mode == mode && settings.on && settings.started;
}

uint32_t configurationRegister(const BoardData &board, unsigned channel)
{
    auto it = board.registers.find(0x2000u * (channel + 1) + 0x08);
    return it == board.registers.end() ? 0 : it->second;
}

// The data area is read as 16-bit words in memory order: the low half of a
// dword first. Words past what was written read as 0.
std::vector<uint16_t> dataWords(const std::vector<uint32_t> &area, std::size_t first,
                                unsigned count)
{
    std::vector<uint16_t> words(count, 0);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t index = first + i;
        if (index / 2 < area.size())
            words[i] = static_cast<uint16_t>(area[index / 2] >> (16 * (index % 2)));
    }
    return words;
}

} // namespace

bool runsAsBusController(const BoardData &board, unsigned channel)
{
    return running(board.channels[channel].settings, kModeBusController) &&
           (configurationRegister(board, channel) & kProgramStartBit);
}

bool runsAsTerminal(const ChannelSettings &settings)
{
    return running(settings, kModeTerminal);
}

// Operations are pairs of dwords: the first holds a format code in its upper
// half (0 ends the list) and the first data word in its lower half; the second
// holds the command word in its upper half.
std::vector<Message> controllerMessages(const ChannelSettings &settings)
{
    const std::vector<uint32_t> &operations = settings.bcRam[1];
    std::vector<Message> messages;
    for (std::size_t i = 0; i + 1 < operations.size(); i += 2) {
        if ((operations[i] >> 16) == 0)
            break;
        const auto command = static_cast<uint16_t>(operations[i + 1] >> 16);
        Message message{command, {}};
        if (!word::isTransmit(command))
            message.data =
                dataWords(settings.bcRam[2], operations[i] & 0xffff, word::count(command));
        messages.push_back(message);
    }
    return messages;
}

std::vector<Message> externalMessages(unsigned address)
{
    Message receive{word::command(address, false, 1, kExternalReceiveWords), {}};
    for (unsigned i = 0; i < kExternalReceiveWords; ++i)
        receive.data.push_back(static_cast<uint16_t>(kExternalDataBase + i));
    return {receive, {word::command(address, true, 2, 2), {}}};
}

} // namespace velkor_sim
