// Fields of the driver's records, read and written at their byte offsets.
// Records cross into the kernel in the machine's byte order (little-endian on
// x86-64) and may sit at any alignment, hence memcpy.
#ifndef VELKOR_SIM_BYTES_H
#define VELKOR_SIM_BYTES_H

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace velkor_sim::bytes {

template <typename T>
T get(const uint8_t *record, std::size_t offset)
{
    T value;
    std::memcpy(&value, record + offset, sizeof value);
    return value;
}

template <typename T>
void put(uint8_t *record, std::size_t offset, T value)
{
    std::memcpy(record + offset, &value, sizeof value);
}

} // namespace velkor_sim::bytes

#endif
