// One shown window on channel 0 whose terminal grows by real ticks of the
// saturated bus, as a user's does, until its memory ceiling cuts the oldest
// lines: from then on it grows no more.
#ifndef GROWING_TERMINAL_H
#define GROWING_TERMINAL_H

#include "grow_report.h"
#include "window_probe.h"

namespace velkor_sim {
class Board;
}

class GrowingTerminal
{
public:
    explicit GrowingTerminal(velkor_sim::Board &board);

    // Full ticks while they fit, then one smaller tick to land on the size;
    // the first cut ends the growth.
    GrowthFigures growTo(int lines);
    TickFigures timedTick(unsigned blocks);
    // As a user clears it, with the window's button.
    void clear();

    // Resident memory after malloc_trim, less that of the window before its first line.
    double bytesPerLine() const;

    int lines() const { return probe_.terminal()->model()->rowCount(); }
    int highestLines() const { return highest_; }
    int cuts() const { return cuts_; }
    // As the first cut's notice named it; -1 without a notice.
    int ceilingMiB() const { return ceilingMiB_; }
    QAbstractItemView *view() const { return probe_.terminal(); }

private:
    double tick(unsigned blocks);
    void noteCut(int linesBefore);
    void noteNotice(int fromRow);

    velkor_sim::Board &board_;
    WindowProbe probe_;
    double baselineBytes_ = 0;
    bool clearing_ = false;
    int highest_ = 0;
    int cuts_ = 0;
    int ceilingMiB_ = -1;
};

#endif
