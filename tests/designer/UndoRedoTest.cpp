#include "CanvasTestSupport.h"

#include "designer/QuillaryDialog.h"
#include "grid/StringGridEx.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

namespace {

struct TState {
    QString Sql;
    QStringList StateText;
    int Boxes;
    bool operator==(const TState&) const = default;
};

void PrintTo(const TState& s, std::ostream* os) {
    *os << s.Boxes << " boxes, ";
    ::PrintTo(s.Sql, os);
    *os << "\n";
    ::PrintTo(s.StateText, os);
}

} // namespace

class UndoRedoTest : public CanvasFixture {
protected:
    TState State() { return {form->GetSQL(), form->GetSQLSet(), int(canvas()->Tables().size())}; }
};

TEST_F(UndoRedoTest, EveryKindOfEditIsUndoneAndRedoneExactly) {
    Open();
    dialog.IsAllowUnion = true;
    TQBTable* orders = nullptr;
    TQBTable* customers = nullptr;
    const std::vector<std::pair<const char*, std::function<void()>>> edits = {
        {"place a table", [&] { orders = Place("orders"); }},
        {"place another", [&] { customers = Place("customers"); }},
        {"tick columns",
         [&] {
             orders->FieldList->item(Row(orders, "OrderID"))->setCheckState(Qt::Checked);
             customers->FieldList->item(Row(customers, "City"))->setCheckState(Qt::Checked);
         }},
        {"link them",
         [&] {
             canvas()->InsertLink(customers, orders, Row(customers, "CustomerID"),
                                  Row(orders, "CustomerID"));
         }},
        {"make the link outer", [&] { canvas()->Links().first()->JoinType = 1; }},
        {"give an alias",
         [&] {
             ui.AnswerInput("c");
             customers->_InputByName();
         }},
        {"move a box", [&] { orders->move(orders->x() + 40, orders->y() + 30); }},
        {"a condition",
         [&] {
             form->ConditionList->SetCells(0, 1, "orders.Freight");
             form->ConditionList->SetCells(1, 1, ">");
             form->ConditionList->SetCells(2, 1, "5");
         }},
        {"a computed column", [&] { form->ComputeColumnList->SetCells(0, 1, "count(*)"); }},
        {"a group column",
         [&] {
             form->GroupList->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
             form->GroupListDblClick();
         }},
        {"a sort column",
         [&] {
             form->OrderList->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
             form->OrderListDblClick();
         }},
        {"distinct", [&] { form->CheckBox1->setChecked(true); }},
        {"a union set",
         [&] {
             TQuillaryDialog* set = form->NewUnionSet();
             set->SQL = "select City from suppliers";
         }},
        {"close a box", [&] { orders->_CloseBtn(); }},
        {"rebuild from text", [&] { form->Forge("select ProductName from products order by 1"); }},
    };
    std::vector<TState> states{State()};
    for (const auto& [what, edit] : edits) {
        edit();
        QApplication::processEvents(); // boxes closed later are gone
        form->Checkpoint();
        states.push_back(State());
        EXPECT_NE(states.back(), states[states.size() - 2]) << what << " changed nothing";
    }
    for (size_t i = states.size() - 1; i > 0; --i) {
        ASSERT_TRUE(form->CanUndo()) << i;
        form->UndoClick();
        EXPECT_EQ(State(), states[i - 1]) << "undoing " << edits[i - 1].first;
    }
    EXPECT_FALSE(form->CanUndo());
    EXPECT_FALSE(form->TB_Undo->isEnabled());
    for (size_t i = 1; i < states.size(); ++i) {
        form->RedoClick();
        EXPECT_EQ(State(), states[i]) << "redoing " << edits[i - 1].first;
    }
    EXPECT_FALSE(form->TB_Redo->isEnabled());
}

TEST_F(UndoRedoTest, AFinishedMouseActionIsOneStepAndTheKeysUndoIt) {
    Open();
    QApplication::setActiveWindow(form.get());
    TQBTable* box = Place("orders");
    form->Checkpoint();
    const QPoint before = box->pos();
    // A move by the title: many steps of the mouse, one edit.
    const QPoint grip(30, 8);
    Mouse(box->Title, QEvent::MouseButtonPress, grip);
    for (int step = 1; step <= 5; ++step)
        Mouse(box->Title, QEvent::MouseMove, grip + QPoint(10 * step, 5 * step));
    Mouse(box->Title, QEvent::MouseButtonRelease, grip + QPoint(50, 25), Qt::LeftButton,
          Qt::NoButton);
    QApplication::processEvents();
    ASSERT_NE(box->pos(), before);
    EXPECT_TRUE(form->TB_Undo->isEnabled());

    QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(canvas()->Tables().size(), 1);
    EXPECT_EQ(canvas()->Tables().first()->pos(), before) << "the whole move undone at once";
    QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_NE(canvas()->Tables().first()->pos(), before);
    QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(form.get(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_NE(canvas()->Tables().first()->pos(), before);

    // "初始化界面" starts a new history.
    form->N_InitWin->trigger();
    EXPECT_FALSE(form->CanUndo());
    EXPECT_FALSE(form->CanRedo());
}
