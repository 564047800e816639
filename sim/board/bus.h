// The 1553 bus that the board's channels share.
#ifndef VELKOR_SIM_BUS_H
#define VELKOR_SIM_BUS_H

#include "board_data.h"
#include "transaction.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace velkor_sim {

// The shortest message the model makes: a transmit command nobody answers,
// one word and the gap.
constexpr uint64_t kShortestMessageMicros = 40;

// One pass of every running bus controller, in channel order, starting at
// board time `time` (microseconds). With none running, the external bus
// controller addresses each running terminal instead.
void runBusPass(BoardData &board, uint64_t time);

// A pass taken apart into its messages, for traffic that runs message by
// message. The cycle is empty when no message would be sent.
struct BusStep {
    Message message;
    // The bus controller channel that sends it; none for the external one.
    std::optional<unsigned> controller;
    // The controller raises its pass interrupt after this message.
    bool endsPass;
};
std::vector<BusStep> busCycle(const BoardData &board);

// Puts one message on the bus at `time` and gives how long it took.
uint64_t runBusStep(BoardData &board, const BusStep &step, uint64_t time);
// How long the message would take, without sending it.
uint64_t busStepMicros(const BoardData &board, const BusStep &step);

} // namespace velkor_sim

#endif
