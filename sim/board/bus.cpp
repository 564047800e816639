#include "bus.h"

#include "bus_controller.h"
#include "bus_interrupts.h"
#include "command_word.h"
#include "dma_layout.h"
#include "queues.h"
#include "remote_terminal.h"

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

uint64_t duration(std::size_t dataWords, bool answered)
{
    return kWordMicros * (dataWords + (answered ? 2 : 1)) + kGapMicros;
}

uint64_t duration(const Transaction &t)
{
    return duration(t.data.size(), t.terminal.has_value());
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

std::set<unsigned> terminalAddresses(const BoardData &board)
{
    std::set<unsigned> addresses;
    for (const ChannelState &channel : board.channels) {
        if (runsAsTerminal(channel.settings))
            addresses.insert(channel.settings.rtAddress);
    }
    return addresses;
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
    if (controllerRan)
        return;
    for (unsigned address : terminalAddresses(board))
        time = runMessages(board, externalMessages(address), time, nullptr);
}

// A controller with an empty list still holds the bus, as in a pass, but
// sends nothing; so no pass interrupts pile up without messages.
std::vector<BusStep> busCycle(const BoardData &board)
{
    std::vector<BusStep> steps;
    bool controllerRuns = false;
    for (unsigned channel = 0; channel < board.channels.size(); ++channel) {
        if (!runsAsBusController(board, channel))
            continue;
        controllerRuns = true;
        for (const Message &message : controllerMessages(board.channels[channel].settings))
            steps.push_back({message, channel, false});
        if (!steps.empty() && steps.back().controller == channel)
            steps.back().endsPass = true;
    }
    if (controllerRuns)
        return steps;
    for (unsigned address : terminalAddresses(board)) {
        for (const Message &message : externalMessages(address))
            steps.push_back({message, std::nullopt, false});
    }
    return steps;
}

uint64_t runBusStep(BoardData &board, const BusStep &step, uint64_t time)
{
    const Transaction t = transact(board, step.message, time);
    const uint64_t took = duration(t);
    if (step.controller) {
        ChannelState &controller = board.channels[*step.controller];
        offer(controller.dmaBlocks, controllerBlock(t));
        if (step.endsPass)
            raiseControllerPass(controller, time + took);
    }
    return took;
}

uint64_t busStepMicros(const BoardData &board, const BusStep &step)
{
    const uint16_t command = step.message.command;
    const bool answered = terminalAt(board, word::address(command)).has_value();
    const std::size_t words = word::isTransmit(command) ? (answered ? word::count(command) : 0)
                                                         : step.message.data.size();
    return duration(words, answered);
}

} // namespace velkor_sim
