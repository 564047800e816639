#include "terminal_cuts.h"

#include "main_window.h"

#include <QListWidget>

namespace {

const QString cutAnnouncement = "удалены самые старые строки: ";
const QString ceilingOpening = "Терминал достиг предела памяти (";

} // namespace

TerminalCuts::TerminalCuts(MainWindow &window, QListWidget *terminal) : QObject(terminal)
{
    // Connected after the window's own writer, so each line is in the list by now.
    connect(&window, &MainWindow::signal_writeInTerminal, this, [this](const QString &text) {
        ++written;
        const int at = text.indexOf(cutAnnouncement);
        if (at < 0)
            return;
        announced += QStringView(text).mid(at + cutAnnouncement.size()).toLongLong();
        const int ceiling = text.indexOf(ceilingOpening) + ceilingOpening.size();
        ceilingMiB = QStringView(text).mid(ceiling, text.indexOf(' ', ceiling) - ceiling).toInt();
    });
    connect(terminal->model(), &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) {
                ++cuts;
                cutsNotOfTheOldest += first != 0;
                removed += last - first + 1;
            });
}

bool TerminalCuts::accountedFor(int lines) const
{
    return written == lines + removed && announced == removed && cutsNotOfTheOldest == 0;
}
