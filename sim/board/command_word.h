// MIL-STD-1553 command and status words as they travel on the bus.
#ifndef VELKOR_SIM_COMMAND_WORD_H
#define VELKOR_SIM_COMMAND_WORD_H

#include <cstdint>

namespace velkor_sim::word {

constexpr unsigned address(uint16_t command) { return command >> 11; }
constexpr bool isTransmit(uint16_t command) { return (command >> 10) & 1; }
constexpr unsigned subaddress(uint16_t command) { return (command >> 5) & 0x1f; }
// The 5-bit field cannot say 32, so 0 stands for it.
constexpr unsigned count(uint16_t command) { return (command & 0x1f) ? (command & 0x1f) : 32; }

constexpr uint16_t command(unsigned address, bool transmit, unsigned subaddress, unsigned count)
{
    return static_cast<uint16_t>((address & 0x1f) << 11 | unsigned(transmit) << 10 |
                                 (subaddress & 0x1f) << 5 | (count & 0x1f));
}

// A terminal that answers sets no error or flag bit: only its address.
constexpr uint16_t status(unsigned address)
{
    return static_cast<uint16_t>((address & 0x1f) << 11);
}

} // namespace velkor_sim::word

#endif
