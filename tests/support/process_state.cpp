#include "process_state.h"

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

namespace {

bool startsWith(const std::string &line, const char *name)
{
    return line.rfind(name, 0) == 0;
}

std::uint64_t signalSet(const std::string &line)
{
    return std::stoull(line.substr(line.find(':') + 1), nullptr, 16);
}

} // namespace

ProcessState stateOf(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    ProcessState state;
    for (std::string line; std::getline(status, line);) {
        if (startsWith(line, "State:"))
            state.asleep = line.find("S (sleeping)") != std::string::npos;
        else if (startsWith(line, "SigBlk:"))
            state.blocked = signalSet(line);
        else if (startsWith(line, "SigPnd:") || startsWith(line, "ShdPnd:"))
            state.pending |= signalSet(line);
    }
    return state;
}

bool includes(std::uint64_t signals, int signal)
{
    return (signals >> (signal - 1)) & 1;
}

bool eventually(const std::function<bool()> &condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

bool waitUntilSettled(pid_t pid)
{
    return eventually([pid] {
        const ProcessState state = stateOf(pid);
        return state.asleep && !state.pending;
    });
}
