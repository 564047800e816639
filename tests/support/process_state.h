// Another process's state, as /proc shows it, for tests of signals.
#ifndef VELKOR_TESTS_PROCESS_STATE_H
#define VELKOR_TESTS_PROCESS_STATE_H

#include <cstdint>
#include <functional>
#include <sys/types.h>

// Of its main thread; signal N is bit N - 1 of a set.
struct ProcessState {
    bool asleep = false;
    std::uint64_t blocked = 0;
    // Sent to the thread or to the process, and not taken yet.
    std::uint64_t pending = 0;
};

// All false and empty when there is no such process.
ProcessState stateOf(pid_t pid);

bool includes(std::uint64_t signals, int signal);

// Polls `condition` until it holds, for up to 20 s; false if it never did.
bool eventually(const std::function<bool()> &condition);

// Until the process sleeps with no signal waiting: it has handled what it was
// sent, and sent on whatever its handlers send. False if it does not come to
// that, or has ended.
bool waitUntilSettled(pid_t pid);

#endif
