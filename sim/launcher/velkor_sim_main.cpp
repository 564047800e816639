// velkor-sim [--] program [args...]
// Runs a program against one simulated board of four channels, the way
// umockdev-run serves a testbed: this process holds the testbed and answers
// the ioctls, the program reaches it through the inherited preload.
#include "simulated_board.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr const char *kPreload = "libumockdev-preload.so.0";

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
    std::exit(127);
}

int exitStatus(int status)
{
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

int runProgram(char **program)
{
    const pid_t child = fork();
    if (child < 0) {
        std::cerr << "velkor-sim: fork: " << std::strerror(errno) << "\n";
        return 127;
    }
    if (child == 0) {
        execvp(program[0], program);
        std::cerr << "velkor-sim: " << program[0] << ": " << std::strerror(errno) << "\n";
        _exit(127);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return 127;
    }
    return exitStatus(status);
}

} // namespace

int main(int argc, char **argv)
{
    int first = 1;
    if (first < argc && std::string(argv[first]) == "--")
        ++first;
    if (first >= argc) {
        std::cerr << "usage: velkor-sim [--] program [args...]\n";
        return 2;
    }
    if (!underPreload())
        reexecUnderPreload(argv);
    velkor_sim::SimulatedBoard simulated;
    std::cerr << "velkor-sim: testbed at " << simulated.rootDir() << "\n";
    return runProgram(argv + first);
}
