// After a tick the view places the new rows and repaints in event-loop
// passes; the window answers only between passes.
#ifndef EVENT_LOOP_H
#define EVENT_LOOP_H

// A pass longer than a frame at 60 Hz is one a user sees the window stall in.
constexpr double frameMs = 16;

struct LoopTimes {
    double totalMs = 0;
    double longestPassMs = 0;
    int slowPasses = 0; // longer than a frame
};

// Runs passes until three in a row find nothing to do.
LoopTimes runUntilIdle();

#endif
