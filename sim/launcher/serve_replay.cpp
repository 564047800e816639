#include "serve_replay.h"

#include "board_options.h"
#include "child_process.h"
#include "malloc_tunables.h"
#include "program_end.h"
#include "replayed_nodes.h"
#include "stop_signals.h"

#include <atomic>
#include <cstdio>
#include <iostream>
#include <memory>

namespace velkor_sim {

namespace {

constexpr int kUnreadable = 2;

std::unique_ptr<replay::Replay> readReplay(const std::string &path)
{
    try {
        return std::make_unique<replay::Replay>(recording::readRecording(path));
    } catch (const recording::FormatError &error) {
        const std::string where = error.line ? path + ":" + std::to_string(error.line) : path;
        std::cerr << "velkor-sim: " << where << ": " << error.what() << "\n";
        return nullptr;
    }
}

void say(const std::string &message)
{
    std::fputs(("velkor-sim: replay: " + message + "\n").c_str(), stderr);
}

// Under --replay-strict only the first departure is told: the program,
// stopped, may still make calls before it ends.
ReplaySettings settingsFor(const Options &options, std::atomic<bool> &stopped)
{
    ReplaySettings settings;
    settings.recordedTiming = options.replayRecordedTiming;
    settings.onDeparture = [strict = options.replayStrict, &stopped](const std::string &departure) {
        if (!strict) {
            say(departure);
        } else if (!stopped.exchange(true)) {
            say(departure);
            stopProgram();
        }
    };
    return settings;
}

ProgramEnd runAgainst(replay::Replay &replay, const Options &options, std::atomic<bool> &stopped)
{
    holdStopSignals();
    keepLargeBuffersInTheHeap();
    SimulatedBoard testbed(0);
    std::FILE *trace = options.trace.empty() ? nullptr : openTrace(options.trace);
    if (trace)
        testbed.traceTo(trace);
    serveRecording(testbed, replay, settingsFor(options, stopped));
    std::cerr << "velkor-sim: testbed at " << testbed.rootDir() << "\n";
    const ProgramEnd end = runProgram(options.program);
    if (trace && trace != stderr)
        std::fclose(trace);
    return end;
}

} // namespace

int serveReplay(const Options &options)
{
    const std::unique_ptr<replay::Replay> replay = readReplay(options.replay);
    if (!replay)
        return kUnreadable;
    std::atomic<bool> stopped{false};
    // The testbed goes with runAgainst's frame, before the launcher ends.
    const ProgramEnd end = runAgainst(*replay, options, stopped);
    const std::string leftovers = stopped ? std::string() : replay->leftovers();
    if (!leftovers.empty())
        say(leftovers);
    if (replay->departed() || !leftovers.empty())
        return kReplayDeparted;
    return endLike(end);
}

} // namespace velkor_sim
