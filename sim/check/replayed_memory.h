// The caller's memory of one recorded ioctl, rebuilt for the model: copies of
// the record as it was sent and of the buffers the driver read, and room for
// those it wrote.
#ifndef VELKOR_SIM_REPLAYED_MEMORY_H
#define VELKOR_SIM_REPLAYED_MEMORY_H

#include "board.h"
#include "recording.h"

#include <vector>

namespace velkor_sim::check {

class ReplayedMemory : public CallerMemory {
public:
    explicit ReplayedMemory(const recording::Event &event);

    uint8_t *record(std::size_t size) override;
    uint8_t *follow(std::size_t offset, std::size_t length) override;

    // The record as the model left it.
    const std::vector<uint8_t> &recordBytes() const { return record_; }

private:
    struct Area {
        std::size_t pointerOffset;
        std::vector<uint8_t> bytes;
    };

    std::vector<uint8_t> record_;
    std::vector<Area> areas_;
};

} // namespace velkor_sim::check

#endif
