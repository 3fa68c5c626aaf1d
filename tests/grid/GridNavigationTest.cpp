// Keyboard and mouse navigation on a shown grid: moving the current cell,
// range selection, tabbing, the editor keys, dragging with the scroll timer,
// sizing and moving rows and columns, the wheel and the scroll bars, and
// cells that take no room.
#include "GridTestSupport.h"

#include "grid/GridStreaming.h"
#include "grid/StringPrGridStrings.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

namespace {

// A grid above a line edit in one shown window, so the focus can leave it.
struct GridAndEdit {
    QWidget window;
    TStringGridEx* grid = new TStringGridEx;
    QLineEdit* after = new QLineEdit;
    explicit GridAndEdit(TGridOptions extra) {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(grid);
        layout->addWidget(after);
        grid->SetColCount(4);
        grid->SetRowCount(4);
        grid->SetOptions(grid->Options() + extra);
        ShowActive(&window);
        grid->setFocus();
        QCoreApplication::processEvents();
    }
};

} // namespace

TEST(GridKeyboard, ArrowsPagesHomeAndEndMoveTheCurrentCell) {
    auto grid = ShownGrid(6, 50, 400, 200);
    const int page = grid->VisibleRowCount() - 1;
    // key, modifiers, current cell after it, top row after it (0: not checked)
    const std::tuple<int, Qt::KeyboardModifiers, TGridCoord, int> steps[] = {
        {Qt::Key_Right, {}, {2, 1}, 0},
        {Qt::Key_Down, {}, {2, 2}, 0},
        {Qt::Key_Up, {}, {2, 1}, 0},
        {Qt::Key_Up, {}, {2, 1}, 0}, // the fixed row stops it
        {Qt::Key_Left, {}, {1, 1}, 0},
        {Qt::Key_Left, {}, {1, 1}, 0},
        {Qt::Key_End, {}, {5, 1}, 0},
        {Qt::Key_Home, {}, {1, 1}, 0},
        {Qt::Key_PageDown, {}, {1, 1 + page}, 1 + page},
        {Qt::Key_PageUp, {}, {1, 1}, 1},
        {Qt::Key_End, Qt::ControlModifier, {5, 49}, 0},
        {Qt::Key_Home, Qt::ControlModifier, {1, 1}, 1},
        {Qt::Key_Down, Qt::ControlModifier, {1, 1}, 2}, // scrolls without moving the cell
    };
    int step = 0;
    for (const auto& [key, mods, cell, top] : steps) {
        PressKey(key, mods);
        SCOPED_TRACE(step++);
        EXPECT_EQ(Current(*grid), cell);
        if (top) {
            EXPECT_EQ(grid->TopRow(), top);
        }
        EXPECT_LE(grid->Row(), grid->TopRow() + grid->VisibleRowCount() - 1);
    }
}

TEST(GridKeyboard, ShiftExtendsTheSelectionOnlyWithRangeSelect) {
    auto grid = ShownGrid(6, 20);
    PressKey(Qt::Key_Down, Qt::ShiftModifier);
    PressKey(Qt::Key_Right, Qt::ShiftModifier);
    PressKey(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(grid->GetSelection(), (TGridRect{1, 1, 3, 2}));
    EXPECT_EQ(grid->Anchor(), (TGridCoord{1, 1}));
    PressKey(Qt::Key_Down); // a plain move collapses it
    EXPECT_EQ(grid->GetSelection(), (TGridRect{3, 3, 3, 3}));

    grid->SetOptions(grid->Options() - goRangeSelect);
    PressKey(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(grid->GetSelection(), (TGridRect{3, 4, 3, 4}));
}

TEST(GridKeyboard, TabMovesThroughCellsOnlyWithGoTabs) {
    GridAndEdit w(TGridOptions{goTabs});
    TStringGridEx* grid = w.grid;
    grid->SetCol(3);
    PressKey(Qt::Key_Tab); // wraps to the next row
    EXPECT_EQ(Current(*grid), (TGridCoord{1, 2}));
    PressKey(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(Current(*grid), (TGridCoord{3, 1}));
    PressKey(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(grid->GetSelection(), (TGridRect{2, 1, 2, 1})); // no range from Shift+Tab

    grid->SetTabStops(3, false);
    PressKey(Qt::Key_Tab); // column 3 is skipped
    EXPECT_EQ(Current(*grid), (TGridCoord{1, 2}));

    grid->SetOptions(grid->Options() - goTabs);
    PressKey(Qt::Key_Tab);
    EXPECT_TRUE(w.after->hasFocus());
    EXPECT_EQ(grid->Col(), 1);
}

TEST(GridKeyboard, F2EnterAndTypingOpenTheEditor) {
    auto grid = ShownGrid(3, 5);
    grid->SetOptions(grid->Options() + goEditing);
    grid->SetCells(1, 1, QStringLiteral("abc"));
    EXPECT_EQ(grid->InplaceEditor(), nullptr);

    PressKey(Qt::Key_F2);
    TPropertyInplaceEdit* editor = grid->InplaceEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(grid->EditorMode());
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->text(), QStringLiteral("abc"));
    EXPECT_FALSE(editor->hasSelectedText()); // F2: caret at the end
    EXPECT_EQ(editor->geometry(), grid->CellRect(1, 1));
    EXPECT_TRUE(editor->hasFocus());

    PressKey(Qt::Key_Return); // Enter closes it again
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_FALSE(editor->isVisible());
    EXPECT_TRUE(grid->hasFocus());
    PressKey(Qt::Key_Return); // and opens it
    EXPECT_TRUE(editor->isVisible());
    EXPECT_TRUE(editor->hasSelectedText());
    PressKey(Qt::Key_Return);

    // Typing on the grid replaces the cell with what is typed.
    TypeText(QStringLiteral("xy"));
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->text(), QStringLiteral("xy"));
    EXPECT_EQ(grid->GetCells(1, 1), QStringLiteral("xy"));

    // Moving away ends editing (without goAlwaysShowEditor).
    PressKey(Qt::Key_Down);
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_FALSE(editor->isVisible());

    // Without goEditing typing does nothing to the cells.
    grid->SetOptions(grid->Options() - goEditing);
    TypeText(QStringLiteral("q"));
    EXPECT_EQ(grid->GetCells(1, 2), QString());
    EXPECT_FALSE(editor->isVisible());
}

TEST(GridKeyboard, KeyEventsReachTheHandlers) {
    auto grid = ShownGrid(3, 5);
    QStringList seen;
    grid->OnKeyDown = [&](QObject*, int& key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Down) {
            seen << "down";
            key = 0; // swallowed: the grid does not move
        }
    };
    grid->OnKeyPress = [&](QObject*, QChar& ch) { seen << QString(ch); };
    grid->OnKeyUp = [&](QObject*, int& key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_A) seen << "up";
    };
    PressKey(Qt::Key_Down);
    EXPECT_EQ(grid->Row(), 1);
    TypeText(QStringLiteral("a"));
    EXPECT_EQ(seen, (QStringList{"down", "a", "up"}));
}

TEST(GridMouse, ClickDragAndShiftClickSelect) {
    auto grid = ShownGrid(6, 20, 560, 300);
    int clicks = 0, doubles = 0;
    grid->OnClick = [&](QObject*) { ++clicks; };
    grid->OnDblClick = [&](QObject*) { ++doubles; };
    ClickCell(*grid, 3, 4);
    EXPECT_EQ(Current(*grid), (TGridCoord{3, 4}));
    EXPECT_EQ(clicks, 1);

    // Drag from (1,2) to (2,5): the current cell stays where the press was.
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, CellCenter(*grid, 1, 2));
    EXPECT_EQ(grid->GridState(), gsSelecting);
    QTest::mouseMove(grid->viewport(), CellCenter(*grid, 2, 5));
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, CellCenter(*grid, 2, 5));
    EXPECT_EQ(grid->GridState(), gsNormal);
    EXPECT_EQ(grid->GetSelection(), (TGridRect{1, 2, 2, 5}));
    EXPECT_EQ(Current(*grid), (TGridCoord{1, 2}));

    ClickCell(*grid, 4, 6, Qt::ShiftModifier);
    EXPECT_EQ(grid->GetSelection(), (TGridRect{1, 2, 4, 6}));

    // A click on a half-visible cell scrolls it into view and selects it alone.
    grid->resize(380, 300);
    QCoreApplication::processEvents();
    ClickCell(*grid, 4, 3);
    EXPECT_EQ(grid->GetSelection(), (TGridRect{4, 3, 4, 3}));
    EXPECT_GT(grid->LeftCol(), 1);
    grid->resize(560, 300);
    QCoreApplication::processEvents();
    ClickCell(*grid, 1, 2);
    EXPECT_EQ(grid->LeftCol(), 1);

    // Fixed cells are not selectable.
    ClickCell(*grid, 0, 3);
    ClickCell(*grid, 2, 0);
    EXPECT_EQ(Current(*grid), (TGridCoord{1, 2}));

    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, CellCenter(*grid, 2, 2));
    EXPECT_EQ(doubles, 1);
}

TEST(GridMouse, DraggingBelowTheCellsScrollsOnATimer) {
    auto grid = ShownGrid(4, 100, 300, 150);
    const QPoint start = CellCenter(*grid, 1, 2);
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, start);
    const QPoint below(start.x(), grid->viewport()->height() + 20);
    QTest::mouseMove(grid->viewport(), below);
    const int anchorBefore = grid->Anchor().Y;
    QTest::qWait(6 * TCustomPrGrid::ScrollTimerInterval); // a few ticks
    EXPECT_GT(grid->Anchor().Y, anchorBefore);
    EXPECT_GT(grid->TopRow(), 1);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, below);
    const int anchorAfter = grid->Anchor().Y;
    QTest::qWait(3 * TCustomPrGrid::ScrollTimerInterval);
    EXPECT_EQ(grid->Anchor().Y, anchorAfter); // the timer stopped
    EXPECT_EQ(grid->GetSelection().Top, 2);
}

TEST(GridMouse, ColumnAndRowSizing) {
    auto grid = ShownGrid(4, 10);
    // Without goColSizing a press on the line is no sizing.
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, ColLine(*grid, 1));
    EXPECT_EQ(grid->GridState(), gsNormal);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, ColLine(*grid, 1));

    grid->SetOptions(grid->Options() + goColSizing + goRowSizing);
    const QPoint line = ColLine(*grid, 1);
    QTest::mouseMove(grid->viewport(), line);
    EXPECT_EQ(grid->viewport()->cursor().shape(), Qt::SplitHCursor);
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, line);
    EXPECT_EQ(grid->GridState(), gsColSizing);
    QTest::mouseMove(grid->viewport(), line + QPoint(25, 0));
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, line + QPoint(25, 0));
    EXPECT_EQ(grid->GridState(), gsNormal);
    EXPECT_EQ(grid->ColWidths(1), 80 + 25);
    EXPECT_EQ(grid->ColWidths(2), 80);

    Drag(grid->viewport(), RowLine(*grid, 2), RowLine(*grid, 2) + QPoint(0, 10));
    EXPECT_EQ(grid->RowHeights(2), 27);

    // A size of one pixel or less is refused.
    const QPoint line2 = ColLine(*grid, 2);
    Drag(grid->viewport(), line2, QPoint(grid->CellRect(2, 0).left(), line2.y()));
    EXPECT_EQ(grid->ColWidths(2), 80);
}

TEST(GridMouse, MovingRowsAndColumnsByTheirFixedCells) {
    auto grid = ShownGrid(4, 8);
    FillColumn(*grid, 1, 1, {"A", "B", "C", "D"});
    grid->SetOptions(grid->Options() + goRowMoving + goColMoving);
    std::vector<std::pair<int, int>> rowMoves;
    grid->OnRowMoved = [&](QObject*, int from, int to) { rowMoves.emplace_back(from, to); };
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, CellCenter(*grid, 0, 1));
    EXPECT_EQ(grid->GridState(), gsRowMoving);
    QTest::mouseMove(grid->viewport(), CellCenter(*grid, 0, 3));
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, CellCenter(*grid, 0, 3));
    EXPECT_EQ(ColumnTexts(*grid, 1, 1, 4), (QStringList{"B", "C", "A", "D"}));

    grid->SetCells(2, 1, QStringLiteral("col2"));
    Drag(grid->viewport(), CellCenter(*grid, 2, 0), CellCenter(*grid, 1, 0));
    EXPECT_EQ(grid->Rows(1)->ToStringList().mid(1, 2), (QStringList{"col2", "B"}));

    // Released where it started: nothing moves.
    Drag(grid->viewport(), CellCenter(*grid, 0, 2), CellCenter(*grid, 0, 2));
    EXPECT_EQ(rowMoves, (std::vector<std::pair<int, int>>{{1, 3}}));
}

TEST(GridMouse, RowSelectSelectsWholeRowsAndScrollsSideways) {
    auto grid = ShownGrid(12, 20, 300, 200);
    grid->SetOptions(TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine,
                                  goRangeSelect, goColSizing, goRowSelect});
    ClickCell(*grid, 2, 3);
    EXPECT_EQ(grid->GetSelection(), (TGridRect{1, 3, 11, 3}));
    PressKey(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(grid->GetSelection(), (TGridRect{1, 3, 11, 4}));
    PressKey(Qt::Key_Right);
    EXPECT_EQ(grid->LeftCol(), 2);
    EXPECT_EQ(grid->Col(), 1);
    // No editor in row-select mode, even when asked for.
    grid->SetOptions(grid->Options() + goEditing + goAlwaysShowEditor);
    EXPECT_FALSE(grid->Options().Contains(goAlwaysShowEditor));
    PressKey(Qt::Key_F2);
    EXPECT_TRUE(!grid->InplaceEditor() || !grid->InplaceEditor()->isVisible());
}

TEST(GridMouse, WheelMovesTheCurrentRowAndScrollBarsScroll) {
    auto grid = ShownGrid(3, 60, 300, 200);
    auto wheel = [&](int delta) {
        QWheelEvent e(QPointF(50, 50), grid->viewport()->mapToGlobal(QPointF(50, 50)), QPoint(),
                      QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid->viewport(), &e);
    };
    wheel(-240);
    EXPECT_EQ(grid->Row(), 3);
    wheel(120);
    EXPECT_EQ(grid->Row(), 2);

    bool handled = false;
    grid->OnMouseWheelDown = [&](QObject*, Qt::KeyboardModifiers, const QPoint&, bool& h) {
        h = handled = true;
    };
    wheel(-240);
    EXPECT_TRUE(handled);
    EXPECT_EQ(grid->Row(), 2);

    QScrollBar* bar = grid->verticalScrollBar();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_GT(bar->maximum(), 40);
    bar->setValue(10);
    EXPECT_EQ(grid->TopRow(), 11);
    grid->SetTopRow(20);
    EXPECT_EQ(bar->value(), 19);
    grid->SetRowCount(3); // all rows fit: no vertical scroll range
    EXPECT_EQ(bar->maximum(), 0);
    EXPECT_EQ(grid->TopRow(), 1);
}

TEST(GridFocus, EnterAndExitFollowTheFocusAcrossTheEditor) {
    GridAndEdit w(TGridOptions{goEditing});
    TStringGridEx* grid = w.grid;
    w.after->setFocus();
    QStringList events;
    grid->OnEnter = [&](QObject*) { events << "enter"; };
    grid->OnExit = [&](QObject*) { events << "exit"; };
    grid->setFocus();
    PressKey(Qt::Key_F2); // the editor takes the focus: still inside the grid
    ASSERT_TRUE(grid->InplaceEditor()->hasFocus());
    w.after->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(events, (QStringList{"enter", "exit"}));
    EXPECT_FALSE(grid->EditorMode()); // leaving ends editing
    EXPECT_FALSE(grid->InplaceEditor()->isVisible());
}

TEST(GridMouse, RightClickShowsThePopupMenuOnGridAndEditor) {
    auto grid = ShownGrid(3, 5);
    QMenu menu;
    menu.addAction(QStringLiteral("复制"));
    auto rightClick = [&](QWidget* w, QPoint p) {
        QContextMenuEvent e(QContextMenuEvent::Mouse, p, w->mapToGlobal(p));
        QApplication::sendEvent(w, &e);
        const bool shown = menu.isVisible();
        menu.hide();
        return shown;
    };
    EXPECT_FALSE(rightClick(grid->viewport(), CellCenter(*grid, 2, 3))); // no menu given yet
    grid->SetPopupMenu(&menu);
    EXPECT_TRUE(rightClick(grid->viewport(), CellCenter(*grid, 2, 3)));
    grid->SetOptions(grid->Options() + goEditing + goAlwaysShowEditor);
    ASSERT_TRUE(grid->InplaceEditor()->isVisible());
    EXPECT_TRUE(rightClick(grid->InplaceEditor(), QPoint(2, 2)));
}

TEST(GridMouse, DesignModeSizesColumnsButNeverEdits) {
    auto grid = ShownGrid(4, 6);
    grid->SetOptions(grid->Options() + goEditing + goAlwaysShowEditor);
    ASSERT_TRUE(grid->InplaceEditor()->isVisible());
    grid->SetDesigning(true);
    EXPECT_FALSE(grid->InplaceEditor()->isVisible());
    // Sizing works without goColSizing while designing.
    ASSERT_FALSE(grid->Options().Contains(goColSizing));
    Drag(grid->viewport(), ColLine(*grid, 2), ColLine(*grid, 2) + QPoint(-20, 0));
    EXPECT_EQ(grid->ColWidths(2), 60);
    ClickCell(*grid, 1, 2);
    EXPECT_FALSE(grid->InplaceEditor()->isVisible());
    grid->SetDesigning(false);
    ClickCell(*grid, 1, 3);
    EXPECT_TRUE(grid->InplaceEditor()->isVisible());
}

TEST(GridGeometry, CellsOfNoExtentTakeNoRoom) {
    // Rows 2..4 of height 0 without grid lines: never hit, and row 5
    // follows row 1 directly.
    auto grid = ShownGrid(3, 8);
    grid->SetGridLineWidth(0);
    grid->SetDefaultRowHeight(20);
    for (int r = 2; r <= 4; ++r)
        grid->SetRowHeights(r, 0);
    EXPECT_EQ(grid->CellRect(1, 5).top(), grid->CellRect(1, 1).bottom() + 1);
    EXPECT_TRUE(grid->CellRect(1, 3).isEmpty());
    const QPoint p = CellCenter(*grid, 1, 5);
    EXPECT_EQ(grid->MouseCoord(p.x(), p.y()), (TGridCoord{1, 5}));

    // Two billion rows of height 0: all of them fit, none can be hit, and
    // the last one can be made current.
    TStringGridEx huge;
    ReadGridText(QStringLiteral("object G: TStringGridEx\n  DefaultRowHeight = 0\n"
                                "  RowCount = 2147483647\n  GridLineWidth = 0\nend\n"),
                 huge);
    huge.resize(300, 200);
    ShowActive(&huge);
    EXPECT_EQ(huge.VisibleRowCount(), huge.RowCount() - huge.TopRow());
    EXPECT_EQ(huge.MouseCoord(40, 100).Y, -1);
    huge.SetRow(huge.RowCount() - 1);
    EXPECT_EQ(huge.Row(), huge.RowCount() - 1);
    EXPECT_FALSE(huge.grab().isNull());
}
