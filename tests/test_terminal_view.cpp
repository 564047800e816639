// The terminal list as a user works it: keys, wheel, clicks and copying act
// as on a stock list, at any length; appending costs the same at millions of
// lines as at a few; the cut of the oldest lines keeps the rows in view; and
// QListView's own layout never runs.
#include "terminal/terminal_list_view.h"
#include "window_probe.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <memory>

namespace {

const QSize viewSize(400, 300);

// Wide rows are of one width, wider than the view, so that it scrolls sideways too.
void fill(QListWidget &list, int rows, bool wide = false)
{
    for (int row = 0; row < rows; ++row)
        list.addItem(wide ? QString("line %1").arg(row, 3, 10, QChar('0')) + QString(" x").repeated(60) : QString("line %1").arg(row));
}

void show(QListWidget &list)
{
    list.resize(viewSize);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QApplication::processEvents();
}

// A point inside the given row as the view shows it now.
QPoint inRow(const QListWidget &list, int row)
{
    return list.visualItemRect(list.item(row)).center();
}

struct Step {
    enum Kind { Click, ShiftClick, CtrlClick, Key, CtrlKey, Wheel, Sideways, Drag } kind;
    int value; // row (a drag's from the current one), key, wheel notches or scroll bar action
};

void perform(QListWidget &list, const Step &step)
{
    const Qt::KeyboardModifiers modifiers = step.kind == Step::ShiftClick ? Qt::ShiftModifier
        : step.kind == Step::CtrlClick || step.kind == Step::CtrlKey  ? Qt::ControlModifier
                                                                       : Qt::NoModifier;
    if (step.kind <= Step::CtrlClick) {
        QTest::mouseClick(list.viewport(), Qt::LeftButton, modifiers, inRow(list, step.value));
    } else if (step.kind <= Step::CtrlKey) {
        QTest::keyClick(&list, Qt::Key(step.value), modifiers);
    } else if (step.kind == Step::Sideways) {
        list.horizontalScrollBar()->triggerAction(QAbstractSlider::SliderAction(step.value));
    } else if (step.kind == Step::Drag) {
        QTest::mousePress(list.viewport(), Qt::LeftButton, Qt::NoModifier, inRow(list, list.currentRow()));
        QMouseEvent move(QEvent::MouseMove, inRow(list, step.value), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list.viewport(), &move);
        QTest::mouseRelease(list.viewport(), Qt::LeftButton, Qt::NoModifier, inRow(list, step.value));
    } else {
        const QPoint at = list.viewport()->rect().center();
        QWheelEvent wheel(at, list.viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120 * step.value),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(list.viewport(), &wheel);
    }
    QApplication::processEvents();
}

// What a user sees of a list after a step: current row, selection, scrolling.
QString state(const QListWidget &list)
{
    QStringList rows;
    for (int row = 0; row < list.count(); ++row) {
        if (list.selectionModel()->isSelected(list.model()->index(row, 0)))
            rows.append(QString::number(row));
    }
    const QRect current = list.visualItemRect(list.currentItem());
    return QString("current %1 at %2,%3 %4x%5; selected %6; down %7 of %8, sideways %9 of %10")
        .arg(list.currentRow()).arg(current.x()).arg(current.y()).arg(current.width()).arg(current.height())
        .arg(rows.join(',')).arg(list.verticalScrollBar()->value()).arg(list.verticalScrollBar()->maximum())
        .arg(list.horizontalScrollBar()->value()).arg(list.horizontalScrollBar()->maximum());
}

// Counts what the view asks of the delegate and paints through the terminal's own.
struct CountingDelegate : QStyledItemDelegate {
    explicit CountingDelegate(QAbstractItemDelegate *terminal) : terminal(terminal) {}
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        rowsMeasured += index.row() > 0;
        return terminal->sizeHint(option, index);
    }
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        ++rowsPainted;
        terminal->paint(painter, option, index);
    }
    QAbstractItemDelegate *terminal;
    mutable int rowsMeasured = 0, rowsPainted = 0;
};

} // namespace

Q_DECLARE_METATYPE(QVector<Step>)

class TerminalViewTest : public QObject
{
    Q_OBJECT

private slots:
    void actsAsAStockListDoes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QVector<Step>>("steps");
        const auto key = [](Qt::Key k) { return Step{Step::Key, k}; };
        const QVector<Step> keys{{Step::Click, 2}, key(Qt::Key_Down), key(Qt::Key_Down), key(Qt::Key_PageDown),
                                 key(Qt::Key_PageDown), key(Qt::Key_Up), key(Qt::Key_End), key(Qt::Key_PageUp),
                                 key(Qt::Key_Home), key(Qt::Key_Up), key(Qt::Key_Right)};
        const QVector<Step> mouse{{Step::Wheel, -2}, {Step::Click, 9}, {Step::ShiftClick, 14}, {Step::CtrlClick, 12},
                                  {Step::CtrlClick, 12}, {Step::Drag, 4}, {Step::Wheel, 1}, {Step::ShiftClick, 7}, key(Qt::Key_A),
                                  {Step::Sideways, QAbstractSlider::SliderSingleStepAdd},
                                  {Step::Sideways, QAbstractSlider::SliderPageStepSub},
                                  {Step::Sideways, QAbstractSlider::SliderToMaximum}, {Step::CtrlKey, Qt::Key_A},
                                  {Step::Click, 11}};
        for (const auto &[name, mode] : {std::pair{"single", QAbstractItemView::SingleSelection},
                                         {"contiguous", QAbstractItemView::ContiguousSelection},
                                         {"extended", QAbstractItemView::ExtendedSelection},
                                         {"multi", QAbstractItemView::MultiSelection}}) {
            QTest::addRow("keys, %s selection", name) << int(mode) << keys;
            QTest::addRow("mouse, %s selection", name) << int(mode) << mouse;
        }
    }

    // A stock list is the measure: the same steps leave the same current
    // row, selection and scrolling.
    void actsAsAStockListDoes()
    {
        QFETCH(int, mode);
        QFETCH(QVector<Step>, steps);
        // As the terminal's list was set before it had a geometry of its own.
        QListWidget stock;
        stock.setUniformItemSizes(true);
        TerminalListView terminal;
        for (QListWidget *list : {&stock, static_cast<QListWidget *>(&terminal)}) {
            list->setSelectionMode(QAbstractItemView::SelectionMode(mode));
            fill(*list, 300, true);
            show(*list);
            // Only the active window's list gets focus, which makes a row current.
            list->setCurrentRow(0);
        }
        for (int i = 0; i < steps.size(); ++i) {
            perform(stock, steps[i]);
            perform(terminal, steps[i]);
            const QString at = QString("after step %1: ").arg(i);
            QCOMPARE(at + state(terminal), at + state(stock));
        }
    }

    // Millions of rows: whatever the user selects is a few ranges, and
    // copying gives the whole lines in order.
    void selectionsOfMillionsAreRangesAndCopyInOrder()
    {
        TerminalListView terminal;
        terminal.setSelectionMode(QAbstractItemView::ExtendedSelection);
        fill(terminal, 2000000);
        show(terminal);
        QTest::keyClick(&terminal, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(terminal.selectionModel()->selection().size(), 1);
        QCOMPARE(terminal.selectionModel()->selection().first().bottom(), 1999999);

        terminal.scrollToItem(terminal.item(1500000), QAbstractItemView::PositionAtTop);
        QApplication::processEvents();
        perform(terminal, {Step::Click, 1500002});
        terminal.scrollToItem(terminal.item(0), QAbstractItemView::PositionAtTop);
        QApplication::processEvents();
        perform(terminal, {Step::ShiftClick, 1});
        QCOMPARE(terminal.selectionModel()->selection().size(), 1);
        perform(terminal, {Step::CtrlClick, 3});
        QTest::keyClick(&terminal, Qt::Key_C, Qt::ControlModifier);
        const QStringList copied = QGuiApplication::clipboard()->text().split('\n');
        QCOMPARE(copied.size(), 1500001);
        QCOMPARE(copied.mid(0, 3) << copied.last(), (QStringList{"line 1", "line 2", "line 4", "line 1500002"}));
    }

    // The last of two million appends costs what the first did, and the
    // scroll position stays where the user left it.
    void appendingCostsTheSameAtAnyLength()
    {
        WindowProbe probe;
        probe.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&probe.window));
        QListWidget *terminal = probe.terminal();
        const QString line = "Транзакция - тип = 1 - нет ошибок - freeTimer: 20 - CntServWords: 2 - "
                             "CntDataWords: 32 - Шина: Шина А";
        const auto append = [&](int lines) {
            QElapsedTimer timer;
            timer.start();
            for (int i = 0; i < lines; ++i)
                emit probe.window.signal_writeInTerminal(line);
            QApplication::processEvents();
            return timer.nsecsElapsed();
        };
        append(1000);
        terminal->verticalScrollBar()->setValue(5);
        const qint64 first = append(100000);
        append(1800000);
        const qint64 last = append(100000);
        QVERIFY2(last < 3 * first, qPrintable(QString("%1 ms, then %2 ms").arg(first / 1e6).arg(last / 1e6)));
        QCOMPARE(terminal->verticalScrollBar()->value(), 5);
        QCOMPARE(terminal->verticalScrollBar()->maximum(), terminal->count() - terminal->verticalScrollBar()->pageStep());
    }

    // The terminal's rows are placed by arithmetic: QListView's layout,
    // which measures every row without uniform sizes, is never asked, and a
    // paint touches only the rows in view.
    void writingNeverRunsTheListsOwnLayout()
    {
        WindowProbe probe;
        QListWidget *terminal = probe.terminal();
        auto delegate = std::make_unique<CountingDelegate>(terminal->itemDelegate());
        terminal->setItemDelegate(delegate.get());
        probe.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&probe.window));
        for (int tick = 0; tick < 3; ++tick) {
            for (int i = 0; i < 20000; ++i)
                emit probe.window.signal_writeInTerminal(QString("line %1").arg(i));
            QApplication::processEvents();
        }
        terminal->resize(terminal->width() + 40, terminal->height() + 40);
        QApplication::processEvents();
        QCOMPARE(delegate->rowsMeasured, 0);
        delegate->rowsPainted = 0;
        terminal->viewport()->repaint();
        QVERIFY(delegate->rowsPainted > 0);
        QVERIFY2(delegate->rowsPainted <= terminal->viewport()->height() / terminal->visualItemRect(terminal->item(0)).height() + 1,
                 qPrintable(QString::number(delegate->rowsPainted)));
        terminal->setItemDelegate(nullptr);
    }

    // The cut of the oldest lines at the ceiling leaves the lines the user
    // reads where they were; Clear starts afresh.
    void aCutOfTheOldestRowsKeepsTheRowsInView()
    {
        TerminalListView terminal;
        fill(terminal, 1000);
        show(terminal);
        terminal.verticalScrollBar()->setValue(600);
        const QString readAtTop = terminal.itemAt(QPoint(1, 1))->text();
        terminal.model()->removeRows(0, 250);
        QApplication::processEvents();
        QCOMPARE(terminal.itemAt(QPoint(1, 1))->text(), readAtTop);
        QCOMPARE(terminal.verticalScrollBar()->value(), 350);

        terminal.model()->removeRows(0, 500);
        QApplication::processEvents();
        QCOMPARE(terminal.verticalScrollBar()->value(), 0);
        QCOMPARE(terminal.itemAt(QPoint(1, 1))->text(), QString("line 750"));

        fill(terminal, 1000);
        QApplication::processEvents();
        terminal.verticalScrollBar()->setValue(900);
        terminal.clear();
        fill(terminal, 100);
        QApplication::processEvents();
        QCOMPARE(terminal.verticalScrollBar()->value(), 0);
        QCOMPARE(terminal.itemAt(QPoint(1, 1))->text(), QString("line 0"));
    }

    // A wider window shows more of the longest line; rows stay one height.
    void aWidthChangeKeepsTheRowsAndMovesTheRange()
    {
        TerminalListView terminal;
        terminal.addItem(QString("x").repeated(400));
        fill(terminal, 50);
        show(terminal);
        const int range = terminal.horizontalScrollBar()->maximum();
        QVERIFY(range > 0);
        terminal.resize(viewSize.width() + 100, viewSize.height());
        QApplication::processEvents();
        QCOMPARE(terminal.horizontalScrollBar()->maximum(), range - 100);
        QCOMPARE(terminal.indexAt(inRow(terminal, 7)).row(), 7);
    }
};

QTEST_MAIN(TerminalViewTest)
#include "test_terminal_view.moc"
