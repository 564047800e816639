// velkor-sim [OPTION]... [--] PROGRAM [ARG]...
// Runs a program against simulated boards, the way umockdev-run serves a
// testbed: this process holds the testbed and answers the ioctls, the program
// reaches it through the inherited preload.
#include "child_process.h"
#include "malloc_tunables.h"
#include "options.h"
#include "simulated_board.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

constexpr const char *kPreload = "libumockdev-preload.so.0";
// Like env(1): 125 when the launcher itself fails, 127 when the program cannot be run.
constexpr int kUsageError = 2;
constexpr int kCannotStart = 125;

// The testbed must be created under the preload, which only takes effect at
// exec; so the launcher re-executes itself once with it.
bool underPreload()
{
    const char *preload = std::getenv("LD_PRELOAD");
    return preload && std::strstr(preload, "libumockdev-preload");
}

[[noreturn]] void reexecUnderPreload(char **argv)
{
    const char *old = std::getenv("LD_PRELOAD");
    const std::string preload = old && *old ? std::string(kPreload) + ":" + old : kPreload;
    setenv("LD_PRELOAD", preload.c_str(), 1);
    execv("/proc/self/exe", argv);
    std::cerr << "velkor-sim: cannot re-execute: " << std::strerror(errno) << "\n";
    std::exit(kCannotStart);
}

// The trace file is opened close-on-exec: the program must not hold it.
std::FILE *openTrace(const std::string &name)
{
    if (name == "-")
        return stderr;
    std::FILE *file = std::fopen(name.c_str(), "we");
    if (!file)
        throw std::runtime_error("--trace " + name + ": " + std::strerror(errno));
    return file;
}

velkor_sim::ProgramEnd serve(const velkor_sim::Options &options)
{
    velkor_sim::holdStopSignals();
    velkor_sim::keepLargeBuffersInTheHeap();
    velkor_sim::SimulatedBoard simulated(options.boards);
    std::FILE *trace = options.trace.empty() ? nullptr : openTrace(options.trace);
    if (trace)
        simulated.traceTo(trace);
    for (unsigned number = 0; number < simulated.boardCount(); ++number) {
        velkor_sim::Board &board = simulated.board(number);
        // Nothing reads the in-memory log here; the trace is this program's log.
        board.setLogKept(false);
        if (options.load)
            board.setBusLoad(*options.load);
        for (const velkor_sim::NamedFault &fault : options.faults)
            velkor_sim::applyFault(board, fault);
    }
    std::cerr << "velkor-sim: testbed at " << simulated.rootDir() << "\n";
    const velkor_sim::ProgramEnd end = velkor_sim::runProgram(options.program);
    if (trace && trace != stderr)
        std::fclose(trace);
    return end;
}

} // namespace

int main(int argc, char **argv)
{
    velkor_sim::Options options;
    try {
        options = velkor_sim::parseOptions(argc, argv);
    } catch (const velkor_sim::UsageError &error) {
        std::cerr << "velkor-sim: " << error.what() << "\n" << velkor_sim::usage();
        return kUsageError;
    }
    if (options.help) {
        std::cout << velkor_sim::usage();
        return 0;
    }
    if (!underPreload())
        reexecUnderPreload(argv);
    try {
        // The testbed goes with serve's frame, before the launcher ends.
        return velkor_sim::endLike(serve(options));
    } catch (const std::exception &error) {
        std::cerr << "velkor-sim: " << error.what() << "\n";
        return kCannotStart;
    }
}
