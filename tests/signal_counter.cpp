// signal_counter LOG: the program that velkor-sim's signal tests run. It
// writes its pid to LOG once its handlers are in place, then a line for each
// SIGINT or SIGHUP it takes, and exits 0 on SIGUSR1, or dies of SIGALRM after
// a minute should no test be left to send it. Each signal is noted by its own
// handler call: a shell's trap would fold two that came close together.
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

namespace {

int logFile = -1;
volatile sig_atomic_t ended = 0;

void note(int signal)
{
    const char *line = signal == SIGINT ? "INT\n" : "HUP\n";
    if (write(logFile, line, 4) != 4)
        _exit(1);
}

void end(int)
{
    ended = 1;
}

void handle(int signal, void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Usage: signal_counter LOG\n");
        return 2;
    }
    logFile = open(argv[1], O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (logFile < 0) {
        std::perror(argv[1]);
        return 1;
    }
    // Taken only while it waits, so that a signal finds it asleep or handled.
    sigset_t taken;
    sigset_t waiting;
    sigemptyset(&taken);
    for (int signal : {SIGINT, SIGHUP, SIGUSR1})
        sigaddset(&taken, signal);
    sigprocmask(SIG_BLOCK, &taken, &waiting);
    handle(SIGINT, note);
    handle(SIGHUP, note);
    handle(SIGUSR1, end);
    alarm(60);
    dprintf(logFile, "%d\n", getpid());
    while (!ended)
        sigsuspend(&waiting);
    return 0;
}
