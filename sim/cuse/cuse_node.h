// One channel node served through the kernel's CUSE: a session of its own
// on a /dev/cuse descriptor of its own, run by a thread of its own. libfuse's
// cuse_lowlevel_setup is not used: it takes the process's signals for its
// one session.
#ifndef VELKOR_SIM_CUSE_NODE_H
#define VELKOR_SIM_CUSE_NODE_H

#include "board.h"

#include <memory>
#include <string>

namespace velkor_sim {

struct CuseSession;
class TraceWriter;

class CuseNode {
public:
    // The node /dev/NAME answers for channel `channel` of `board`; the trace
    // (null for none) gets its opens. `device`, an open /dev/cuse, is the
    // node's own from now on. Throws std::runtime_error, saying why, when the
    // session cannot be made.
    CuseNode(Board &board, unsigned channel, const std::string &name, TraceWriter *trace,
             int device);
    // Ends the session and closes the device: the kernel removes the node,
    // and a caller still in a command of it gets an error.
    ~CuseNode();
    CuseNode(const CuseNode &) = delete;
    CuseNode &operator=(const CuseNode &) = delete;

    // Waits until the kernel has made the node; false when it would not.
    // Call it once.
    bool waitUntilServed();

    // A descriptor of /dev/cuse. Throws std::runtime_error, with the hint.
    static int openCuse();

private:
    std::unique_ptr<CuseSession> session_;
};

} // namespace velkor_sim

#endif
