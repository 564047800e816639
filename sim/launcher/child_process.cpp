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
// Known before the handlers run: getsid is not a call for a handler.
volatile sig_atomic_t leadsSession = 0;

sigset_t stopSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (int signal : kStopSignals)
        sigaddset(&set, signal);
    return set;
}

void setStopSignalsHeld(bool held)
{
    const sigset_t set = stopSignals();
    pthread_sigmask(held ? SIG_BLOCK : SIG_UNBLOCK, &set, nullptr);
}

// The kernel sends a terminal's Ctrl-C to its whole foreground process group,
// the program included, as it does the hang-up when the session leader goes;
// passed on as well, it would come twice, and a program may take a second
// Ctrl-C as leave to skip its clean-up. The hang-up itself goes to the session
// leader alone. sudo tells the kernel's signals from the others the same way.
bool reachedTheProgram(int signal, const siginfo_t &info)
{
    return info.si_code == SI_KERNEL && !(signal == SIGHUP && leadsSession);
}

void passOn(int signal, siginfo_t *info, void *)
{
    if (reachedTheProgram(signal, *info))
        return;
    const int callersErrno = errno;
    passedOn = signal;
    kill(child, signal);
    errno = callersErrno;
}

// Taken before the fork: a Ctrl-C that comes later may have reached the
// program's process group already.
sigset_t takeHeldSignals()
{
    const sigset_t stop = stopSignals();
    sigset_t taken;
    sigemptyset(&taken);
    const timespec now {};
    int signal;
    while ((signal = sigtimedwait(&stop, nullptr, &now)) > 0)
        sigaddset(&taken, signal);
    return taken;
}

// A signal that was ignored when the launcher started (nohup, a job of a
// script) stays ignored, by the launcher and by the program alike. One held
// during set-up came before the program existed: nothing else sent it there.
void passStopSignalsOn(const sigset_t &held)
{
    leadsSession = getsid(0) == getpid();
    struct sigaction action {};
    action.sa_sigaction = passOn;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    for (int signal : kStopSignals) {
        struct sigaction previous {};
        sigaction(signal, &action, &previous);
        if (previous.sa_handler == SIG_IGN) {
            sigaction(signal, &previous, nullptr);
        } else if (sigismember(&held, signal)) {
            passedOn = signal;
            kill(child, signal);
        }
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
// came during set-up stays held until the child exists and is then passed on,
// whoever sent it; should it reach the child before its exec, it meets the
// same action there that it would meet in the program.
ProgramEnd runProgram(char **program)
{
    const sigset_t held = takeHeldSignals();
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
    passStopSignalsOn(held);
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
