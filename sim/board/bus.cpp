#include "bus.h"

#include "bus_controller.h"
#include "bus_interrupts.h"
#include "command_word.h"
#include "dma_layout.h"
#include "queues.h"
#include "remote_terminal.h"

#include <optional>
#include <set>

namespace velkor_sim {

namespace {

// 20 µs per word at 1 Mbit/s, plus the response and intermessage gaps.
constexpr uint64_t kWordMicros = 20;
constexpr uint64_t kGapMicros = 20;

// Where two terminals share an address, the lower channel answers.
std::optional<unsigned> terminalAt(const BoardData &board, unsigned address)
{
    for (unsigned channel = 0; channel < board.channels.size(); ++channel) {
        const ChannelSettings &settings = board.channels[channel].settings;
        if (runsAsTerminal(settings) && settings.rtAddress == address)
            return channel;
    }
    return std::nullopt;
}

Transaction transact(BoardData &board, const Message &message, uint64_t time)
{
    Transaction t{message.command, terminalAt(board, word::address(message.command)),
                  message.data, time};
    if (t.terminal) {
        ChannelState &terminal = board.channels[*t.terminal];
        const std::vector<uint16_t> sent = answer(terminal.settings, message);
        t.data.insert(t.data.end(), sent.begin(), sent.end());
        offer(terminal.dmaBlocks, terminalBlock(t));
        raiseTerminalMessage(terminal, t);
    }
    return t;
}

uint64_t duration(const Transaction &t)
{
    return kWordMicros * (t.data.size() + (t.terminal ? 2 : 1)) + kGapMicros;
}

// Runs the messages from `time` on and gives the time after the last one.
uint64_t runMessages(BoardData &board, const std::vector<Message> &messages, uint64_t time,
                     ChannelState *controller)
{
    for (const Message &message : messages) {
        const Transaction t = transact(board, message, time);
        if (controller)
            offer(controller->dmaBlocks, controllerBlock(t));
        time += duration(t);
    }
    return time;
}

void runExternalController(BoardData &board, uint64_t time)
{
    std::set<unsigned> addresses;
    for (const ChannelState &channel : board.channels) {
        if (runsAsTerminal(channel.settings))
            addresses.insert(channel.settings.rtAddress);
    }
    for (unsigned address : addresses)
        time = runMessages(board, externalMessages(address), time, nullptr);
}

} // namespace

void runBusPass(BoardData &board, uint64_t time)
{
    bool controllerRan = false;
    for (unsigned channel = 0; channel < board.channels.size(); ++channel) {
        if (!runsAsBusController(board, channel))
            continue;
        ChannelState &controller = board.channels[channel];
        time = runMessages(board, controllerMessages(controller.settings), time, &controller);
        raiseControllerPass(controller, time);
        controllerRan = true;
    }
    if (!controllerRan)
        runExternalController(board, time);
}

} // namespace velkor_sim
