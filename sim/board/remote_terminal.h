// A remote terminal's side of a message: it keeps what it receives and sends
// from its transmit buffer 0.
#ifndef VELKOR_SIM_REMOTE_TERMINAL_H
#define VELKOR_SIM_REMOTE_TERMINAL_H

#include "channel_state.h"
#include "transaction.h"

#include <vector>

namespace velkor_sim {

// The data words the terminal puts on the bus in answer to `message`
// (none for a receive command, whose words it stores).
std::vector<uint16_t> answer(ChannelSettings &terminal, const Message &message);

} // namespace velkor_sim

#endif
