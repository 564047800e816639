#ifndef TERMINAL_LIST_VIEW_H
#define TERMINAL_LIST_VIEW_H

#include <QListWidget>

// The terminal list, laid out by its own arithmetic: every row is one line of
// text in one font, so a row's place follows from its number and one row
// height. QListView lays every row out again from the first after each
// insertion, and a busy bus inserts tens of thousands of lines a tick into a
// terminal of millions: here an insertion, a removal, a scroll and a paint
// cost the same whatever the terminal holds.
//
// The vertical scroll bar counts rows, as QListView's does: its value is
// the top row. Row positions are reckoned from the top row in 64 bits;
// verticalOffset() alone, which QAbstractItemView only ever uses as a
// difference, wraps past 2^31 pixels.
class TerminalListView : public QListWidget
{
    Q_OBJECT

public:
    explicit TerminalListView(QWidget *parent = nullptr);

    QRect visualRect(const QModelIndex &index) const override;
    QModelIndex indexAt(const QPoint &point) const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    void doItemsLayout() override;
    void reset() override;

public slots:
    void selectAll() override;

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection &selection) const override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

protected slots:
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end) override;

private:
    int topRow() const;
    int rowHeight() const;
    int fullRows() const;
    // The row at a height of the viewport, which may lie outside the list.
    qint64 rowAtY(int y) const;
    QRect rowRect(int row) const;
    QStyleOptionViewItem itemOption() const;
    void measureRows();
    void keepTopRowAfterRemoval();
    void copySelectedLines() const;

    int rowHeight_ = 0;
    int rowWidth_ = 0;
    int topAfterRemoval_ = -1;
    bool shiftingRows_ = false;
};

#endif
