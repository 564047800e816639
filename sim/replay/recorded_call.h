// One call held against the ioctl recorded for it: the same bytes in, and
// then the recorded bytes out.
#ifndef VELKOR_SIM_RECORDED_CALL_H
#define VELKOR_SIM_RECORDED_CALL_H

#include "board.h"
#include "recording.h"

#include <optional>
#include <string>

namespace velkor_sim::replay {

// For a call of the recorded request: when its record (pointer fields aside)
// and its in buffers hold the recorded bytes and its out buffers have room
// for the recorded ones, writes the recorded record and out buffers back,
// keeping the caller's pointers, and gives nullopt. Otherwise writes nothing
// and says where the call first departs: "in byte 4: expected 0x01, got 0x02".
std::optional<std::string> answerAsRecorded(const recording::Event &recorded,
                                            unsigned long request, CallerMemory &memory);

} // namespace velkor_sim::replay

#endif
