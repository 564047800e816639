// The simulator's own CPU time while the tool polls a running terminal: run
// it as velkor-sim's program, for example
//   velkor-sim --load max -- build/bench/bench_simulator_load 30
// It sets channel 0 up as remote terminal through the real window, lets the
// window poll for the given seconds and reports velkor-sim's CPU time (its
// parent's) against the wall clock, and its own for comparison.
#include "window_probe.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// User and system time of a process, in seconds, from /proc/PID/stat.
double cpuSeconds(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string field;
    // The command name (field 2) has no spaces here: velkor-sim, bench_...
    for (int i = 1; i < 14; ++i)
        stat >> field;
    long long user = 0, system = 0;
    stat >> user >> system;
    return double(user + system) / sysconf(_SC_CLK_TCK);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 30;
    WindowProbe probe;
    probe.window.show();
    probe.selectChannel(0);
    probe.click("pushButton_initRT");

    const pid_t simulator = getppid();
    const double simulatorBefore = cpuSeconds(simulator);
    const double ownBefore = cpuSeconds(getpid());
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(seconds * 1000, &application, &QApplication::quit);
    application.exec();
    const double elapsed = wall.nsecsElapsed() / 1e9;
    const double simulatorCpu = cpuSeconds(simulator) - simulatorBefore;
    const double ownCpu = cpuSeconds(getpid()) - ownBefore;
    std::printf("%.1f s polling, %d terminal lines\n", elapsed, probe.terminal()->count());
    std::printf("velkor-sim: %.2f s CPU = %.1f%% of one core\n", simulatorCpu, 100 * simulatorCpu / elapsed);
    std::printf("the tool:   %.2f s CPU = %.1f%% of one core\n", ownCpu, 100 * ownCpu / elapsed);
    return 0;
}
