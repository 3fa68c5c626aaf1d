// Painting: draw states, the focus rectangle (never on a no-edit column),
// batched repaints and visiting only visible cells.
#include "GridTestSupport.h"

#include <QApplication>
#include <QImage>
#include <gtest/gtest.h>
#include <map>

using namespace quillary;
using namespace quillary::test;

namespace {

using TStates = std::map<std::pair<int, int>, TGridDrawState>;

// Paints the grid once and returns the draw state of every cell drawn.
TStates PaintStates(TStringGridEx& grid) {
    TStates states;
    auto old = grid.OnDrawCell;
    grid.OnDrawCell = [&](QObject*, int c, int r, const QRect&, TGridDrawState s) {
        states[{c, r}] = s;
    };
    grid.viewport()->repaint();
    grid.OnDrawCell = old;
    return states;
}

TGridDrawState At(const TStates& states, int col, int row) {
    const auto it = states.find({col, row});
    return it == states.end() ? TGridDrawState{} : it->second;
}

QImage ViewportImage(TStringGridEx& grid) {
    return grid.viewport()->grab().toImage();
}

// Whether any pixel along the inner edges of `r` differs from `background`.
bool EdgeMarked(const QImage& image, const QRect& r, const QColor& background) {
    for (int x = r.left(); x <= r.right(); ++x)
        for (int y : {r.top(), r.bottom()})
            if (image.pixelColor(x, y) != background) return true;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x : {r.left(), r.right()})
            if (image.pixelColor(x, y) != background) return true;
    return false;
}

} // namespace

TEST(GridPaint, DrawStatesOfFixedFocusedAndSelectedCells) {
    auto grid = ShownGrid(4, 6);
    grid->SetSelection(TGridRect{1, 2, 2, 3});
    TStates states = PaintStates(*grid);
    const std::tuple<int, int, TGridDrawState> cells[] = {
        {0, 0, {gdFixed}},    {2, 0, {gdFixed}}, {0, 4, {gdFixed}},
        {1, 2, {gdSelected}}, {3, 5, {}},        {2, 3, {gdSelected, gdFocused}},
    };
    for (const auto& [c, r, state] : cells)
        EXPECT_EQ(At(states, c, r), state) << c << "," << r;

    // The cell under an open editor is not drawn at all.
    grid->SetOptions(grid->Options() + goEditing);
    grid->SetSelection(TGridRect{2, 3, 2, 3});
    grid->ShowEditor();
    ASSERT_TRUE(grid->InplaceEditor()->isVisible());
    states = PaintStates(*grid);
    EXPECT_EQ(states.count(std::make_pair(2, 3)), 0u);
    EXPECT_EQ(states.count(std::make_pair(1, 3)), 1u);

    // Without the focus no cell is focused.
    grid->HideEditor();
    QWidget other;
    ShowActive(&other);
    states = PaintStates(*grid);
    EXPECT_EQ(At(states, 2, 3), TGridDrawState{gdSelected});
}

TEST(GridPaint, NoFocusRectangleOnANoEditColumn) {
    auto grid = ShownGrid(3, 5);
    grid->PropValues()->Items(2)->SetEditMode(emNoEdit);
    const QColor background = grid->PaintColor();

    grid->SetCol(1);
    QImage image = ViewportImage(*grid);
    EXPECT_TRUE(EdgeMarked(image, grid->CellRect(1, 1), background));

    grid->SetCol(2);
    image = ViewportImage(*grid);
    EXPECT_FALSE(EdgeMarked(image, grid->CellRect(2, 1), background));
    // The cell is still the focused one.
    EXPECT_TRUE(At(PaintStates(*grid), 2, 1).Contains(gdFocused));

    // goDrawFocusSelected paints the focused cell in the highlight colour.
    grid->SetOptions(grid->Options() + goDrawFocusSelected);
    image = ViewportImage(*grid);
    EXPECT_EQ(image.pixelColor(grid->CellRect(2, 1).center()),
              ColorToQColor(clHighlight, grid->palette()));
}

TEST(GridPaint, BatchedWritesRepaintOnceAtTheEnd) {
    auto grid = ShownGrid(3, 8);
    QCoreApplication::processEvents();
    int drawn = 0;
    grid->OnDrawCell = [&](QObject*, int, int, const QRect&, TGridDrawState) { ++drawn; };
    grid->SetUpdateState(true);
    for (int r = 1; r < 8; ++r)
        grid->SetCells(1, r, QString::number(r));
    QCoreApplication::processEvents();
    EXPECT_EQ(drawn, 0);
    grid->SetUpdateState(false);
    QCoreApplication::processEvents();
    EXPECT_GE(drawn, 3 * 8); // the whole grid
    drawn = 0;
    grid->SetCells(2, 3, QStringLiteral("x"));
    QCoreApplication::processEvents();
    EXPECT_GE(drawn, 1);
    EXPECT_LT(drawn, 3 * 8); // one cell, not the grid
}

TEST(GridPaint, OnlyVisibleCellsArePainted) {
    auto grid = ShownGrid(1000, 1000000, 400, 300);
    grid->SetTopRow(500000);
    grid->SetLeftCol(700);
    int drawn = 0;
    int maxRow = 0;
    grid->OnDrawCell = [&](QObject*, int, int r, const QRect&, TGridDrawState) {
        ++drawn;
        maxRow = std::max(maxRow, r);
    };
    grid->viewport()->repaint();
    const int visible = (grid->VisibleColCount() + 2) * (grid->VisibleRowCount() + 2);
    EXPECT_GT(drawn, 0);
    EXPECT_LE(drawn, visible);
    EXPECT_LT(maxRow, 500000 + grid->VisibleRowCount() + 2);
}
