// Serves a Board to the program through libumockdev-preload: each channel node
// is a FIFO in the testbed's dev/ whose ioctls reach the model. The process
// must run under LD_PRELOAD=libumockdev-preload.so.0. No umockdev or GLib
// types appear here, so Qt code may include this header.
#ifndef VELKOR_SIM_SIMULATED_BOARD_H
#define VELKOR_SIM_SIMULATED_BOARD_H

#include "board.h"
#include "node_commands.h"

#include <cstdio>
#include <memory>
#include <string>

namespace velkor_sim {

class SimulatedBoard {
public:
    // A testbed with `boards` boards of four channels each:
    // /dev/mil1553dev-B-ch-C for B = 0 … boards - 1, C = 0 … 3. With none,
    // its dev/ holds only the entries added.
    explicit SimulatedBoard(unsigned boards = 1);
    ~SimulatedBoard();
    SimulatedBoard(const SimulatedBoard &) = delete;
    SimulatedBoard &operator=(const SimulatedBoard &) = delete;

    Board &board(unsigned number = 0);
    unsigned boardCount() const;
    std::string rootDir() const;

    // Writes every open and every command of every board to `file`, line by
    // line. Set before the program starts; the file stays the caller's.
    void traceTo(std::FILE *file);

    // Entries of the testbed's dev/, by name ("mil1553dev-12-ch-0"); nodes
    // added here reach board 0.
    void addNode(const std::string &name, unsigned channel);
    // A node that `commands` answers in place of a board.
    void addNode(const std::string &name, std::unique_ptr<NodeCommands> commands);
    void addRegularFile(const std::string &name);
    void addFolder(const std::string &name);
    void removeEntry(const std::string &name);
    // Keeps the node listed but makes every open of it fail.
    void makeOpenFail(const std::string &name);

private:
    void addNode(const std::string &name, Board &board, unsigned channel);

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace velkor_sim

#endif
