#include "previous_terminal.h"

#include "main_window.h"
#include "terminal_line.h"

#include <QApplication>
#include <QListWidget>
#include <QStyledItemDelegate>

namespace {

class PreviousRowDelegate : public QStyledItemDelegate
{
public:
    explicit PreviousRowDelegate(QListWidget *terminal) : QStyledItemDelegate(terminal), terminal_(terminal)
    {
        terminal->setItemDelegate(this);
        QAbstractItemModel *model = terminal->model();
        connect(model, &QAbstractItemModel::rowsInserted, this,
                [this](const QModelIndex &, int first, int last) { noteRows(first, last); });
        connect(model, &QAbstractItemModel::modelReset, this, [this]() { longest_.clear(); });
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem longestRow = option;
        initStyleOption(&longestRow, index);
        if (longest_.size() > longestRow.text.size())
            longestRow.text = longest_;
        const QWidget *widget = longestRow.widget;
        const QStyle *style = widget ? widget->style() : QApplication::style();
        return style->sizeFromContents(QStyle::CT_ItemViewItem, &longestRow, QSize(), widget);
    }

private:
    void noteRows(int first, int last)
    {
        for (int row = first; row <= last; ++row) {
            const QString text = terminal_->item(row)->text();
            if (text.size() > longest_.size())
                longest_ = text;
        }
    }

    QListWidget *terminal_;
    QString longest_;
};

} // namespace

void usePreviousTerminal(MainWindow &window, QListWidget *terminal)
{
    QObject::disconnect(&window, &MainWindow::signal_writeInTerminal, &window, nullptr);
    new PreviousRowDelegate(terminal);
    QObject::connect(&window, &MainWindow::signal_writeInTerminal, terminal, [terminal](const QString &text) {
        QString line = terminalLineStamp();
        line.reserve(line.size() + text.size());
        line += text;
        terminal->insertItem(terminal->count(), line);
    });
}
