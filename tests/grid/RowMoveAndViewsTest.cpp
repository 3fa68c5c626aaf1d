// Moving the selected rows as a block, and the string-list views of rows and
// columns.
#include "GridTestSupport.h"

#include "grid/StringPrGridStrings.h"

#include <QObject>
#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

namespace {

// Rows 1.. hold the given texts in columns 0 and 1 ("A" and "a", ...).
std::unique_ptr<TStringGridEx> GridWithRows(const QStringList& rows) {
    auto grid = std::make_unique<TStringGridEx>();
    grid->SetRowCount(int(rows.size()) + 1);
    for (int i = 0; i < rows.size(); ++i) {
        grid->SetCells(0, i + 1, rows.at(i));
        grid->SetCells(1, i + 1, rows.at(i).toLower());
    }
    return grid;
}

// "ABC" as {"A", "B", "C"}.
QStringList Letters(const QString& s) {
    return s.split(QString(), Qt::SkipEmptyParts);
}

void SelectRows(TStringGridEx& grid, int top, int bottom) {
    grid.SetSelection(TGridRect{1, top, 1, bottom});
}

} // namespace

TEST(MoveSelectedRow, BlocksMoveAndTheRowsTheyPassCloseTheGap) {
    // Rows "A".. with the selection top..bottom; `to` is the row the block's
    // first row moves to (Up: -1, Down: -2); then the rows and the selection.
    struct Case {
        QString rows;
        int top, bottom, to;
        QString after;
        int newTop, newBottom;
    };
    const Case cases[] = {
        {"ABCD", 3, 3, -1, "ACBD", 2, 2},  // up swaps with the row above
        {"ABCD", 2, 2, -2, "ACBD", 3, 3},  // down with the row below
        {"ABCD", 2, 3, 1, "BCAD", 1, 2},   // up with overlap
        {"ABCDE", 3, 5, 1, "CDEAB", 1, 3}, // the displaced rows keep their order
        {"ABCDE", 1, 2, 2, "CABDE", 2, 3}, // down with overlap
        {"ABCD", 1, 1, 3, "CBAD", 3, 3},   // no overlap: the blocks trade places
        {"ABC", 1, 1, -1, "ABC", 1, 1},    // row 0 is the fixed title row
        {"ABC", 3, 3, -2, "ABC", 3, 3},    // past the last row
        {"ABC", 2, 3, -2, "ABC", 2, 3},    // a block that would run past it stays
        {"ABC", 2, 2, -5, "ABC", 2, 2},    {"ABC", 2, 2, 2, "ABC", 2, 2}, // onto itself
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows.toStdString() + " " + std::to_string(c.top) + ".." +
                     std::to_string(c.bottom) + " to " + std::to_string(c.to));
        auto grid = GridWithRows(Letters(c.rows));
        SelectRows(*grid, c.top, c.bottom);
        if (c.to == -1)
            grid->MoveUp();
        else if (c.to == -2)
            grid->MoveDown();
        else
            grid->MoveSelectedRow(c.to);
        const int last = int(c.rows.size());
        EXPECT_EQ(ColumnTexts(*grid, 0, 1, last), Letters(c.after));
        EXPECT_EQ(ColumnTexts(*grid, 1, 1, last), Letters(c.after.toLower()));
        EXPECT_EQ(grid->GetSelection(), (TGridRect{1, c.newTop, 1, c.newBottom}));
        EXPECT_EQ(grid->Row(), c.newBottom); // the current cell is the block's last row
    }
}

TEST(MoveSelectedRow, ObjectsStayWithTheirRowNumbers) {
    auto grid = GridWithRows({"A", "B"});
    QObject first, second;
    grid->SetObjects(0, 1, &first);
    grid->SetObjects(0, 2, &second);
    SelectRows(*grid, 2, 2);
    grid->MoveUp();
    EXPECT_EQ(grid->GetCells(0, 1), QStringLiteral("B"));
    EXPECT_EQ(grid->GetObjects(0, 1), &first);
    EXPECT_EQ(grid->GetObjects(0, 2), &second);
}

TEST(MoveSelectedRow, MovingOnARowSelectGridKeepsWholeRowsSelected) {
    auto grid = GridWithRows({"A", "B", "C"});
    grid->SetOptions(grid->Options() + goRowSelect);
    grid->SetRow(2);
    grid->MoveDown();
    EXPECT_EQ(ColumnTexts(*grid, 0, 1, 3), (QStringList{"A", "C", "B"}));
    EXPECT_EQ(grid->GetSelection().Top, 3);
    EXPECT_EQ(grid->GetSelection().Bottom, 3);
}

TEST(GridStringViews, RowAndColumnViewsReadAndWriteThroughTheGrid) {
    TStringGridEx grid;
    grid.SetColCount(3);
    grid.SetRowCount(9);
    TStringPrGridStrings* row = grid.Rows(2);
    TStringPrGridStrings* col = grid.Cols(1);
    EXPECT_EQ(row, grid.Rows(2)); // cached
    EXPECT_EQ(row->ViewIndex(), 3);
    EXPECT_EQ(col->ViewIndex(), -2);
    EXPECT_EQ(row->Count(), 3);
    EXPECT_EQ(col->Count(), 9);

    row->Put(1, QStringLiteral("r2c1"));
    EXPECT_EQ(grid.GetCells(1, 2), QStringLiteral("r2c1"));
    EXPECT_EQ(col->Get(2), QStringLiteral("r2c1"));
    QObject tag;
    col->PutObject(4, &tag);
    EXPECT_EQ(grid.GetObjects(1, 4), &tag);
    EXPECT_EQ(col->GetObject(4), &tag);

    // The view of a written cell exists without being asked for.
    grid.SetCells(2, 7, QStringLiteral("x"));
    EXPECT_EQ(grid.Rows(7)->Get(2), QStringLiteral("x"));
    EXPECT_EQ(grid.Cols(2)->Get(7), QStringLiteral("x"));
    EXPECT_THROW(grid.Rows(-1), EInvalidGridOperation);

    // The empty view.
    TStringPrGridStrings empty(&grid, 0);
    EXPECT_EQ(empty.Count(), 0);
    EXPECT_EQ(empty.Get(3), QString());
    EXPECT_EQ(empty.GetObject(3), nullptr);
    EXPECT_EQ(empty.Add(QStringLiteral("x")), -1);
    empty.Clear();
}

TEST(GridStringViews, AddFillsTheFirstEmptyItemAndNeverGrows) {
    TStringGridEx grid;
    grid.SetColCount(3);
    TStringPrGridStrings* row = grid.Rows(2);
    row->Put(0, QStringLiteral("a"));
    EXPECT_EQ(row->Add(QStringLiteral("b")), 1);
    EXPECT_EQ(row->Add(QStringLiteral("c")), 2);
    EXPECT_EQ(row->Add(QStringLiteral("d")), -1); // every item holds text
    EXPECT_EQ(row->ToStringList(), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(grid.GetCells(3, 2), QString());
    EXPECT_THROW(row->Insert(0, QStringLiteral("x")), EInvalidGridOperation);
    EXPECT_THROW(row->Delete(0), EInvalidGridOperation);
    EXPECT_EQ(row->Count(), 3);
}

TEST(GridStringViews, ClearEmptiesWrittenCellsButKeepsTheRow) {
    TStringGridEx grid;
    grid.SetColCount(3);
    grid.SetRowCount(6);
    QObject tag;
    grid.Rows(2)->Assign(QStringList{"a", "b", "c"});
    grid.SetObjects(1, 2, &tag);
    grid.Rows(2)->Clear();
    EXPECT_EQ(grid.Rows(2)->ToStringList(), (QStringList{"", "", ""}));
    EXPECT_EQ(grid.GetObjects(1, 2), nullptr);
    EXPECT_TRUE(grid.HasDataRow(2)); // the row list stays

    grid.Cols(1)->Assign(QStringList{"0", "1", "2", "3", "4", "5"});
    grid.SetCells(2, 3, QStringLiteral("other column"));
    grid.Cols(1)->Clear();
    EXPECT_EQ(grid.Cols(1)->ToStringList(), QStringList(6, QString()));
    EXPECT_EQ(grid.GetCells(2, 3), QStringLiteral("other column"));
}

TEST(GridStringViews, AssignCopiesOnlyAsManyItemsAsBothHave) {
    TStringGridEx grid;
    grid.SetRowCount(9);
    grid.Cols(1)->Assign(QStringList{"0", "1", "2", "3", "4", "5", "6", "7", "8"});
    grid.Cols(1)->Assign(QStringList{"x", "y", "z"});
    EXPECT_EQ(ColumnTexts(grid, 1, 0, 8),
              (QStringList{"x", "y", "z", "3", "4", "5", "6", "7", "8"}));

    // From another view, strings and objects both.
    QObject tag;
    grid.SetObjects(1, 1, &tag);
    grid.Rows(4)->Assign(*grid.Cols(1)); // 2 items in a row of a 2-column grid
    EXPECT_EQ(grid.Rows(4)->ToStringList(), (QStringList{"x", "y"}));
    EXPECT_EQ(grid.GetObjects(1, 4), &tag);

    grid.SetRows(5, QStringList{"p", "q", "r"});
    EXPECT_EQ(grid.Rows(5)->ToStringList(), (QStringList{"p", "q"}));
    grid.SetCols(0, *grid.Rows(5));
    EXPECT_EQ(ColumnTexts(grid, 0, 0, 1), (QStringList{"p", "q"}));
}
