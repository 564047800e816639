// The buffers that the driver's records point to: which 8-byte fields of a
// record are pointers, how many bytes the driver reaches through each and
// which way they go. Whatever carries a command to the board without running
// it (the CUSE node, a recorder of driver sessions) asks this table for the
// bytes it must bring along.
#ifndef VELKOR_SIM_POINTED_BUFFERS_H
#define VELKOR_SIM_POINTED_BUFFERS_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velkor_sim {

// Larger than any buffer the tool makes; a longer one means a corrupt record.
constexpr std::size_t kMaxFollow = 64u << 20;

constexpr uint32_t kDmaBlockBytes = 128;
constexpr uint32_t kInterruptBlockBytes = 16;

struct PointedBuffer {
    // In: the driver reads the buffer; Out: it writes it.
    enum class Direction { In, Out };

    std::size_t pointerOffset;
    std::size_t length;
    Direction direction;

    bool operator==(const PointedBuffer &other) const
    {
        return pointerOffset == other.pointerOffset && length == other.length &&
               direction == other.direction;
    }
};

// The buffers of the record of `request`. A null pointer, an empty buffer and
// one longer than kMaxFollow are left out: nothing is reached through them.
std::vector<PointedBuffer> pointedBuffers(unsigned long request, const uint8_t *record);

// The offsets of every pointer that the tool puts into the record of
// `request`, whatever it points to: addresses of one run mean nothing in another.
std::vector<std::size_t> pointerFields(unsigned long request);

// Lowers the counts of the record of `request` so that its out buffer (no
// command has more than one) holds at most `room` bytes. A driver may always
// deliver fewer entries than asked for: the count it writes back says how many.
void limitOutBuffer(unsigned long request, uint8_t *record, std::size_t room);

// The DMA blocks an IOCTL_READ_DMA_BLOCKS record makes room for: no more than
// its count asks for, nor than its length holds.
uint32_t dmaBlocksRoom(const uint8_t *record);

} // namespace velkor_sim

#endif
