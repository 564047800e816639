#ifndef TERMINAL_ROW_DELEGATE_H
#define TERMINAL_ROW_DELEGATE_H

#include <QStyledItemDelegate>

class QListWidget;

// Gives every terminal row the size of the longest line written since the
// last Clear, so that the view can place its rows without measuring each
// one and keeps its horizontal scroll range: each line can still be read in
// full.
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
