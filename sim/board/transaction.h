// One message on the bus, as both ends record it.
#ifndef VELKOR_SIM_TRANSACTION_H
#define VELKOR_SIM_TRANSACTION_H

#include <cstdint>
#include <optional>
#include <vector>

namespace velkor_sim {

// What a bus controller puts on the bus: a command word and, for a receive
// command, the data words that follow it.
struct Message {
    uint16_t command;
    std::vector<uint16_t> data;
};

struct Transaction {
    uint16_t command;
    // The channel whose terminal answered; none when nobody did.
    std::optional<unsigned> terminal;
    // Every data word on the bus, from either end.
    std::vector<uint16_t> data;
    // Board clock at the command word, in microseconds.
    uint64_t time;
};

} // namespace velkor_sim

#endif
