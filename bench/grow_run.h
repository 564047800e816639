// One terminal grown in this process: three ticks, each after a Clear, then
// at each size three consecutive ticks and the memory a line, until the
// memory ceiling cuts; last, three clicks at the largest size. Reports each
// figure as it comes, as grow_report.h says.
#ifndef GROW_RUN_H
#define GROW_RUN_H

#include <vector>

class GrowingTerminal;
class PaintTimedApplication;

void runGrowth(GrowingTerminal &terminal, const std::vector<int> &sizes, PaintTimedApplication &application);

#endif
