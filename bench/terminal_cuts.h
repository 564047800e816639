// What the terminal's memory ceiling did during a soak: every line the window
// wrote, every removal from the list, and the lines that announced a cut.
// Nothing may go but the oldest lines, and each cut must say how many went.
#ifndef TERMINAL_CUTS_H
#define TERMINAL_CUTS_H

#include <QObject>

class MainWindow;
class QListWidget;

class TerminalCuts : public QObject
{
public:
    TerminalCuts(MainWindow &window, QListWidget *terminal);

    long long written = 0;
    long long removed = 0;
    long long announced = 0;
    int cuts = 0;
    int cutsNotOfTheOldest = 0;
    // As the cuts' notices name it; 0 before the first.
    int ceilingMiB = 0;

    // Every line written is still there or went in a cut that said so.
    bool accountedFor(int lines) const;
};

#endif
