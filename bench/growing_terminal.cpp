#include "growing_terminal.h"

#include "delivery_clock.h"
#include "event_loop.h"
#include "resident_memory.h"
#include "tick_scenario.h"

#include <QElapsedTimer>
#include <QStringView>

#include <algorithm>
#include <malloc.h>

namespace {

const QString ceilingNotice = "Терминал достиг предела памяти (";

// Freed memory goes back to the system first, so that only what the lines
// still hold is counted.
double trimmedResidentBytes()
{
    malloc_trim(0);
    return double(residentBytes());
}

// The tick that lands on a size writes the fixed lines and a line and a half a block.
unsigned blocksForLines(int lines)
{
    return unsigned(2 * (lines - linesOfTick(0)) + 1) / 3;
}

} // namespace

GrowingTerminal::GrowingTerminal(velkor_sim::Board &board) : board_(board)
{
    QObject::connect(probe_.terminal()->model(), &QAbstractItemModel::rowsAboutToBeRemoved, &probe_.window,
                     [this](const QModelIndex &, int first) {
                         if (!clearing_ && first == 0)
                             noteCut(lines());
                     });
    probe_.window.show();
    probe_.selectChannel(0);
    probe_.click("pushButton_startDriverTest");
    // Fonts, caches and the buffers of a full tick are not the lines' cost.
    // The empty terminal is then one that Clear emptied: its tick finds
    // the memory that the cleared lines left, as a user's after Clear does.
    for (int pass = 0; pass < 2; ++pass) {
        tick(tickBlocks);
        runUntilIdle();
        clear();
        if (pass == 0)
            baselineBytes_ = trimmedResidentBytes();
    }
}

GrowthFigures GrowingTerminal::growTo(int lines)
{
    GrowthFigures growth;
    const int cutsBefore = cuts_;
    QElapsedTimer wall;
    wall.start();
    const auto grow = [&](unsigned blocks) {
        tick(blocks);
        const LoopTimes loop = runUntilIdle();
        ++growth.ticks;
        growth.slowPasses += loop.slowPasses;
        growth.longestPassMs = std::max(growth.longestPassMs, loop.longestPassMs);
    };
    while (cuts_ == cutsBefore && this->lines() + linesOfTick(tickBlocks) <= lines)
        grow(tickBlocks);
    if (cuts_ == cutsBefore && lines - this->lines() > linesOfTick(0))
        grow(blocksForLines(lines - this->lines()));
    growth.seconds = wall.nsecsElapsed() / 1e9;
    growth.cuts = cuts_ - cutsBefore;
    return growth;
}

// The memory is counted by the caller after the ticks, so that giving freed
// pages back does not make a timed tick fault them in again.
TickFigures GrowingTerminal::timedTick(unsigned blocks)
{
    TickFigures figures;
    figures.lines = lines();
    const int cutsBefore = cuts_;
    resetDeliveryClock();
    figures.callMs = tick(blocks);
    figures.deliveryMs = deliveryMs();
    const LoopTimes loop = runUntilIdle();
    figures.loopMs = loop.totalMs;
    figures.longestPassMs = loop.longestPassMs;
    figures.slowPasses = loop.slowPasses;
    figures.cuts = cuts_ - cutsBefore;
    return figures;
}

void GrowingTerminal::clear()
{
    clearing_ = true;
    probe_.click("pushButtonClear");
    clearing_ = false;
    runUntilIdle();
}

double GrowingTerminal::bytesPerLine() const
{
    return (trimmedResidentBytes() - baselineBytes_) / std::max(lines(), 1);
}

double GrowingTerminal::tick(unsigned blocks)
{
    queueSaturatedBus(board_, blocks);
    const int cutsBefore = cuts_;
    QElapsedTimer call;
    call.start();
    probe_.invoke("slot_timerDMA");
    const double ms = call.nsecsElapsed() / 1e6;
    highest_ = std::max(highest_, lines());
    if (cuts_ > cutsBefore && ceilingMiB_ < 0)
        noteNotice(std::max(0, lines() - linesOfTick(blocks) - 1));
    return ms;
}

void GrowingTerminal::noteCut(int linesBefore)
{
    ++cuts_;
    highest_ = std::max(highest_, linesBefore);
}

// The notice is written among the tick's lines, before the one that met the
// ceiling: the search starts at the tick's first line.
void GrowingTerminal::noteNotice(int fromRow)
{
    const QAbstractItemModel *model = probe_.terminal()->model();
    for (int row = fromRow; row < model->rowCount(); ++row) {
        const QString line = model->index(row, 0).data().toString();
        const int at = line.indexOf(ceilingNotice);
        if (at >= 0) {
            const int number = at + ceilingNotice.size();
            ceilingMiB_ = QStringView(line).mid(number, line.indexOf(' ', number) - number).toInt();
            return;
        }
    }
}
