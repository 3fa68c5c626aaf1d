#include "DesignerTestSupport.h"

#include "designer/QBArea.h"
#include "designer/QBTable.h"
#include "grid/StringGridEx.h"

#include <QAction>
#include <QCheckBox>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

class CanvasTest : public DesignerFormTest {
protected:
    void Open(bool connect = true) {
        OpenForm(SampleCsn(), connect);
        if (connect) form->GetTablesList(false);
        form->resize(900, 650);
        form->show();
        QApplication::processEvents();
    }
    TQBArea* canvas() const { return form->Canvas(); }
};

TEST_F(CanvasTest, SurfaceColourHintAndMenu) {
    Open();
    EXPECT_EQ(canvas()->Surface()->palette().color(QPalette::Window), QColor(114, 143, 143));
    EXPECT_EQ(canvas()->toolTip(), QStringLiteral("弹出菜单：插入SQL查询表\r\n              联合"));
    EXPECT_EQ(canvas()->mnu->objectName(), QStringLiteral("mnu"));
    const char* captions[] = {"插入SQL查询表", "联合", "打开工具箱", "打开数据表列表"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(canvas()->MenuItem(i)->text(), QString::fromUtf8(captions[i]));
        EXPECT_EQ(canvas()->MenuItem(i)->objectName(), QStringLiteral("mnuInsertQTable"));
    }
    EXPECT_TRUE(canvas()->MenuItem(TQBArea::kMenuInsertQTable)->isVisible());
    EXPECT_FALSE(canvas()->MenuItem(TQBArea::kMenuToolBox)->isVisible());
    EXPECT_FALSE(canvas()->MenuItem(TQBArea::kMenuTableList)->isVisible());
}

TEST_F(CanvasTest, FindTableIgnoresCaseAndPrefersTheLatestBox) {
    Open();
    TQBTable* a =
        canvas()->InsertQTable(10, 10, QStringLiteral("Emp"), QStringLiteral("select 1 as x"));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(canvas()->FindTable(QStringLiteral("emp")), a);
    EXPECT_EQ(canvas()->FindTable(QStringLiteral("EMP")), a);
    EXPECT_EQ(canvas()->FindTable(QStringLiteral("dept")), nullptr);
    EXPECT_EQ(a->Kind, 'Q');
    EXPECT_EQ(a->SourceText, QStringLiteral("select 1 as x"));
}

TEST_F(CanvasTest, BoxListsStarThenColumnsAndSizesToThem) {
    Open();
    TQBTable* box = canvas()->InsertQTable(10, 10, QStringLiteral("q"),
                                           QStringLiteral("select 1 as a, 2 as b, 3 as c"));
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->FieldList->count(), 4);
    EXPECT_EQ(box->FieldList->item(0)->text(), QStringLiteral("*"));
    EXPECT_EQ(box->FieldList->item(3)->text(), QStringLiteral("c"));
    const int itemHeight = box->FieldList->sizeHintForRow(0);
    EXPECT_EQ(box->height(), itemHeight * 4 + 4 + 22);
    EXPECT_GE(box->width(), 110);

    QStringList many;
    for (int i = 0; i < 30; ++i)
        many << QStringLiteral("%1 as c%1").arg(i);
    TQBTable* wide = canvas()->InsertQTable(200, 10, QStringLiteral("w"),
                                            QStringLiteral("select ") + many.join(','));
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->height(), itemHeight * 10 + 4 + 22) << "at most ten rows shown";
}

TEST_F(CanvasTest, DroppingFromTheTableListInsertsAtThePoint) {
    Open();
    EXPECT_TRUE(canvas()->_DragOver(form->QBTables));
    EXPECT_FALSE(canvas()->_DragOver(form->Memo1));
    EXPECT_FALSE(canvas()->_DragOver(nullptr));
    form->QBTables->setCurrentItem(
        form->QBTables->findItems(QStringLiteral("products"), Qt::MatchExactly).first());
    canvas()->_DragDrop(form->QBTables, QPoint(140, 90));
    ASSERT_EQ(canvas()->Tables().size(), 1);
    EXPECT_EQ(canvas()->Tables()[0]->pos(), QPoint(140, 90));
    canvas()->_DragDrop(form->Memo1, QPoint(300, 90));
    EXPECT_EQ(canvas()->Tables().size(), 1) << "only the table list is accepted";
}

TEST_F(CanvasTest, SubQueryTableThroughANestedDesigner) {
    Open();
    ExpectDesigner(ui, [](TFrm_Quillary& nested) {
        EXPECT_EQ(nested.windowTitle(), QStringLiteral("SQL语句生成器--插入子查询表"));
        EXPECT_TRUE(nested.Canvas()->MenuItem(TQBArea::kMenuUnion)->isVisible());
        EXPECT_FALSE(nested.ToolBar1->isVisibleTo(&nested));
        EXPECT_TRUE(nested.Forge(QStringLiteral("  select CustomerID, City from customers  ")));
        return int(mrOk);
    });
    ui.AnswerInput(QStringLiteral("select")).AnswerInput(QStringLiteral("big"));
    canvas()->_InsertQTable();
    ASSERT_EQ(canvas()->Tables().size(), 1);
    TQBTable* box = canvas()->Tables()[0];
    EXPECT_EQ(box->GetTableName(), QStringLiteral("big"));
    EXPECT_EQ(box->SourceText, QStringLiteral("select CustomerID,City\r\nfrom customers"))
        << "the nested design's statement";
    EXPECT_EQ(box->pos(), QPoint(10, 10));
    EXPECT_EQ(ui.Log()[1].Caption, QStringLiteral("请输入别名："));
    EXPECT_EQ(ui.Log()[1].Text, QStringLiteral("别名： "));
    EXPECT_EQ(ui.Log()[2].Caption, QStringLiteral("表的别名必须以字母开头中间可含有数字和字母！"))
        << "a reserved word";
}

TEST_F(CanvasTest, SubQueryAndUnionNeedAConnection) {
    Open(false);
    ui.ExpectMessage(QStringLiteral("数据源尚未选择"), QStringLiteral("提示"));
    canvas()->_InsertQTable();
    ui.ExpectMessage(QStringLiteral("源数据源尚未选择！"), QStringLiteral("提示！"));
    form->TB_JOIN->click();
    EXPECT_FALSE(form->Pan_Union->isVisible());

    dialog.SetOwnConnection(std::make_unique<TADOConnection>(dialog.GetCSN())); // there, but closed
    ui.ExpectMessage(QStringLiteral("数据源尚未连接成功"), QStringLiteral("提示"));
    canvas()->_InsertQTable();
    ui.ExpectMessage(QStringLiteral("数据源尚未连接成功"), QStringLiteral("提示"));
    canvas()->MenuItem(TQBArea::kMenuUnion)->trigger();
    EXPECT_FALSE(form->Pan_Union->isVisible());
}

TEST_F(CanvasTest, UnionPanelShowsMovesWithinTheCanvasAndCloses) {
    Open();
    form->TB_JOIN->click();
    ASSERT_TRUE(form->Pan_Union->isVisible());
    EXPECT_EQ(form->Pan_Union->parentWidget(), canvas()->viewport());
    EXPECT_EQ(form->UnionGrid->GetCells(3, 0), QStringLiteral("关键词"));
    EXPECT_EQ(form->UnionGrid->GetCells(1, 1), QStringLiteral("union0"));

    const QPoint start = form->Pan_Union->pos();
    QWidget* caption = form->Panel11;
    const QPoint grip(20, 8);
    QTest::mousePress(caption, Qt::LeftButton, Qt::NoModifier, grip);
    QMouseEvent move(QEvent::MouseMove, QPointF(grip + QPoint(60, 40)),
                     caption->mapToGlobal(QPointF(grip + QPoint(60, 40))), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(caption, &move);
    QTest::mouseRelease(caption, Qt::LeftButton, Qt::NoModifier, grip + QPoint(60, 40));
    EXPECT_EQ(form->Pan_Union->pos(), start + QPoint(60, 40));

    // Far outside: the cursor stops at the canvas edge, and so does the move.
    QTest::mousePress(caption, Qt::LeftButton, Qt::NoModifier, grip);
    QTest::mouseRelease(caption, Qt::LeftButton, Qt::NoModifier, QPoint(5000, 5000));
    const QPoint cursorInCanvas = form->Pan_Union->pos() + caption->mapTo(form->Pan_Union, grip);
    EXPECT_EQ(cursorInCanvas, canvas()->viewport()->rect().bottomRight());

    form->btn_Close->click();
    EXPECT_FALSE(form->Pan_Union->isVisible());
}

TEST_F(CanvasTest, UnionMenuItemOpensThePanelToo) {
    Open();
    canvas()->MenuItem(TQBArea::kMenuUnion)->trigger();
    EXPECT_TRUE(form->Pan_Union->isVisible());
}
