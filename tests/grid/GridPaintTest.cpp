// Painting: draw states, the focus rectangle (never on a no-edit column),
// batched repaints, visiting only visible cells, and a picture of a grid with
// its pick list open (saved for a look; QUILLARY_GRID_SNAPSHOTS=<dir> keeps it).
#include "GridTestSupport.h"
#include "TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QTest>
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
    EXPECT_EQ(At(states, 0, 0), TGridDrawState{gdFixed});
    EXPECT_EQ(At(states, 2, 0), TGridDrawState{gdFixed});
    EXPECT_EQ(At(states, 0, 4), TGridDrawState{gdFixed});
    EXPECT_EQ(At(states, 1, 2), TGridDrawState{gdSelected});
    EXPECT_EQ((At(states, 2, 3)), (TGridDrawState{gdSelected, gdFocused}));
    EXPECT_EQ(At(states, 3, 5), TGridDrawState{});

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

TEST(GridPaint, PictureOfAGridWithItsPickListOpen) {
    QWidget window;
    window.resize(520, 300);
    auto* grid = new TStringGridEx(&window);
    grid->setGeometry(10, 10, 500, 200);
    grid->SetBorderStyle(bsSingle);
    grid->SetRowCount(9);
    grid->PropValues()->Items(0)->SetPropertyLabel(QStringLiteral("字段名或表达式"));
    grid->PropValues()->Items(1)->SetPropertyLabel(QStringLiteral("关系运算符"));
    grid->PropValues()->Items(1)->SetEditMode(emPickList);
    grid->PropValues()->Items(1)->SetPropertyValue(QStringLiteral("like"));
    grid->PropValues()->Items(1)->SetPickList(
        QStringList{"=", ">", "<", ">=", "<=", "<>", "like", "not like", "is", "in", "not in", ""});
    grid->AddPropertyCol(QStringLiteral("表达式"), QString(), emEllipsis);
    grid->AddPropertyCol(QStringLiteral("逻辑运算符"), QStringLiteral("and"), emPickList);
    grid->PropValues()->Items(3)->SetPickList(QStringList{"and", "or"});
    grid->SetFixedCols(0);
    grid->SetColWidths(0, 160);
    grid->SetColWidths(1, 90);
    grid->SetColWidths(2, 160);
    grid->SetColWidths(3, 77);
    grid->SetOptions(TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine,
                                  goRangeSelect, goDrawFocusSelected, goColSizing, goEditing,
                                  goTabs, goAlwaysShowEditor});
    const QStringList fields{"产品.产品名称", "订单.订购日期", "客户.公司名称"};
    for (int r = 0; r < fields.size(); ++r) {
        grid->SetCells(0, r + 1, fields.at(r));
        grid->SetCells(1, r + 1, QStringLiteral("="));
        grid->SetCells(2, r + 1, QStringLiteral("'值%1'").arg(r + 1));
        grid->SetCells(3, r + 1, QStringLiteral("and"));
    }
    ShowActive(&window);
    grid->setFocus();
    grid->SetCol(1);
    grid->SetRow(2);
    TPropertyInplaceEdit* editor = grid->InplaceEditor();
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->isVisible());
    QTest::mouseClick(editor, Qt::LeftButton, {}, editor->ButtonRect().center());
    ASSERT_TRUE(editor->ListVisible());
    TPopupListbox* list = editor->ActiveList();
    QCoreApplication::processEvents();

    // The window with the list drawn where it stands on the screen.
    const QRect listRect(window.mapFromGlobal(list->geometry().topLeft()), list->size());
    QImage picture(window.size().expandedTo(QSize(listRect.right() + 1, listRect.bottom() + 1)),
                   QImage::Format_RGB32);
    picture.fill(Qt::darkGray);
    {
        QPainter p(&picture);
        p.drawPixmap(0, 0, window.grab());
        p.drawPixmap(listRect.topLeft(), list->grab());
    }
    const QString dir = qEnvironmentVariableIsSet("QUILLARY_GRID_SNAPSHOTS")
                            ? qEnvironmentVariable("QUILLARY_GRID_SNAPSHOTS")
                            : TestDir();
    QDir().mkpath(dir);
    EXPECT_TRUE(picture.save(QDir(dir).filePath(QStringLiteral("grid-picklist-open.png"))));
    EXPECT_TRUE(window.grab().save(QDir(dir).filePath(QStringLiteral("grid-picklist.png"))));

    // The list hangs below the editor, as wide as the column at least, and
    // highlights the column's value.
    const QRect editorRect(window.mapFromGlobal(editor->mapToGlobal(QPoint(0, 0))), editor->size());
    EXPECT_EQ(listRect.top(), editorRect.bottom() + 1);
    EXPECT_EQ(listRect.left(), editorRect.left());
    EXPECT_GE(list->viewport()->width(), grid->ColWidths(1));
    EXPECT_EQ(list->currentItem()->text(), QStringLiteral("like"));
    const QImage listImage = list->grab().toImage();
    const QRect current = list->visualItemRect(list->currentItem());
    const QPoint inCurrent =
        list->viewport()->mapTo(list, QPoint(current.right() - 3, current.center().y()));
    EXPECT_EQ(listImage.pixelColor(inCurrent), list->palette().color(QPalette::Highlight));
    editor->CloseUp(false);
}
