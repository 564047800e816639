#include "cuse_boards.h"

#include "cuse_node.h"
#include "trace_writer.h"

#include <stdexcept>

namespace velkor_sim {

CuseBoards::CuseBoards(unsigned boards)
{
    for (unsigned number = 0; number < boards; ++number)
        boards_.push_back(std::make_unique<Board>(number));
}

CuseBoards::~CuseBoards() = default;

Board &CuseBoards::board(unsigned number)
{
    return *boards_.at(number);
}

unsigned CuseBoards::boardCount() const
{
    return static_cast<unsigned>(boards_.size());
}

void CuseBoards::traceTo(std::FILE *file)
{
    trace_ = std::make_unique<TraceWriter>(file);
    for (unsigned number = 0; number < boards_.size(); ++number) {
        traceLines_.push_back(std::make_unique<BoardTraceLines>(*trace_, number));
        boards_[number]->setTrace(traceLines_.back().get());
    }
}

// All sessions start before any is waited for: the kernel makes the nodes
// side by side.
void CuseBoards::serve()
{
    for (unsigned number = 0; number < boards_.size(); ++number) {
        for (unsigned channel = 0; channel < Board::kChannels; ++channel)
            nodes_.push_back(std::make_unique<CuseNode>(*boards_[number], channel,
                                                        nodeName(number, channel), trace_.get(),
                                                        CuseNode::openCuse()));
    }
    const std::vector<std::string> paths = nodePaths();
    for (std::size_t node = 0; node < nodes_.size(); ++node) {
        if (!nodes_[node]->waitUntilServed())
            throw std::runtime_error("the kernel did not make " + paths[node] +
                                     " (is it served already?)");
    }
}

std::vector<std::string> CuseBoards::nodePaths() const
{
    std::vector<std::string> paths;
    for (unsigned number = 0; number < boards_.size(); ++number) {
        for (unsigned channel = 0; channel < Board::kChannels; ++channel)
            paths.push_back("/dev/" + nodeName(number, channel));
    }
    return paths;
}

} // namespace velkor_sim
