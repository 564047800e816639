#include "board_options.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace velkor_sim {

void applyOptions(Board &board, const Options &options)
{
    board.setLogKept(false);
    if (options.load)
        board.setBusLoad(*options.load);
    for (const NamedFault &fault : options.faults)
        applyFault(board, fault);
}

std::FILE *openTrace(const std::string &name)
{
    if (name == "-")
        return stderr;
    std::FILE *file = std::fopen(name.c_str(), "we");
    if (!file)
        throw std::runtime_error("--trace " + name + ": " + std::strerror(errno));
    return file;
}

} // namespace velkor_sim
