// The live trace: one line per open and per command, each written out as it
// happens so that `tail -f` follows the program's driver traffic.
#ifndef VELKOR_SIM_TRACE_WRITER_H
#define VELKOR_SIM_TRACE_WRITER_H

#include "board.h"

#include <cstdio>
#include <mutex>
#include <string>

namespace velkor_sim {

class TraceWriter {
public:
    explicit TraceWriter(std::FILE *file) : file_(file) {}

    // "hh:mm:ss.uuuuuu <node> <what>", local time. Boards answer on their own
    // locks, so the lines are put together under this one.
    void write(const std::string &node, const std::string &what);

private:
    std::mutex mutex_;
    std::FILE *file_;
};

// One board's events in the trace, named by the board's nodes.
class BoardTraceLines : public BoardTrace {
public:
    BoardTraceLines(TraceWriter &writer, unsigned boardNumber)
        : writer_(writer), board_(boardNumber) {}

    // "IOCTL_READ_REG daddr=0x2000 = 0", or the error's name instead of 0.
    void command(unsigned channel, const std::string &text, const Reply &reply) override;
    void busAtLimit(uint32_t messagesPerSecond) override;

private:
    TraceWriter &writer_;
    unsigned board_;
};

std::string nodeName(unsigned board, unsigned channel);

// "0", or the error's name.
std::string outcome(const Reply &reply);

} // namespace velkor_sim

#endif
