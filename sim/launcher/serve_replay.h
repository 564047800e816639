// velkor-sim --replay FILE: the program runs against the nodes of a
// recording, each answering as the recorded driver did (replay::Replay).
#ifndef VELKOR_SIM_SERVE_REPLAY_H
#define VELKOR_SIM_SERVE_REPLAY_H

#include "options.h"

namespace velkor_sim {

// Exit status 3 once a call has departed or the program left recorded calls
// unanswered; 2 for a file that cannot be read, before the program starts.
constexpr int kReplayDeparted = 3;

// Gives the exit status, or ends the launcher as the program ended (endLike).
// Throws std::runtime_error when the testbed cannot be made.
int serveReplay(const Options &options);

} // namespace velkor_sim

#endif
