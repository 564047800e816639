// How the replay's messages name commands and events.
#ifndef VELKOR_SIM_REPLAY_TEXT_H
#define VELKOR_SIM_REPLAY_TEXT_H

#include "recording.h"

#include <cstddef>
#include <string>

namespace velkor_sim::replay {

// "IOCTL_READ_REG (0xc0106202)"; the hex alone for a code of no command.
std::string commandText(unsigned long request);

// "event 4", numbered from 1 over all the file's events, as `index` + 1.
std::string eventNumber(std::size_t index);

// The event's line in the file, cut short after `kShownLine` characters:
// out buffers run to megabytes.
constexpr std::size_t kShownLine = 160;
std::string shownLine(const recording::Event &event);

} // namespace velkor_sim::replay

#endif
