#include "child_process.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace velkor_sim {

namespace {

constexpr int kCannotRun = 127;
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile sig_atomic_t child = 0;
volatile sig_atomic_t passedOn = 0;

void setStopSignalsHeld(bool held)
{
    sigset_t set;
    sigemptyset(&set);
    for (int signal : kStopSignals)
        sigaddset(&set, signal);
    pthread_sigmask(held ? SIG_BLOCK : SIG_UNBLOCK, &set, nullptr);
}

void passOn(int signal)
{
    passedOn = signal;
    kill(child, signal);
}

// A signal that was ignored when the launcher started (nohup, a job of a
// script) stays ignored, by the launcher and by the program alike.
void passStopSignalsOn()
{
    struct sigaction action {};
    action.sa_handler = passOn;
    sigemptyset(&action.sa_mask);
    for (int signal : kStopSignals) {
        struct sigaction previous {};
        sigaction(signal, &action, &previous);
        if (previous.sa_handler == SIG_IGN)
            sigaction(signal, &previous, nullptr);
    }
}

std::runtime_error systemError(const char *call)
{
    return std::runtime_error(std::string(call) + ": " + std::strerror(errno));
}

} // namespace

void holdStopSignals()
{
    setStopSignalsHeld(true);
}

// The program starts with the stop signals as the launcher found them. One that
// came during set-up stays held until the child exists and is then passed on;
// should it reach the child before its exec, it meets the same action there
// that it would meet in the program.
ProgramEnd runProgram(char **program)
{
    const pid_t pid = fork();
    if (pid < 0)
        throw systemError("fork");
    if (pid == 0) {
        setStopSignalsHeld(false);
        execvp(program[0], program);
        std::fprintf(stderr, "velkor-sim: %s: %s\n", program[0], std::strerror(errno));
        _exit(kCannotRun);
    }
    child = pid;
    passStopSignalsOn();
    setStopSignalsHeld(false);
    int status = 0;
    pid_t waited;
    while ((waited = waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
    }
    // What the launcher removes next, it removes undisturbed.
    setStopSignalsHeld(true);
    if (waited < 0 && passedOn)
        return {128 + passedOn, 0};
    if (waited < 0)
        throw systemError("waitpid");
    if (WIFSIGNALED(status))
        return {0, WTERMSIG(status)};
    return {WEXITSTATUS(status), 0};
}

} // namespace velkor_sim
