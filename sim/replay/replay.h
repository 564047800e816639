// A recording played back: each node answers its ioctls as the recorded
// driver did, in the order it answered them, and says where a call departs.
#ifndef VELKOR_SIM_REPLAY_H
#define VELKOR_SIM_REPLAY_H

#include "board.h"
#include "recording.h"

#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace velkor_sim::replay {

class Replay {
public:
    // Throws recording::FormatError, line 0, for a node name that cannot be an
    // entry of /dev.
    explicit Replay(std::vector<recording::Event> events);

    // The nodes the recording names, in the order they first appear.
    const std::vector<std::string> &nodes() const { return order_; }
    // True when the node was opened and every open failed.
    bool opensFail(const std::string &node) const;

    struct Answer {
        Reply reply;
        uint64_t durationMicros = 0;
        // Empty when the call is the recorded one; else the message saying
        // where it departs, its lines after the first indented.
        std::string departure;
    };
    // One ioctl on `node`. Thread-safe. A call that departs fails with
    // ENOMSG and leaves the node waiting for the same event; one past the
    // node's last event fails with ENOENT.
    Answer command(const std::string &node, unsigned long request, CallerMemory &memory);

    // True once a call has departed.
    bool departed() const;
    // What the program left unanswered: how many and the first; "" for none.
    std::string leftovers() const;

private:
    struct NodeEvents {
        std::vector<std::size_t> ioctls;  // into events_
        std::size_t next = 0;
    };

    // `difference` is empty when the request itself is another.
    std::string departureAt(const std::string &node, const NodeEvents &events,
                            unsigned long request, const std::string &difference) const;
    std::string pastTheEnd(const std::string &node, const NodeEvents &events,
                           unsigned long request) const;
    std::string lastMatched(const NodeEvents &events) const;

    std::vector<recording::Event> events_;
    std::vector<std::string> order_;
    std::map<std::string, NodeEvents> nodes_;
    mutable std::mutex mutex_;
    bool departed_ = false;
};

} // namespace velkor_sim::replay

#endif
