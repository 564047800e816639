// The decoded form of a command's record, as it appears in the board's log.
#ifndef VELKOR_SIM_DESCRIBE_H
#define VELKOR_SIM_DESCRIBE_H

#include "board.h"

#include <optional>
#include <string>

namespace velkor_sim {

// The fields of `record` after the command's name ("" when the command sends
// nothing worth showing); nullopt when a pointer in the record cannot be followed.
std::optional<std::string> describe(unsigned long request, const uint8_t *record,
                                    CallerMemory &memory);

std::string hex(uint64_t value);

} // namespace velkor_sim

#endif
