// A command run as a terminal emulator runs its shell: the leader of a new
// session whose controlling terminal is a fresh pseudo-terminal, its process
// group the terminal's foreground one. Plain POSIX, for tests of processes.
#ifndef VELKOR_TESTS_TERMINAL_SESSION_H
#define VELKOR_TESTS_TERMINAL_SESSION_H

#include <string>
#include <sys/types.h>
#include <vector>

struct TerminalSession {
    pid_t leader = -1;
    // What the user types is written here; closing it hangs the terminal up.
    int master = -1;
};

// Runs `command` (its first word a path) in `folder`. Throws
// std::system_error when the terminal or the process cannot be made.
TerminalSession startOnTerminal(const std::vector<std::string> &command, const std::string &folder);

#endif
