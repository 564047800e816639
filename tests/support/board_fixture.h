// One simulated board per test process: the umockdev testbed must exist before
// the first open, and every test starts from a quiet board with an empty log.
#ifndef BOARD_FIXTURE_H
#define BOARD_FIXTURE_H

#include "simulated_board.h"

#include <QStringList>

struct BoardFixture {
    static velkor_sim::SimulatedBoard &simulated()
    {
        static velkor_sim::SimulatedBoard board;
        return board;
    }

    static velkor_sim::Board &board() { return simulated().board(); }

    // The bus runs only when a test asks, so that traffic never depends on timing.
    static void reset()
    {
        board().reset();
        board().setBusAutoRun(false);
    }

    static QStringList log()
    {
        QStringList lines;
        for (const std::string &line : board().log())
            lines.append(QString::fromStdString(line));
        return lines;
    }
};

#endif
