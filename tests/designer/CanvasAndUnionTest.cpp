#include "DesignerTestSupport.h"

#include "grid/StringGridEx.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

class CanvasTest : public DesignerFormTest {
protected:
    TQBArea* canvas() const { return form->Canvas(); }
    // Drags `widget` by `grip` to `to` (both in its own coordinates).
    static void Drag(QWidget* widget, const QPoint& grip, const QPoint& to) {
        QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, grip);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), widget->mapToGlobal(QPointF(to)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
        QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, to);
    }
};

TEST_F(CanvasTest, SurfaceColourHintAndMenu) {
    Open();
    EXPECT_EQ(canvas()->Surface()->palette().color(QPalette::Window), QColor(114, 143, 143));
    EXPECT_EQ(canvas()->toolTip(), "弹出菜单：插入SQL查询表\r\n              联合");
    QStringList captions;
    for (int i = 0; i < 4; ++i)
        captions << canvas()->MenuItem(i)->text();
    EXPECT_EQ(captions, QStringList({"插入SQL查询表", "联合", "打开工具箱", "打开数据表列表"}));
    EXPECT_TRUE(canvas()->MenuItem(TQBArea::kMenuInsertQTable)->isVisible());
    EXPECT_FALSE(canvas()->MenuItem(TQBArea::kMenuToolBox)->isVisible());
    EXPECT_FALSE(canvas()->MenuItem(TQBArea::kMenuTableList)->isVisible());
}

TEST_F(CanvasTest, BoxesListStarThenColumnsSizeToThemAndAreFoundByAnyCase) {
    Open();
    TQBTable* box = canvas()->InsertQTable(10, 10, "Emp", "select 1 as a, 2 as b, 3 as c");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(Texts(box->FieldList), QStringList({"*", "a", "b", "c"}));
    const int itemHeight = box->FieldList->sizeHintForRow(0);
    EXPECT_EQ(box->height(), itemHeight * 4 + 4 + 22);
    EXPECT_EQ(box->width(), box->FieldList->GetCheckW() + 20 + 110) << "short names: 110 wide";
    EXPECT_EQ(box->Kind, 'Q');
    EXPECT_EQ(canvas()->FindTable("emp"), box);
    EXPECT_EQ(canvas()->FindTable("EMP"), box);
    EXPECT_EQ(canvas()->FindTable("dept"), nullptr);

    QStringList many;
    for (int i = 0; i < 30; ++i)
        many << QStringLiteral("%1 as c%1").arg(i);
    TQBTable* wide = canvas()->InsertQTable(200, 10, "w", "select " + many.join(','));
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->height(), itemHeight * 10 + 4 + 22) << "at most ten rows shown";
    EXPECT_EQ(wide->width(), box->width()) << "a scrolling list is no wider";
}

TEST_F(CanvasTest, DroppingFromTheTableListInsertsAtThePoint) {
    Open();
    EXPECT_TRUE(canvas()->_DragOver(form->QBTables));
    EXPECT_FALSE(canvas()->_DragOver(form->Memo1));
    EXPECT_FALSE(canvas()->_DragOver(nullptr));
    form->QBTables->setCurrentItem(form->QBTables->findItems("products", Qt::MatchExactly).first());
    canvas()->_DragDrop(form->QBTables, QPoint(140, 90));
    ASSERT_EQ(canvas()->Tables().size(), 1);
    EXPECT_EQ(canvas()->Tables()[0]->pos(), QPoint(140, 90));
    canvas()->_DragDrop(form->Memo1, QPoint(300, 90));
    EXPECT_EQ(canvas()->Tables().size(), 1) << "only the table list is accepted";
}

TEST_F(CanvasTest, SubQueryTableThroughANestedDesigner) {
    Open();
    ExpectDesigner(ui, [](TFrm_Quillary& nested) {
        EXPECT_EQ(nested.windowTitle(), "SQL语句生成器--插入子查询表");
        EXPECT_TRUE(nested.Canvas()->MenuItem(TQBArea::kMenuUnion)->isVisible());
        EXPECT_FALSE(nested.ToolBar1->isVisibleTo(&nested));
        EXPECT_TRUE(nested.Forge("  select CustomerID, City from customers  "));
        return int(mrOk);
    });
    ui.AnswerInput("select").AnswerInput("big");
    canvas()->_InsertQTable();
    ASSERT_EQ(canvas()->Tables().size(), 1);
    TQBTable* box = canvas()->Tables()[0];
    EXPECT_EQ(box->GetTableName(), "big");
    EXPECT_EQ(box->SourceText, "select CustomerID,City\r\nfrom customers")
        << "the nested design's statement";
    EXPECT_EQ(box->pos(), QPoint(10, 10));
    EXPECT_EQ(ui.Log()[1].Caption, "请输入别名：");
    EXPECT_EQ(ui.Log()[1].Text, "别名： ");
    EXPECT_EQ(ui.Log()[2].Caption, "表的别名必须以字母开头中间可含有数字和字母！")
        << "a reserved word";
}

TEST_F(CanvasTest, SubQueryAndUnionNeedAWorkingConnection) {
    Open(SampleCsn(), false);
    const std::function<void()> actions[] = {
        [&] { canvas()->_InsertQTable(); }, [&] { form->TB_JOIN->click(); },
        [&] { canvas()->MenuItem(TQBArea::kMenuUnion)->trigger(); },
        [&] { form->btn_New->click(); }};
    const char* withoutConnection[][2] = {{"数据源尚未选择", "提示"},
                                          {"源数据源尚未选择！", "提示！"},
                                          {"源数据源尚未选择！", "提示！"},
                                          {"源数据源尚未选择！", "提示！"}};
    // A closed connection: see SessionGuardTest.
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(testing::Message() << "action " << i);
        ui.ExpectMessage(withoutConnection[i][0], withoutConnection[i][1]);
        actions[i]();
        EXPECT_EQ(ui.Remaining(), 0);
    }
    EXPECT_FALSE(form->Pan_Union->isVisible());
    EXPECT_TRUE(canvas()->Tables().isEmpty() && form->UnionSets().isEmpty());
}

TEST_F(CanvasTest, UnionPanelMovesWithinTheCanvasAndHoldsThePointerUntilClosed) {
    Open();
    canvas()->MenuItem(TQBArea::kMenuUnion)->trigger();
    ASSERT_TRUE(form->Pan_Union->isVisible());
    EXPECT_EQ(form->Pan_Union->parentWidget(), canvas()->viewport());
    EXPECT_EQ(form->UnionGrid->GetCells(3, 0), "关键词");
    EXPECT_EQ(form->UnionGrid->GetCells(1, 1), "union0");
    ASSERT_TRUE(form->HoldsPointer());
    QListWidget* list = form->QBTables;
    const QPoint onFirst = list->visualItemRect(list->item(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, onFirst);
    EXPECT_EQ(list->currentRow(), -1) << "the click outside the panel did nothing";

    // Moved by its caption bar and by its body.
    const QPoint start = form->Pan_Union->pos();
    const QPoint grip(20, 8);
    Drag(form->Panel11, grip, grip + QPoint(60, 40));
    EXPECT_EQ(form->Pan_Union->pos(), start + QPoint(60, 40));
    const QPoint body(1, form->Pan_Union->height() / 2);
    Drag(form->Pan_Union, body, body + QPoint(30, 20));
    EXPECT_EQ(form->Pan_Union->pos(), start + QPoint(90, 60));
    EXPECT_TRUE(form->HoldsPointer());

    // Far outside: the cursor stops at the canvas edge, and so does the move.
    QTest::mousePress(form->Panel11, Qt::LeftButton, Qt::NoModifier, grip);
    QTest::mouseRelease(form->Panel11, Qt::LeftButton, Qt::NoModifier, QPoint(5000, 5000));
    EXPECT_EQ(form->Pan_Union->pos() + form->Panel11->mapTo(form->Pan_Union, grip),
              canvas()->viewport()->rect().bottomRight());

    form->UnionGrid->SetRow(1);
    form->btn_Delete->click(); // the main statement: nothing deleted, the panel stays
    EXPECT_TRUE(form->HoldsPointer());
    form->btn_Close->click();
    EXPECT_FALSE(form->Pan_Union->isVisible());
    EXPECT_FALSE(form->HoldsPointer());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, onFirst);
    EXPECT_EQ(list->currentRow(), 0);
}
