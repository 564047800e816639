#include "terminal_writer.h"

#include "terminal_item.h"
#include "terminal_line.h"
#include "terminal_row_delegate.h"

#include <QListWidget>

TerminalWriter::TerminalWriter(QListWidget *terminal, std::uint64_t ceilingBytes)
    : QObject(terminal), terminal_(terminal), rows_(new TerminalRowDelegate(terminal)), ceiling_(ceilingBytes)
{
    // Clear, a cut or anyone else's removal: the count follows the list.
    QAbstractItemModel *model = terminal->model();
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) { forgetRows(first, last); });
    connect(model, &QAbstractItemModel::modelReset, this, [this]() { bytes_ = 0; });
}

int TerminalWriter::makeRoom()
{
    if (bytes_ < ceiling_)
        return 0;
    int oldest = 0;
    for (std::uint64_t freed = 0; freed < ceiling_ / 4 && oldest < terminal_->count(); ++oldest)
        freed += TerminalItem::memoryBytes(terminal_->item(oldest));
    terminal_->model()->removeRows(0, oldest);
    return oldest;
}

void TerminalWriter::append(const QString &message)
{
    const StampNow now = terminalLineStamp();
    rows_->noteLine(now.text, message);
    TerminalItem *item = TerminalItem::create(now.stamp, message);
    bytes_ += TerminalItem::memoryBytes(item);
    terminal_->insertItem(terminal_->count(), item);
}

void TerminalWriter::forgetRows(int first, int last)
{
    for (int row = first; row <= last; ++row)
        bytes_ -= TerminalItem::memoryBytes(terminal_->item(row));
}
