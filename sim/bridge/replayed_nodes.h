// The nodes of a recording served on a testbed, each answered by the replay.
#ifndef VELKOR_SIM_REPLAYED_NODES_H
#define VELKOR_SIM_REPLAYED_NODES_H

#include "replay.h"
#include "simulated_board.h"

#include <functional>
#include <string>

namespace velkor_sim {

struct ReplaySettings {
    // Each answer waits the call's recorded duration; else it comes at once.
    bool recordedTiming = false;
    // Told of each call that departs, on umockdev's thread.
    std::function<void(const std::string &departure)> onDeparture;
};

// Adds every node that `replay` names to `testbed`; a node whose recorded
// opens all failed fails its opens. `replay` must outlive the testbed.
void serveRecording(SimulatedBoard &testbed, replay::Replay &replay, const ReplaySettings &settings);

} // namespace velkor_sim

#endif
