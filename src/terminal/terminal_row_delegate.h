#ifndef TERMINAL_ROW_DELEGATE_H
#define TERMINAL_ROW_DELEGATE_H

#include <QStyledItemDelegate>

class QListWidget;

// Lets the terminal lay out its rows without measuring each one. A busy bus
// adds tens of thousands of lines a tick, and a list view that measures every
// row again after each insertion spends its time there, not on the driver.
// Every terminal row is one line of text in one font, so all rows get the
// size of the longest line written since the last clear: the view keeps its
// horizontal scroll range and each line can still be read in full. The rows
// are placed in batches, so that a long terminal does not freeze the window.
class TerminalRowDelegate : public QStyledItemDelegate
{
public:
    explicit TerminalRowDelegate(QListWidget *terminal);

    // The writer hands each line over as it appends it, so the delegate
    // never reads back an item it has just been given; only a line longer
    // than all before it is put together.
    void noteLine(QLatin1String stamp, const QString &message);

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    QString longest_;
};

#endif
