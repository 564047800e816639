#include "terminal_row_delegate.h"

#include <QApplication>
#include <QListWidget>

TerminalRowDelegate::TerminalRowDelegate(QListWidget *terminal) : QStyledItemDelegate(terminal)
{
    terminal->setItemDelegate(this);
    connect(terminal->model(), &QAbstractItemModel::modelReset, this, [this]() { longest_.clear(); });
}

void TerminalRowDelegate::noteLine(QLatin1String stamp, const QString &message)
{
    if (stamp.size() + message.size() > longest_.size())
        longest_ = stamp + message;
}

QSize TerminalRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem longestRow = option;
    initStyleOption(&longestRow, index);
    if (longest_.size() > longestRow.text.size())
        longestRow.text = longest_;
    const QWidget *widget = longestRow.widget;
    const QStyle *style = widget ? widget->style() : QApplication::style();
    return style->sizeFromContents(QStyle::CT_ItemViewItem, &longestRow, QSize(), widget);
}
