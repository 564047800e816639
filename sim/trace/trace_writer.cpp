#include "trace_writer.h"

#include <cstring>
#include <ctime>

namespace velkor_sim {

namespace {

std::string timeStamp()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    char text[32];
    const std::size_t length = std::strftime(text, sizeof text, "%H:%M:%S", &local);
    std::snprintf(text + length, sizeof text - length, ".%06ld", now.tv_nsec / 1000);
    return text;
}

} // namespace

std::string outcome(const Reply &reply)
{
    if (reply.result == 0)
        return "0";
    const char *name = strerrorname_np(reply.error);
    return name ? name : std::to_string(reply.error);
}

std::string nodeName(unsigned board, unsigned channel)
{
    return "mil1553dev-" + std::to_string(board) + "-ch-" + std::to_string(channel);
}

void TraceWriter::write(const std::string &node, const std::string &what)
{
    const std::string line = timeStamp() + " " + node + " " + what + "\n";
    std::lock_guard<std::mutex> lock(mutex_);
    std::fputs(line.c_str(), file_);
    std::fflush(file_);
}

void BoardTraceLines::command(unsigned channel, const std::string &text, const Reply &reply)
{
    writer_.write(nodeName(board_, channel), text + " = " + outcome(reply));
}

void BoardTraceLines::busAtLimit(uint32_t messagesPerSecond)
{
    writer_.write("mil1553dev-" + std::to_string(board_),
                  "bus at its limit: these messages allow " +
                      std::to_string(messagesPerSecond) + " a second");
}

} // namespace velkor_sim
