#include "child_process.h"

#include "stop_signals.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace velkor_sim {

namespace {

constexpr int kCannotRun = 127;

volatile sig_atomic_t child = 0;
volatile sig_atomic_t passedOn = 0;
// Known before the handlers run: getsid is not a call for a handler.
volatile sig_atomic_t leadsSession = 0;

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

// Taken once the child exists, while it holds the stop signals as well: one
// that the kernel sent to both is pending in the child already, and the same
// signal passed on is folded into it there, so it comes once. Taken before
// the fork, one that came between the two would be lost, its sender taken
// for the kernel that signals the program too.
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
// during set-up may have come before the program existed: nothing else sent
// it there. The child waits for it before its exec, or the program could
// have a handler in place by the time it came, and take a Ctrl-C typed before
// it started as one typed while it ran.
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

// In the child, between fork and exec. Not read: the preload's read takes a
// lock that umockdev's thread in the launcher may have held at the fork, and
// the child has no thread to let it go. The launcher's end closes as it
// ends, too, so a launcher killed meanwhile does not leave the child waiting.
void awaitRelease(int released)
{
    pollfd end {released, POLLIN, 0};
    while (poll(&end, 1, -1) < 0 && errno == EINTR) {
    }
}

} // namespace

// The program starts with the stop signals as the launcher found them. One that
// came during set-up stays held until the child exists and is then passed on,
// whoever sent it, while the child still holds it: it meets there the action
// that the program starts with, before the program can change it.
ProgramEnd runProgram(char **program)
{
    // The launcher closes its end once the held signals are in the child.
    int release[2];
    if (pipe2(release, O_CLOEXEC) != 0)
        throw systemError("pipe2");
    const pid_t pid = fork();
    if (pid < 0) {
        const int forkErrno = errno;
        close(release[0]);
        close(release[1]);
        errno = forkErrno;
        throw systemError("fork");
    }
    if (pid == 0) {
        close(release[1]);
        awaitRelease(release[0]);
        setStopSignalsHeld(false);
        execvp(program[0], program);
        std::fprintf(stderr, "velkor-sim: %s: %s\n", program[0], std::strerror(errno));
        _exit(kCannotRun);
    }
    close(release[0]);
    child = pid;
    passStopSignalsOn(takeHeldSignals());
    close(release[1]);
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

void stopProgram()
{
    if (child > 0)
        kill(child, SIGTERM);
}

} // namespace velkor_sim
