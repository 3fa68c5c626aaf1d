#include "DesignerTestSupport.h"

#include "grid/PropertyInplaceEdit.h"
#include "grid/StringGridEx.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

namespace {

const QString kMarker = QString::fromUtf8(kDescendingMarker);

void Select(QListWidget* list, const QString& text) {
    const auto found = list->findItems(text, Qt::MatchExactly);
    ASSERT_FALSE(found.isEmpty()) << text.toStdString();
    list->setCurrentItem(found.first(), QItemSelectionModel::ClearAndSelect);
}

QStringList Column0(const TStringGridEx* grid) {
    QStringList cells;
    for (int row = 1; row < grid->RowCount(); ++row)
        cells << grid->GetCells(0, row);
    return cells;
}

} // namespace

class ColumnPagesTest : public DesignerFormTest {
protected:
    void SetUp() override {
        DesignerFormTest::SetUp();
        OpenForm(SampleCsn(), false);
        form->show();
    }
    // A grid of the form with the given first-column cells, focused, with
    // the current row `row`.
    TStringGridEx* Grid(const QStringList& cells, int row) {
        TStringGridEx* grid = form->ConditionList;
        form->PageControl1->setCurrentIndex(TFrm_Quillary::pgCondition);
        grid->SetRowCount(int(cells.size()) + 1);
        for (int i = 0; i < cells.size(); ++i)
            grid->SetCells(0, i + 1, cells[i]);
        grid->setFocus();
        grid->SetRow(row);
        return grid;
    }
};

// The moves are the design's; here the selection, double clicks and drags
// reach them.
TEST_F(ColumnPagesTest, SortAndGroupListsMoveTheSelectedItem) {
    form->OrderList->addItems({"t.a", "t.b"});
    Select(form->OrderList, "t.b");
    form->OrderListDblClick();
    EXPECT_EQ(Texts(form->OrderColumn), QStringList{kMarker + "t.b"});
    EXPECT_EQ(form->OrderColumn->item(0)->checkState(), Qt::Unchecked) << "ascending";
    EXPECT_EQ(Texts(form->OrderList), QStringList{"t.a"});
    form->OrderListDblClick(); // the moved item took the selection with it
    EXPECT_EQ(Texts(form->OrderList), QStringList{"t.a"});
    form->OrderColumn->item(0)->setCheckState(Qt::Checked);
    Select(form->OrderColumn, kMarker + "t.b");
    form->OrderListDragDrop(form->OrderColumn);
    EXPECT_EQ(form->OrderColumn->count(), 0);
    EXPECT_EQ(Texts(form->OrderList), (QStringList{"t.a", "t.b"}));

    // Drags come only from the partner list; a drop on itself changes nothing.
    EXPECT_FALSE(form->OrderListDragOver(form->OrderList));
    EXPECT_FALSE(form->OrderListDragOver(form->GroupColumn));
    EXPECT_TRUE(form->OrderColumnDragOver(form->OrderColumn));
    form->OrderColumnDragDrop(form->OrderColumn);
    EXPECT_EQ(form->OrderColumn->count(), 0);
    form->OrderList->clearSelection();
    form->OrderListDblClick(); // nothing selected
    EXPECT_EQ(form->OrderColumn->count(), 0);

    form->GroupList->addItems({"t.a", "t.b"});
    Select(form->GroupList, "t.b");
    form->GroupColumnDragDrop(form->GroupList);
    EXPECT_EQ(Texts(form->GroupColumn), QStringList{"t.b"});
    Select(form->GroupColumn, "t.b");
    form->GroupColumnDblClick();
    EXPECT_EQ(Texts(form->GroupList), (QStringList{"t.a", "t.b"}));
    Select(form->GroupList, "t.a");
    form->GroupListDblClick();
    form->GroupListDblClick();
    EXPECT_EQ(Texts(form->GroupColumn), QStringList{"t.a"});
    EXPECT_FALSE(form->GroupColumnDragOver(form->OrderList));
}

TEST_F(ColumnPagesTest, InsertedRowsOpenAboveOrBelowTheCurrentRow) {
    const struct {
        QAction* TFrm_Quillary::*Item;
        QStringList Expected;
        int Current;
    } cases[] = {
        {&TFrm_Quillary::N_InsUp, {"A", "B", "", "C", "D"}, 3},
        {&TFrm_Quillary::N_InsDown, {"A", "B", "C", "", "D"}, 4},
    };
    for (const auto& c : cases) {
        TStringGridEx* grid = Grid({"A", "B", "C", "D"}, 3);
        (form.get()->*c.Item)->trigger();
        EXPECT_EQ(Column0(grid), c.Expected);
        EXPECT_EQ(grid->Row(), c.Current);
    }
    // A blank last row is reused instead of growing the grid.
    TStringGridEx* grid = Grid({"A", "B", ""}, 1);
    form->N_InsUp->trigger();
    EXPECT_EQ(Column0(grid), (QStringList{"", "A", "B"}));
}

TEST_F(ColumnPagesTest, RowsAreDeletedAndCleared) {
    TStringGridEx* grid = Grid({"A", "B", "C", "D"}, 2);
    form->N_DeleteSingle->trigger();
    EXPECT_EQ(Column0(grid), (QStringList{"A", "C", "D"}));
    grid->SetSelection(TGridRect{0, 1, 3, 2});
    form->N_DeleteMulti->trigger();
    EXPECT_EQ(Column0(grid), QStringList{"D"});
    form->N_DeleteSingle->trigger();
    EXPECT_EQ(grid->RowCount(), 1) << "only the caption row is left";
    form->N_InsUp->trigger();
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(grid->GetCells(0, 0), "字段名或表达式") << "the caption row stays";

    grid = Grid({"A", "B", "C"}, 1);
    grid->SetCells(2, 2, "x");
    grid->SetSelection(TGridRect{0, 2, 3, 3});
    form->N_ClearMultiLine->trigger();
    EXPECT_EQ(Column0(grid), (QStringList{"A", "", ""}));
    EXPECT_EQ(grid->GetCells(2, 2), QString());
    EXPECT_EQ(grid->RowCount(), 4) << "clearing keeps the rows";

    // Without a page grid in focus the commands do nothing.
    form->Memo1->setFocus();
    form->N_DeleteSingle->trigger();
    EXPECT_EQ(grid->RowCount(), 4);
}

TEST_F(ColumnPagesTest, SubQueryItemOnlyWithTheCaretInsideABracketedSelect) {
    TStringGridEx* grid = Grid({""}, 1);
    grid->SetCol(2);
    grid->SetEditorMode(true);
    TPropertyInplaceEdit* editor = grid->InplaceEditor();
    ASSERT_NE(editor, nullptr);
    editor->setText("a > (select max(x) from t) and b in (1)");
    for (const auto& [caret, shown] : {std::pair{12, true}, {2, false}, {37, false}}) {
        editor->setCursorPosition(caret);
        form->PopupMenu1Change();
        EXPECT_EQ(form->ReForge->isVisible(), shown) << caret;
        EXPECT_EQ(form->M_Line->isVisible(), shown) << caret;
    }
}

TEST_F(ColumnPagesTest, DisplayListSelectsOnlyItsAliasAndDoubleClickTogglesRowSelection) {
    for (int col = 0; col < 4; ++col) {
        bool can = true;
        form->DisplayListSelectCell(col, 1, can);
        EXPECT_EQ(can, col == 2) << col;
    }
    form->PageControl1->setCurrentIndex(TFrm_Quillary::pgCompute);
    EXPECT_FALSE(form->Sp_Select->isChecked());
    form->DisplayListDblClick(form->ComputeColumnList);
    EXPECT_TRUE(form->Sp_Select->isChecked());
    EXPECT_TRUE(form->ComputeColumnList->Options().Contains(goRowSelect));
    form->DisplayListDblClick(form->ComputeColumnList);
    EXPECT_TRUE(form->ComputeColumnList->Options().Contains(goEditing));
}
