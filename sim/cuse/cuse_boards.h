// Serves boards as real character devices through the kernel's CUSE, so
// that any program finds /dev/mil1553dev-B-ch-C without a preload, and the
// udev rule gives the nodes their group and their seat user as it would the
// driver's. Needs /dev/cuse, which only root may open. No fuse types here.
#ifndef VELKOR_SIM_CUSE_BOARDS_H
#define VELKOR_SIM_CUSE_BOARDS_H

#include "board.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace velkor_sim {

class BoardTraceLines;
class CuseNode;
class TraceWriter;

class CuseBoards {
public:
    // `boards` boards of four channels each, not served yet.
    explicit CuseBoards(unsigned boards);
    // Ends every node's session; the kernel removes the nodes.
    ~CuseBoards();
    CuseBoards(const CuseBoards &) = delete;
    CuseBoards &operator=(const CuseBoards &) = delete;

    Board &board(unsigned number);
    unsigned boardCount() const;

    // Writes every open and every command of every board to `file`, line by
    // line. Set before serve(); the file stays the caller's.
    void traceTo(std::FILE *file);

    // Makes a node of every channel, /dev/mil1553dev-B-ch-C, and returns once
    // the kernel has made them all. Programs may open them from then on, so
    // the boards get their settings before. Throws std::runtime_error, saying
    // why, when a node cannot be made.
    void serve();

    // The nodes' paths, board by board, channel by channel.
    std::vector<std::string> nodePaths() const;

private:
    std::unique_ptr<TraceWriter> trace_;
    std::vector<std::unique_ptr<BoardTraceLines>> traceLines_;
    std::vector<std::unique_ptr<Board>> boards_;
    // Last: the nodes' sessions reach the boards and the trace until they end.
    std::vector<std::unique_ptr<CuseNode>> nodes_;
};

} // namespace velkor_sim

#endif
