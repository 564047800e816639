// The caller's memory when the caller lives in the same process: the record
// and the buffers its pointers name are plain addresses.
#ifndef VELKOR_SIM_DIRECT_MEMORY_H
#define VELKOR_SIM_DIRECT_MEMORY_H

#include "board.h"

namespace velkor_sim {

class DirectMemory : public CallerMemory {
public:
    // A null `record` stands for an argument the driver cannot reach.
    explicit DirectMemory(void *record) : record_(static_cast<uint8_t *>(record)) {}

    uint8_t *record(std::size_t size) override;
    uint8_t *follow(std::size_t offset, std::size_t length) override;

private:
    uint8_t *record_;
};

} // namespace velkor_sim

#endif
