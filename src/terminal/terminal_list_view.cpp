#include "terminal_list_view.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <vector>

namespace {

// A clipboard text of more characters than QString holds would end the tool.
constexpr qint64 mostCopiedCharacters = qint64(1) << 28;

// Places far outside the viewport stay far outside it, within int.
int clampedToInt(qint64 value)
{
    const qint64 far = qint64(1) << 30;
    return int(std::max(-far, std::min(far, value)));
}

} // namespace

TerminalListView::TerminalListView(QWidget *parent) : QListWidget(parent)
{
    connect(model(), &QAbstractItemModel::rowsRemoved, this, [this]() { keepTopRowAfterRemoval(); });
}

int TerminalListView::topRow() const
{
    return verticalScrollBar()->value();
}

int TerminalListView::rowHeight() const
{
    return std::max(1, rowHeight_);
}

int TerminalListView::fullRows() const
{
    return std::max(1, viewport()->height() / rowHeight());
}

qint64 TerminalListView::rowAtY(int y) const
{
    const int height = rowHeight();
    const int rowsDown = y >= 0 ? y / height : -((-y + height - 1) / height);
    return qint64(topRow()) + rowsDown;
}

// A row is as wide as the longest line or the viewport, whichever is wider.
QRect TerminalListView::rowRect(int row) const
{
    const qint64 y = (qint64(row) - topRow()) * rowHeight();
    return QRect(-horizontalOffset(), clampedToInt(y), std::max(rowWidth_, viewport()->width()), rowHeight());
}

QRect TerminalListView::visualRect(const QModelIndex &index) const
{
    if (!index.isValid() || index.parent() != rootIndex() || index.column() != modelColumn())
        return QRect();
    return rowRect(index.row());
}

QModelIndex TerminalListView::indexAt(const QPoint &point) const
{
    const qint64 row = rowAtY(point.y());
    if (row < 0 || row >= count())
        return QModelIndex();
    const QModelIndex index = model()->index(int(row), modelColumn(), rootIndex());
    return visualRect(index).contains(point) ? index : QModelIndex();
}

void TerminalListView::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    if (!index.isValid() || index.parent() != rootIndex() || index.column() != modelColumn())
        return;
    const int row = index.row();
    const int top = topRow();
    const int rows = fullRows();
    if (hint == EnsureVisible) {
        if (row >= top && row < top + rows) {
            viewport()->update(visualRect(index));
            return;
        }
        hint = row < top ? PositionAtTop : PositionAtBottom;
    }
    switch (hint) {
    case PositionAtTop:
        verticalScrollBar()->setValue(row);
        break;
    case PositionAtBottom:
        verticalScrollBar()->setValue(row - rows + 1);
        break;
    case PositionAtCenter:
        verticalScrollBar()->setValue(row - rows / 2);
        break;
    case EnsureVisible:
        break;
    }
}

// QListView's layout would run here; the geometry needs only the row size.
void TerminalListView::doItemsLayout()
{
    QAbstractItemView::doItemsLayout();
}

// A cleared terminal starts again from its first line.
void TerminalListView::reset()
{
    QListWidget::reset();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
}

void TerminalListView::selectAll()
{
    if (!selectionModel() || count() == 0 || selectionMode() == NoSelection || selectionMode() == SingleSelection)
        return;
    const QItemSelection all(model()->index(0, modelColumn(), rootIndex()),
                             model()->index(count() - 1, modelColumn(), rootIndex()));
    selectionModel()->select(all, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

// As QListView moves in a list of one column: up and down by rows and pages,
// to either end, and nowhere sideways.
QModelIndex TerminalListView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers)
{
    if (count() == 0)
        return QModelIndex();
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return model()->index(0, modelColumn(), rootIndex());
    const int page = std::max(1, fullRows() - 1);
    int row = current.row();
    switch (cursorAction) {
    case MoveUp:
    case MovePrevious:
        row -= 1;
        break;
    case MoveDown:
    case MoveNext:
        row += 1;
        break;
    case MovePageUp:
        row -= page;
        break;
    case MovePageDown:
        row += page;
        break;
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = count() - 1;
        break;
    case MoveLeft:
    case MoveRight:
        break;
    }
    return model()->index(std::max(0, std::min(row, count() - 1)), modelColumn(), rootIndex());
}

// A click selects the row under it; a drag or a shift-click every row from
// one corner's to the other's, as one range.
void TerminalListView::setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command)
{
    if (!selectionModel())
        return;
    QItemSelection selection;
    const QRect area = rect.normalized();
    const qint64 first = std::max<qint64>(0, rowAtY(area.top()));
    const qint64 last = std::min<qint64>(count() - 1, rowAtY(area.bottom()));
    const bool acrossRows = area.right() >= -horizontalOffset()
                            && area.left() < std::max(rowWidth_, viewport()->width()) - horizontalOffset();
    if (first <= last && acrossRows)
        selection.select(model()->index(int(first), modelColumn(), rootIndex()),
                         model()->index(int(last), modelColumn(), rootIndex()));
    selectionModel()->select(selection, command);
}

QRegion TerminalListView::visualRegionForSelection(const QItemSelection &selection) const
{
    const int top = topRow();
    const int bottom = top + fullRows();
    QRegion region;
    for (const QItemSelectionRange &range : selection) {
        if (!range.isValid() || range.parent() != rootIndex())
            continue;
        const int first = std::max(range.top(), top);
        const int last = std::min(range.bottom(), bottom);
        if (first <= last)
            region += rowRect(first).united(rowRect(last));
    }
    return region;
}

int TerminalListView::horizontalOffset() const
{
    return isRightToLeft() ? horizontalScrollBar()->maximum() - horizontalScrollBar()->value()
                           : horizontalScrollBar()->value();
}

int TerminalListView::verticalOffset() const
{
    return int(unsigned(topRow()) * unsigned(rowHeight()));
}

QStyleOptionViewItem TerminalListView::itemOption() const
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    return viewOptions();
#else
    // Qt 6 fills the option in place instead of returning it.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    return option;
#endif
}

// Every row takes the size the delegate gives the first: that of the longest
// line written since the last Clear.
void TerminalListView::measureRows()
{
    if (count() == 0 || !itemDelegate()) {
        rowWidth_ = 0;
        return;
    }
    const QModelIndex first = model()->index(0, modelColumn(), rootIndex());
    const QSize size = itemDelegate()->sizeHint(itemOption(), first);
    rowHeight_ = std::max(1, size.height());
    rowWidth_ = size.width();
}

void TerminalListView::updateGeometries()
{
    measureRows();
    const int rows = fullRows();
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setPageStep(rows);
    verticalScrollBar()->setRange(0, std::max(0, count() - rows));
    // A stock list steps sideways by a whole row's width.
    horizontalScrollBar()->setSingleStep(std::max(1, rowWidth_));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, std::max(0, rowWidth_ - viewport()->width()));
    QAbstractItemView::updateGeometries();
}

void TerminalListView::scrollContentsBy(int dx, int dy)
{
    if (shiftingRows_ || std::abs(qint64(dy)) >= fullRows()) {
        viewport()->update();
        return;
    }
    viewport()->scroll(isRightToLeft() ? -dx : dx, dy * rowHeight());
}

void TerminalListView::paintEvent(QPaintEvent *event)
{
    if (!itemDelegate() || count() == 0)
        return;
    QPainter painter(viewport());
    const QStyleOptionViewItem base = itemOption();
    const QRect area = event->rect();
    const int first = int(std::max<qint64>(0, rowAtY(area.top())));
    const int last = int(std::min<qint64>(count() - 1, rowAtY(area.bottom())));
    const QModelIndex current = currentIndex();
    const bool focus = (hasFocus() || viewport()->hasFocus()) && current.isValid();
    const QPoint mouse = viewport()->mapFromGlobal(QCursor::pos());
    const QModelIndex hover = viewport()->underMouse() ? indexAt(mouse) : QModelIndex();
    const bool enabled = (base.state & QStyle::State_Enabled) != 0;
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = model()->index(row, modelColumn(), rootIndex());
        QStyleOptionViewItem option = base;
        option.rect = rowRect(row);
        option.state.setFlag(QStyle::State_Selected, selectionModel() && selectionModel()->isSelected(index));
        if (enabled) {
            const bool itemEnabled = (model()->flags(index) & Qt::ItemIsEnabled) != 0;
            option.state.setFlag(QStyle::State_Enabled, itemEnabled);
            option.palette.setCurrentColorGroup(itemEnabled ? QPalette::Normal : QPalette::Disabled);
        }
        option.state.setFlag(QStyle::State_HasFocus, focus && index == current);
        option.state.setFlag(QStyle::State_MouseOver, index == hover);
        if (alternatingRowColors()) {
            option.features.setFlag(QStyleOptionViewItem::Alternate, (row & 1) != 0);
            QStyleOptionViewItem background = option;
            background.state &= ~QStyle::State_Selected;
            style()->drawPrimitive(QStyle::PE_PanelItemViewRow, &background, &painter, this);
        }
        itemDelegate()->paint(&painter, option, index);
    }
}

void TerminalListView::keyPressEvent(QKeyEvent *event)
{
    if (event == QKeySequence::Copy) {
        copySelectedLines();
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

// The selected lines, whole and in order, read range by range; with nothing
// selected, the current line, as a list view copies.
void TerminalListView::copySelectedLines() const
{
    std::vector<std::pair<int, int>> ranges;
    if (selectionModel()) {
        for (const QItemSelectionRange &range : selectionModel()->selection())
            ranges.emplace_back(range.top(), range.bottom());
    }
    if (ranges.empty() && currentIndex().isValid())
        ranges.emplace_back(currentIndex().row(), currentIndex().row());
    std::sort(ranges.begin(), ranges.end());
    QString text;
    int next = 0;
    for (const auto &range : ranges) {
        for (int row = std::max(range.first, next); row <= range.second; ++row) {
            const QString line = item(row)->text();
            if (text.size() + qint64(line.size()) + 1 > mostCopiedCharacters)
                break;
            if (!text.isEmpty())
                text += '\n';
            text += line;
        }
        next = std::max(next, range.second + 1);
    }
    QGuiApplication::clipboard()->setText(text);
}

// Rows come only at the end and the view does not follow them: they need
// a new scroll range, made once when the event loop comes round, and a paint
// only where they show.
void TerminalListView::rowsInserted(const QModelIndex &parent, int start, int end)
{
    scheduleDelayedItemsLayout();
    if (start <= topRow() + fullRows())
        viewport()->update();
    QAbstractItemView::rowsInserted(parent, start, end);
}

// The rows in view stay in view when rows above them go.
// The current row moves on to the first that stays, which would scroll the
// view to it: the top is taken first.
void TerminalListView::rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end)
{
    const int top = topRow();
    topAfterRemoval_ = end < top ? top - (end - start + 1) : std::min(top, start);
    QAbstractItemView::rowsAboutToBeRemoved(parent, start, end);
}

void TerminalListView::keepTopRowAfterRemoval()
{
    if (topAfterRemoval_ < 0)
        return;
    shiftingRows_ = true;
    updateGeometries();
    verticalScrollBar()->setValue(topAfterRemoval_);
    shiftingRows_ = false;
    topAfterRemoval_ = -1;
    viewport()->update();
}
