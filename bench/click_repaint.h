// How long the terminal keeps a user waiting for a click to show: from the
// press on a row of the viewport to the end of the first paint whose region
// holds that row while the selection model has it selected.
#ifndef CLICK_REPAINT_H
#define CLICK_REPAINT_H

#include <vector>

class PaintTimedApplication;
class QAbstractItemView;

// Scrolls the terminal to its middle and clicks three rows of the page, at a
// quarter, half and three quarters of its height, one after the other; the
// time of each in ms, or -1 for a click that no paint showed within 5 s.
std::vector<double> clickToRepaintMs(QAbstractItemView *terminal, PaintTimedApplication &application);

#endif
