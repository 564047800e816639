// What one channel holds: the settings the driver commands change, and the
// queues of blocks waiting to be read.
#ifndef VELKOR_SIM_CHANNEL_STATE_H
#define VELKOR_SIM_CHANNEL_STATE_H

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <utility>
#include <vector>

namespace velkor_sim {

using DmaBlock = std::array<uint8_t, 128>;

struct InterruptBlock {
    uint32_t free_timer_value;
    uint32_t interrupt_ch;
    uint32_t hw_stat_reg1;
    uint32_t hw_stat_reg2;
};

struct SubaddressInterrupts {
    uint8_t rt_int = 0;
    uint32_t subaddress_mask = 0;
};

// Everything IOCTL_RESET returns to its power-on value.
struct ChannelSettings {
    static constexpr uint32_t kBcAreaWords = 65536;

    uint32_t mode = 0;
    uint32_t bus = 0;
    bool on = false;
    bool started = false;
    std::array<uint8_t, 9> interrupts{};
    // Bus controller memory: instructions, operations, data; grown as written.
    std::array<std::vector<uint32_t>, 3> bcRam;
    uint8_t rtAddress = 0;
    std::array<uint32_t, 32> trMode{};
    std::array<uint32_t, 32> trModeBuf{};
    // Buffer management per direction: [0] transmit, [1] receive; bit n = subaddress n.
    std::array<uint32_t, 2> bufferManagement{};
    // Transmit buffers by (num_buf, subaddress).
    std::map<std::pair<uint8_t, uint8_t>, std::array<uint16_t, 32>> trBuffers;
    // What the bus last delivered to each subaddress.
    std::array<std::array<uint16_t, 32>, 32> receiveBuffers{};
    // [0] from IOCTL_SET_INT_SUBADDR_A, [1] from IOCTL_SET_INT_SUBADDR_B.
    std::array<SubaddressInterrupts, 2> subaddressInterrupts{};
};

struct ChannelState {
    ChannelSettings settings;
    std::deque<DmaBlock> dmaBlocks;
    std::deque<InterruptBlock> interruptBlocks;
};

} // namespace velkor_sim

#endif
