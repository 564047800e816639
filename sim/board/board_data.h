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
    std::array<std::string, 4> pciLocations{
        {"0000:03:00.0", "0000:03:00.1", "0000:03:00.2", "0000:03:00.3"}};
};

struct BoardData {
    Identity identity;
    std::map<uint64_t, uint32_t> registers;
    std::array<ChannelState, 4> channels;
    std::array<QueueFaults, 4> queueFaults;
    CommandFaults commandFaults;
};

} // namespace velkor_sim

#endif
