#include "terminal_session.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <system_error>
#include <unistd.h>

namespace {

[[noreturn]] void fail(const char *call)
{
    throw std::system_error(errno, std::generic_category(), call);
}

// Close-on-exec: a master that the session held open itself would never
// hang its terminal up.
int openMaster()
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0)
        fail("posix_openpt");
    if (grantpt(master) != 0 || unlockpt(master) != 0 || fcntl(master, F_SETFD, FD_CLOEXEC) != 0)
        fail("pseudo-terminal");
    return master;
}

// As a terminal emulator starts its shell: whatever the test was started
// with, such as a script's background job that ignores SIGINT, stays out.
void defaultSignals()
{
    for (int signal = 1; signal < NSIG; ++signal)
        if (signal != SIGKILL && signal != SIGSTOP)
            std::signal(signal, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
}

// In the child. setsid leaves it without a terminal; taking this one as its
// controlling terminal makes its process group the foreground one.
[[noreturn]] void lead(const std::string &terminalName, const std::vector<std::string> &command,
                       const std::string &folder)
{
    std::vector<char *> argv;
    for (const std::string &word : command)
        argv.push_back(const_cast<char *>(word.c_str()));
    argv.push_back(nullptr);
    defaultSignals();
    const int terminal = setsid() < 0 ? -1 : open(terminalName.c_str(), O_RDWR);
    if (terminal < 0 || ioctl(terminal, TIOCSCTTY, 0) != 0 || chdir(folder.c_str()) != 0)
        _exit(126);
    for (int standard = 0; standard < 3; ++standard)
        dup2(terminal, standard);
    if (terminal > 2)
        close(terminal);
    execv(argv[0], argv.data());
    _exit(127);
}

} // namespace

TerminalSession startOnTerminal(const std::vector<std::string> &command, const std::string &folder)
{
    TerminalSession session;
    session.master = openMaster();
    const std::string terminalName = ptsname(session.master);
    session.leader = fork();
    if (session.leader < 0)
        fail("fork");
    if (session.leader == 0)
        lead(terminalName, command, folder);
    return session;
}
