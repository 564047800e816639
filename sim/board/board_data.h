// The whole board as the command handlers see it; guarded by Board's mutex.
#ifndef VELKOR_SIM_BOARD_DATA_H
#define VELKOR_SIM_BOARD_DATA_H

#include "channel_state.h"
#include "faults.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>

namespace velkor_sim {

struct Identity {
    uint32_t driverVersion = 0x12100814;
    uint32_t deviceId = 0x4a;
    uint32_t vendorId = 0x1c;
    uint32_t type = 2;
    uint8_t revision = 0x81;
    std::string devName = "mil1553dev";
    // Board n sits on PCI bus 3 + n, one function per channel: "0000:03:00.0".
    std::array<std::string, 4> pciLocations;

    explicit Identity(unsigned boardNumber = 0);
};

struct BoardData {
    explicit BoardData(unsigned boardNumber = 0) : identity(boardNumber) {}

    Identity identity;
    std::map<uint64_t, uint32_t> registers;
    std::array<ChannelState, 4> channels;
    std::array<QueueFaults, 4> queueFaults;
    CommandFaults commandFaults;
};

} // namespace velkor_sim

#endif
