// A channel driver inside the fuzz executable: it answers the polling commands
// on the window's descriptor from a script of bytes, so that a fuzz input
// decides every answer the tool gets from its driver.
//
// Script, one answer per command in the order the tool sends them:
//  - a status byte: odd fails the command (-1, errno EIO), even lets it succeed;
//  - a successful count query: a 32-bit little-endian count;
//  - a successful read: a 32-bit count written back into the record, then the
//    entries (16 bytes each) or DMA blocks (128 bytes each) it delivers.
// A read delivers min(written-back count, capacity of the buffer the tool
// gave): the driver may lie in the count but never writes past the buffer.
// Past its end the script reads as zero bytes: success, empty queues.
#ifndef FAKE_DRIVER_H
#define FAKE_DRIVER_H

#include <cstddef>
#include <cstdint>

namespace fake_driver {

// The window polls the descriptor it holds before any channel is opened.
constexpr int kChannelDescriptor = -1;

void load(const uint8_t *script, size_t size);
bool exhausted();
// Harnesses take their own choices from the same stream as the answers.
uint8_t takeByte();

} // namespace fake_driver

#endif
