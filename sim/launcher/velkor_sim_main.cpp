// velkor-sim [OPTION]... [--] PROGRAM [ARG]...
// Runs a program against simulated boards, the way umockdev-run serves a
// testbed: this process holds the testbed and answers the ioctls, the program
// reaches it through the inherited preload. With --cuse it serves them as
// real character devices instead (serve_cuse); with --replay it serves a
// recording's nodes in place of boards (serve_replay); with --check it sends
// a recording's commands to boards of its own and compares (run_check).
#include "board_options.h"
#include "child_process.h"
#include "malloc_tunables.h"
#include "options.h"
#include "run_check.h"
#include "serve_cuse.h"
#include "serve_replay.h"
#include "simulated_board.h"
#include "stop_signals.h"

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

velkor_sim::ProgramEnd serve(const velkor_sim::Options &options)
{
    velkor_sim::holdStopSignals();
    velkor_sim::keepLargeBuffersInTheHeap();
    velkor_sim::SimulatedBoard simulated(options.boards);
    std::FILE *trace = options.trace.empty() ? nullptr : velkor_sim::openTrace(options.trace);
    if (trace)
        simulated.traceTo(trace);
    for (unsigned number = 0; number < simulated.boardCount(); ++number)
        velkor_sim::applyOptions(simulated.board(number), options);
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
    if (!options.check.empty())
        return velkor_sim::runCheck(options);
    if (!options.cuse && !underPreload())
        reexecUnderPreload(argv);
    try {
        if (options.cuse)
            return velkor_sim::serveCuse(options);
        if (!options.replay.empty())
            return velkor_sim::serveReplay(options);
        // The testbed goes with serve's frame, before the launcher ends.
        return velkor_sim::endLike(serve(options));
    } catch (const std::exception &error) {
        std::cerr << "velkor-sim: " << error.what() << "\n";
        return kCannotStart;
    }
}
