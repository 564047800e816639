// The bytes of a record that carry nothing across the driver boundary: the
// alignment gaps, the fields the driver fills without reading them first,
// and the whole record of a command that only reads from the driver. The
// caller leaves them as its memory happened to be, so a recording writes
// them as zeros, as it does pointers, and a replay holds no caller to them.
#ifndef VELKOR_SIM_UNSENT_BYTES_H
#define VELKOR_SIM_UNSENT_BYTES_H

#include <cstdint>

namespace velkor_sim {

// Zeroes the pointers and the bytes that the driver does not read in the
// record of `request` as the caller sent it.
void zeroUnsentBytes(unsigned long request, uint8_t *record);
// Zeroes the pointers and the gaps in the record as the driver gave it back.
void zeroUnfilledBytes(unsigned long request, uint8_t *record);

} // namespace velkor_sim

#endif
