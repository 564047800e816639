// The terminal as it was before lines were stored compactly, kept so that the
// benchmark measures both in one run: a plain QListWidgetItem holding each
// line as a QString, and a row delegate that reads every new row back to keep
// the longest line.
#ifndef PREVIOUS_TERMINAL_H
#define PREVIOUS_TERMINAL_H

class MainWindow;
class QListWidget;

void usePreviousTerminal(MainWindow &window, QListWidget *terminal);

#endif
