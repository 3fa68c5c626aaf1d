// TStringGridEx as a data structure: construction values, cell storage,
// counts and fixed rows/columns, extents, the update batch, editing hooks,
// row and column moves, and the errors of misuse.
#include "GridTestSupport.h"

#include "grid/StringPrGridStrings.h"

#include <QSignalSpy>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

using namespace quillary;
using namespace quillary::test;

TEST(StringGridEx, ReadingCreatesNothingWritingCreatesOneRow) {
    // A fresh grid (see the streaming tests for the stored values) is as
    // large as its cells and holds none.
    TStringGridEx grid;
    EXPECT_EQ(grid.size(), QSize(2 * 80, 8 * 17));
    EXPECT_EQ(std::make_tuple(grid.FixedRows(), grid.FixedCols(), grid.FixedTitleRow()),
              std::make_tuple(1, 1, true));
    EXPECT_EQ(grid.DataRowCount(), 0);
    EXPECT_EQ(grid.GetCells(3, 100), QString());
    EXPECT_EQ(grid.GetObjects(3, 100), nullptr);
    EXPECT_EQ(grid.DataRowCount(), 0);

    grid.SetCells(3, 100, QStringLiteral("字段"));
    EXPECT_EQ(grid.DataRowCount(), 1);
    EXPECT_TRUE(grid.HasDataRow(100));
    EXPECT_EQ(grid.GetCells(3, 100), QStringLiteral("字段"));
    EXPECT_EQ(grid.GetCells(2, 100), QString());

    QObject tag;
    grid.SetObjects(0, 100, &tag);
    EXPECT_EQ(grid.GetObjects(0, 100), &tag);
    EXPECT_EQ(grid.GetCells(0, 100), QString());
    EXPECT_EQ(grid.DataRowCount(), 1);

    // Cells beyond the counts are storage like any other.
    grid.SetCells(50, 200, QStringLiteral("far"));
    EXPECT_EQ(grid.GetCells(50, 200), QStringLiteral("far"));

    EXPECT_THROW(grid.SetCells(-1, 0, QStringLiteral("x")), EInvalidGridOperation);
    EXPECT_THROW(grid.SetObjects(0, -1, nullptr), EInvalidGridOperation);
    EXPECT_EQ(grid.GetCells(-1, -1), QString());
}

TEST(StringGridEx, RowListsTakeTheLargeQuantumForWideGrids) {
    TStringGridEx narrow;
    narrow.SetCells(1, 1, QStringLiteral("a"));
    EXPECT_EQ(narrow.RowStore().Get(1)->List().Quantum(), TSPAQuantum::SPASmall);
    // The row store was made by the constructor (8 rows): small, and it stays so.
    EXPECT_EQ(narrow.RowStore().Quantum(), TSPAQuantum::SPASmall);

    TStringGridEx wide;
    wide.SetColCount(513);
    wide.SetCells(1, 1, QStringLiteral("a"));
    EXPECT_EQ(wide.RowStore().Get(1)->List().Quantum(), TSPAQuantum::SPALarge);
    wide.SetColCount(2); // the row keeps the quantum it was made with
    EXPECT_EQ(wide.RowStore().Get(1)->List().Quantum(), TSPAQuantum::SPALarge);
}

TEST(StringGridEx, RowAndColumnCounts) {
    TStringGridEx grid;
    grid.SetRowCount(0);
    EXPECT_EQ(grid.RowCount(), 1);
    EXPECT_EQ(grid.FixedRows(), 0);

    TStringGridEx g2;
    g2.SetColCount(-5);
    EXPECT_EQ(g2.ColCount(), 1);
    EXPECT_EQ(g2.FixedCols(), 0);

    // Shrinking clamps the current cell and the selection into range.
    TStringGridEx g3;
    g3.SetColCount(5);
    g3.SetRowCount(20);
    g3.SetSelection(TGridRect{2, 5, 4, 15});
    g3.SetRowCount(10);
    EXPECT_EQ(g3.Row(), 9);
    EXPECT_EQ(g3.GetSelection().Bottom, 9);
    g3.SetColCount(3);
    EXPECT_EQ(g3.Col(), 2);
    EXPECT_LE(g3.GetSelection().Right, 2);
}

TEST(StringGridEx, MisuseRaisesTheComponentLibrarysTextsAndChangesNothing) {
    TStringGridEx grid;
    const QString outOfRange = QStringLiteral("Grid index out of range");
    const QString noInsert = QStringLiteral("Cannot insert or delete rows from grid");
    const std::pair<std::function<void()>, QString> cases[] = {
        {[&] { grid.SetFixedRows(grid.RowCount()); },
         QStringLiteral("Fixed row count must be less than row count")},
        {[&] { grid.SetFixedCols(2); },
         QStringLiteral("Fixed column count must be less than column count")},
        {[&] { grid.SetFixedRows(-1); }, outOfRange},
        {[&] { grid.SetColWidths(2, 10); }, outOfRange},
        {[&] { grid.SetRowHeights(-1, 10); }, outOfRange},
        {[&] { grid.SetTabStops(5, false); }, outOfRange},
        {[&] { grid.SetCol(2); }, outOfRange},
        {[&] { grid.SetRow(8); }, outOfRange},
        {[&] { grid.MoveRow(0, 8); }, outOfRange},
        {[&] {
             grid.SetSelection(TGridRect{0, 0, 2, 1});
         },
         outOfRange},
        {[&] { grid.Rows(1)->Insert(0, QStringLiteral("x")); }, noInsert},
        {[&] { grid.Cols(1)->Delete(0); }, noInsert},
    };
    for (const auto& [op, text] : cases) {
        QString message = QStringLiteral("<no exception>");
        try {
            op();
        } catch (const EInvalidGridOperation& e) {
            message = e.Message();
        }
        EXPECT_EQ(message, text);
    }
    EXPECT_EQ(grid.FixedRows(), 1);
    EXPECT_FALSE(grid.HasColWidths()) << "a failed write creates nothing";

    // Per-row heights cap the row count; the grid stays as it was.
    grid.SetRowHeights(1, 30);
    EXPECT_THROW(grid.SetRowCount(MaxGridExtents), EInvalidGridOperation);
    EXPECT_EQ(grid.RowCount(), 8);
    EXPECT_EQ(grid.RowHeights(1), 30);
    // Without per-column widths a very wide grid is fine: nothing is allocated per column.
    grid.SetColCount(MaxGridExtents);
    EXPECT_EQ(grid.ColCount(), MaxGridExtents);
}

TEST(StringGridEx, FixedTitleRowMovesTheCurrentCell) {
    TStringGridEx grid;
    grid.SetFixedTitleRow(false);
    EXPECT_EQ(grid.FixedRows(), 0);
    EXPECT_EQ(grid.Row(), 0); // the current cell goes to the first non-fixed cell
    grid.SetFixedTitleRow(true);
    EXPECT_EQ(grid.FixedRows(), 1);
    EXPECT_EQ(grid.Row(), 1);
    // A one-row grid cannot keep a fixed title row.
    grid.SetRowCount(1);
    EXPECT_EQ(grid.FixedRows(), 0);
    EXPECT_THROW(grid.SetFixedTitleRow(true), EInvalidGridOperation);
}

TEST(StringGridEx, ExtentsAreKeptOnlyOnceSetAndDroppedByTheDefault) {
    TStringGridEx grid;
    grid.SetColCount(4);
    grid.SetColWidths(2, 33);
    EXPECT_TRUE(grid.HasColWidths());
    grid.SetColCount(6); // new columns take the default
    EXPECT_EQ((QList<int>{grid.ColWidths(1), grid.ColWidths(2), grid.ColWidths(5)}),
              (QList<int>{80, 33, 80}));
    grid.SetDefaultColWidth(50); // discards the individual widths
    EXPECT_FALSE(grid.HasColWidths());
    EXPECT_EQ(grid.ColWidths(2), 50);

    grid.SetRowHeights(3, 40);
    grid.SetDefaultRowHeight(17);
    EXPECT_FALSE(grid.HasRowHeights());
    EXPECT_EQ(grid.RowHeights(3), 17);

    EXPECT_TRUE(grid.TabStops(1));
    grid.SetTabStops(1, false);
    EXPECT_FALSE(grid.TabStops(1));
    EXPECT_TRUE(grid.TabStops(2));
}

TEST(StringGridEx, SetEditTextWritesOnlyChangesButAlwaysReports) {
    TStringGridEx grid;
    grid.SetCells(1, 2, QStringLiteral("abc"));
    const TStrItem* record = grid.RowStore().Get(2)->List().Get(1);
    QStringList reports;
    grid.OnSetEditText = [&](QObject* sender, int c, int r, const QString& v) {
        EXPECT_EQ(sender, &grid);
        reports << QStringLiteral("%1,%2:%3").arg(c).arg(r).arg(v);
    };
    grid.SetEditText(1, 2, QStringLiteral("abc"));
    EXPECT_EQ(grid.RowStore().Get(2)->List().Get(1), record); // not rewritten
    grid.SetEditText(1, 2, QStringLiteral("abd"));
    EXPECT_EQ(reports, (QStringList{"1,2:abc", "1,2:abd"}));
    EXPECT_EQ(grid.GetCells(1, 2), QStringLiteral("abd"));
    EXPECT_EQ(grid.EditUpdateCount(), 0); // balanced

    grid.OnGetEditText = [](QObject*, int, int, QString& v) { v = v.toUpper(); };
    EXPECT_EQ(grid.GetEditText(1, 2), QStringLiteral("ABD"));
    grid.OnGetEditMask = [](QObject*, int c, int, QString& v) {
        if (c == 1) v = QStringLiteral("000;1;_");
    };
    EXPECT_EQ(grid.GetEditMask(1, 2), QStringLiteral("000;1;_"));
    EXPECT_EQ(grid.GetEditMask(0, 2), QString());
}

TEST(StringGridEx, SelectCellHookCanRefuseACell) {
    TStringGridEx grid;
    grid.SetColCount(3);
    grid.SetRowCount(5);
    grid.OnSelectCell = [](QObject*, int c, int, bool& can) { can = c == 2; };
    grid.SetRow(3); // column 1 is refused in every row
    EXPECT_EQ(grid.Row(), 1);
    grid.SetCol(2);
    grid.SetRow(3);
    EXPECT_EQ(Current(grid), (TGridCoord{2, 3}));
    // Writing the selection does not ask.
    grid.SetSelection(TGridRect{1, 4, 1, 4});
    EXPECT_EQ(Current(grid), (TGridCoord{1, 4}));
    // It is the rectangle of anchor and current cell.
    grid.SetSelection(TGridRect{1, 2, 2, 4});
    EXPECT_EQ(grid.Anchor(), (TGridCoord{1, 2}));
    EXPECT_EQ(Current(grid), (TGridCoord{2, 4}));
    grid.SetRow(3); // moving the current cell collapses the selection
    EXPECT_EQ(grid.GetSelection(), (TGridRect{2, 3, 2, 3}));
}

TEST(StringGridEx, MoveRowAndColumnCarryCellsExtentsAndTheCurrentCell) {
    TStringGridEx grid;
    grid.SetColCount(3);
    grid.SetRowCount(6);
    FillColumn(grid, 1, 1, {"A", "B", "C", "D", "E"});
    grid.SetRowHeights(1, 30);
    grid.SetRow(1);
    std::vector<std::pair<int, int>> moved;
    grid.OnRowMoved = [&](QObject*, int from, int to) { moved.emplace_back(from, to); };
    grid.MoveRow(1, 4);
    EXPECT_EQ(ColumnTexts(grid, 1, 1, 5), (QStringList{"B", "C", "D", "A", "E"}));
    EXPECT_EQ(grid.RowHeights(4), 30);
    EXPECT_EQ(grid.RowHeights(1), 17);
    EXPECT_EQ(grid.Row(), 4); // the current row went with it
    grid.MoveRow(5, 1);
    EXPECT_EQ(ColumnTexts(grid, 1, 1, 5), (QStringList{"E", "B", "C", "D", "A"}));
    EXPECT_EQ(grid.Row(), 5);
    EXPECT_EQ(moved, (std::vector<std::pair<int, int>>{{1, 4}, {5, 1}}));

    grid.PropValues()->Items(1)->SetPropertyLabel(QStringLiteral("一"));
    grid.PropValues()->Items(2)->SetPropertyLabel(QStringLiteral("二"));
    grid.SetCells(2, 1, QStringLiteral("x"));
    int columnMoves = 0;
    grid.OnColumnMoved = [&](QObject*, int, int) { ++columnMoves; };
    grid.MoveColumn(2, 1);
    EXPECT_EQ(columnMoves, 1);
    EXPECT_EQ(grid.GetCells(1, 1), QStringLiteral("x"));
    EXPECT_EQ(grid.GetCells(2, 1), QStringLiteral("E"));
    // The cells of row 0 moved, the definitions did not.
    EXPECT_EQ(grid.GetCells(1, 0), QStringLiteral("二"));
    EXPECT_EQ(grid.PropValues()->Items(1)->PropertyLabel(), QStringLiteral("一"));
}

TEST(StringGridEx, DeletedRowsAndColumnsDoNotComeBack) {
    TStringGridEx grid;
    grid.SetColCount(3);
    grid.SetRowCount(5);
    FillColumn(grid, 1, 1, {"A", "B", "C", "D"});
    grid.DeleteRow(2);
    EXPECT_EQ(grid.RowCount(), 4);
    EXPECT_EQ(ColumnTexts(grid, 1, 1, 3), (QStringList{"A", "C", "D"}));
    grid.SetRowCount(5);
    EXPECT_EQ(grid.GetCells(1, 4), QString());

    grid.SetCells(2, 1, QStringLiteral("z"));
    grid.DeleteColumn(1);
    EXPECT_EQ(grid.ColCount(), 2);
    EXPECT_EQ(grid.GetCells(1, 1), QStringLiteral("z"));
    grid.SetColCount(3);
    EXPECT_EQ(grid.GetCells(2, 1), QString());
}

TEST(StringGridEx, ClientAutoFitSharesTheClientWidth) {
    TStringGridEx grid;
    grid.resize(201, 200);
    grid.SetClientAutoFit(true);
    EXPECT_EQ(grid.ColWidths(0), 99);
    EXPECT_EQ(grid.ColWidths(1), 99);
    ShowActive(&grid);
    grid.resize(301, 200);
    QCoreApplication::processEvents();
    EXPECT_EQ(grid.viewport()->width(), 301);
    EXPECT_EQ(grid.ColWidths(0), 149);
    EXPECT_EQ(grid.ColWidths(1), 149);

    // Only the two first columns follow; a one-column grid is no problem.
    TStringGridEx one;
    one.SetColCount(1);
    one.resize(101, 50);
    one.SetClientAutoFit(true);
    EXPECT_EQ(one.ColWidths(0), 49);
}

TEST(StringGridEx, TopRowAndLeftColScrollWithinTheGrid) {
    TStringGridEx grid;
    grid.SetColCount(10);
    grid.SetRowCount(100);
    grid.resize(300, 200);
    EXPECT_EQ(grid.TopRow(), 1);
    EXPECT_THROW(grid.SetTopRow(0), EInvalidGridOperation); // a fixed row
    EXPECT_THROW(grid.SetTopRow(100), EInvalidGridOperation);
    int changes = 0;
    grid.OnTopLeftChanged = [&](QObject*) { ++changes; };
    grid.SetLeftCol(3);
    EXPECT_EQ(grid.LeftCol(), 3);
    EXPECT_EQ(changes, 1);
    // Making a cell current scrolls it into view.
    grid.SetRow(99);
    EXPECT_GT(grid.TopRow(), 80);
    EXPECT_LE(grid.Row(), grid.TopRow() + grid.VisibleRowCount() - 1);
    grid.SetRow(1);
    EXPECT_EQ(grid.TopRow(), 1);
}

TEST(StringGridEx, GeometryQueries) {
    TStringGridEx grid;
    grid.SetColCount(4);
    grid.SetRowCount(20);
    grid.resize(400, 200);
    // 80-pixel columns and 17-pixel rows, with 1-pixel lines.
    EXPECT_EQ(grid.CellRect(0, 0), QRect(0, 0, 80, 17));
    EXPECT_EQ(grid.CellRect(2, 3), QRect(162, 54, 80, 17));
    int c = 0, r = 0;
    grid.MouseToCell(165, 60, c, r);
    EXPECT_EQ((TGridCoord{c, r}), (TGridCoord{2, 3}));
    grid.MouseToCell(395, 60, c, r); // right of the last column
    EXPECT_EQ((TGridCoord{c, r}), (TGridCoord{-1, -1}));
    EXPECT_EQ(grid.MouseCoord(10, 10), (TGridCoord{0, 0}));
    // Cells scrolled out of view have no rectangle.
    grid.SetTopRow(10);
    EXPECT_TRUE(grid.CellRect(1, 5).isEmpty());
    EXPECT_EQ(grid.CellRect(1, 10), QRect(81, 18, 80, 17));
    EXPECT_EQ(grid.CellRect(1, 0), QRect(81, 0, 80, 17)); // the fixed row stays
    EXPECT_EQ(grid.VisibleColCount(), 3);
    grid.SetGridLineWidth(3);
    EXPECT_EQ(grid.CellRect(1, 0), QRect(83, 0, 80, 17));
}

TEST(StringGridEx, ExtremeExtentsAndPointsStayWithinRange) {
    auto grid = ShownGrid(6, 10, 300, 200);
    grid->SetFixedCols(4);
    grid->SetDefaultColWidth(std::numeric_limits<int>::max());
    grid->SetRowHeights(3, std::numeric_limits<int>::max());
    grid->SetGridLineWidth(std::numeric_limits<int>::max());
    EXPECT_EQ(grid->GridLineWidth(), MaxGridLineWidth);
    grid->SetGridLineWidth(1);
    grid->viewport()->repaint();
    int c = 0, r = 0;
    grid->MouseToCell(std::numeric_limits<int>::max(), std::numeric_limits<int>::max(), c, r);
    EXPECT_EQ(c, -1);
    grid->MouseToCell(std::numeric_limits<int>::min(), 5, c, r);
    EXPECT_EQ(c, -1);
    EXPECT_FALSE(grid->CellRect(0, 0).isEmpty());
    EXPECT_GE(grid->VisibleColCount(), 0);
    PressKey(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(grid->Row(), 9);
    grid->SetDefaultColWidth(-50); // negative widths hide columns
    grid->viewport()->repaint();
    grid->MouseToCell(10, 10, c, r);
    EXPECT_EQ(c, -1);
}
