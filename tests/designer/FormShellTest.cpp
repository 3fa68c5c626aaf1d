#include "DesignerTestSupport.h"

#include "db/ADOQuery.h"
#include "designer/QBArea.h"
#include "designer/QBTable.h"
#include "grid/StringGridEx.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

// The designer on a connected copy of the sample database, its tables listed.
class FormTest : public DesignerFormTest {
protected:
    void Open(const QString& csn = SampleCsn()) {
        OpenForm(csn);
        form->GetTablesList(false);
    }
    void Select(const QString& table) {
        const auto found = form->QBTables->findItems(table, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << table.toStdString();
        form->QBTables->setCurrentItem(found.first());
    }
    QString DatabasePath() const {
        return dialog.OwnConnection()->PropertyValue(QStringLiteral("Data Source"));
    }
};

// --- layout -----------------------------------------------------------------

TEST_F(FormTest, AtTheDefaultSizeEveryTabAndEveryConditionColumnIsInSight) {
    Open();
    form->resize(700, 500);
    form->show();
    form->PageControl1->setCurrentIndex(TFrm_Quillary::pgCondition);
    QApplication::processEvents();
    const QTabBar* tabs = form->PageControl1->tabBar();
    EXPECT_LE(tabs->tabRect(8).right(), tabs->width()) << "no scroll arrows needed";
    int columns = 0;
    for (int c = 0; c < 4; ++c)
        columns += form->ConditionList->ColWidths(c);
    EXPECT_LE(columns, form->ConditionList->width() - 20) << "all four columns in sight";
}

TEST_F(FormTest, WindowHoldsItsControlsInOrder) {
    Open();
    EXPECT_EQ(form->PageControl1->count(), 9);
    const char* tabs[] = {"排序",     "分组",    "条件",     "组内条件",   "计算字段",
                          "显示顺序", "SQL语法", "查询结果", "执行SQL语句"};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(form->PageControl1->tabText(i), QString::fromUtf8(tabs[i]));
    EXPECT_EQ(form->TB_OPENSOURCE->toolTip(), QStringLiteral("打开连接"));
    EXPECT_EQ(form->TB_SaveCSN->toolTip(), QStringLiteral("保存数据库连接信息"));
    EXPECT_TRUE(form->tb_ToolBox->isCheckable() && form->tb_ToolBox->isChecked());
    EXPECT_TRUE(form->Tb_Tablist->isCheckable() && form->Tb_Tablist->isChecked());
    EXPECT_EQ(form->N_InitWin->text(), QStringLiteral("初始化界面"));
    EXPECT_EQ(form->N_CopySQL->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C));
    EXPECT_EQ(form->MenuItem3->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_U));
    EXPECT_FALSE(form->Sp_ApplySQL->isVisibleTo(form.get()));
    EXPECT_EQ(form->ConditionList->GetCells(1, 0), QStringLiteral("关系运算符"));
    EXPECT_EQ(form->ConditionList->RowCount(), 9);
    EXPECT_EQ(form->ComputeColumnList->RowCount(), 15);
    EXPECT_EQ(form->DisplayList->RowCount(), 2);
    EXPECT_EQ(form->DisplayList->GetCells(2, 0), QStringLiteral("别名"));
    EXPECT_EQ(form->ConditionList->ColWidths(2), 225);
    EXPECT_TRUE(form->ConditionList->PropValues()->Items(1)->PickList()->contains(
        QStringLiteral("not like")));
    EXPECT_TRUE(
        form->ConditionList->PropValues()->Items(1)->PickList()->contains(QStringLiteral("is")));
    EXPECT_FALSE(form->ConditionListGroup->PropValues()->Items(1)->PickList()->contains(
        QStringLiteral("is")));
    EXPECT_EQ(form->UnionGrid->GetCells(1, 1), QStringLiteral("union0"));
    EXPECT_EQ(form->UnionGrid->RowCount(), 2);
}

TEST_F(FormTest, ShowingPicksTheGroupConditionPageAndHidesDisplayData) {
    Open();
    form->show();
    QApplication::processEvents();
    EXPECT_EQ(form->PageControl1->currentIndex(), TFrm_Quillary::pgConditionGroup);
    EXPECT_EQ(form->DisplayList->ColWidths(0), 0);
    EXPECT_EQ(form->DisplayList->ColWidths(3), 0);
    EXPECT_EQ(form->Panel1->width(), 180);
    form->hide();
}

// --- placing tables ------------------------------------------------------------

TEST(PlacementRule, RowsOfBoxesWrapAtTheRightEdge) {
    TQuillaryDialog d;
    TFrm_Quillary form(&d);
    EXPECT_EQ(form.NextTablePos(), QPoint(10, 10));
    form.SetNextTablePos({360, 10});
    form.PlaceNextAfter(QRect(360, 10, 120, 100)); // x + 150 > 500: a new row starts
    EXPECT_EQ(form.NextTablePos(), QPoint(490, 120));
    form.SetNextTablePos({340, 10});
    form.PlaceNextAfter(QRect(340, 10, 120, 100)); // 490 <= 500: same row
    EXPECT_EQ(form.NextTablePos(), QPoint(470, 10));
    form.SetNextTablePos({10, 300});
    form.PlaceNextAfter(QRect(10, 300, 100, 95));    // x below 160 becomes 10
    EXPECT_EQ(form.NextTablePos(), QPoint(10, 300)); // 120 would be inside the first column
    form.SetNextTablePos({400, 380});
    form.PlaceNextAfter(QRect(400, 380, 120, 60)); // y wraps at 400, x at 500
    EXPECT_EQ(form.NextTablePos(), QPoint(10, 50));
}

TEST_F(FormTest, DoubleClickPlacesTablesLeftToRight) {
    Open();
    Select(QStringLiteral("orders"));
    form->QBTablesDblClick();
    QList<TQBTable*> boxes = form->Canvas()->Tables();
    ASSERT_EQ(boxes.size(), 1);
    TQBTable* first = boxes[0];
    EXPECT_EQ(first->pos(), QPoint(10, 10));
    EXPECT_EQ(first->GetTableName(), QStringLiteral("orders"));
    EXPECT_TRUE(first->IsActive());
    EXPECT_EQ(form->Canvas()->ActiveName, QStringLiteral("orders"));
    const QPoint expected((first->x() + first->width() + 10) % 500 < 160
                              ? 10
                              : (first->x() + first->width() + 10) % 500,
                          10);
    EXPECT_EQ(form->NextTablePos(), expected);

    Select(QStringLiteral("customers"));
    QTest::keyClick(form->QBTables, Qt::Key_Return); // Enter places too
    boxes = form->Canvas()->Tables();
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_EQ(boxes[1]->pos(), expected);
    EXPECT_TRUE(boxes[1]->IsActive());
    EXPECT_FALSE(first->IsActive()) << "the previously active box is released";
    EXPECT_TRUE(
        form->GroupList->findItems(QStringLiteral("customers.City"), Qt::MatchExactly).size() == 1);
    EXPECT_TRUE(form->ConditionList->PropValues()->Items(0)->PickList()->contains(
        QStringLiteral("orders.OrderDate")));
}

TEST_F(FormTest, NothingSelectedPlacesNothing) {
    Open();
    form->QBTables->setCurrentRow(-1);
    form->QBTablesDblClick();
    EXPECT_TRUE(form->Canvas()->Tables().isEmpty());
}

TEST_F(FormTest, SecondCopyOfATableNeedsAFreshValidAlias) {
    Open();
    Select(QStringLiteral("orders"));
    form->QBTablesDblClick();
    ui.ExpectMessage(QStringLiteral("这张表已经选择过,是否要加入?若加入，请给该表加一个别名"),
                     QStringLiteral("提示!"), mrYes)
        .AnswerInput(QStringLiteral("ORDERS")) // the table's own name, in other case
        .AnswerInput(QStringLiteral("1x"))
        .AnswerInput(QStringLiteral("o2"));
    form->QBTablesDblClick();
    QList<TQBTable*> boxes = form->Canvas()->Tables();
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_EQ(boxes[1]->Alias, QStringLiteral("o2"));
    EXPECT_EQ(boxes[1]->GetTableName(), QStringLiteral("o2"));
    ASSERT_EQ(ui.Log().size(), 4);
    EXPECT_EQ(ui.Log()[1].Caption, QString());
    EXPECT_EQ(ui.Log()[1].Text, QStringLiteral("请输入别名：  "));
    EXPECT_EQ(ui.Log()[2].Caption, QStringLiteral("你输入的别名与以选择的表的别名或表名重复！"));
    EXPECT_EQ(ui.Log()[2].Value, QStringLiteral("ORDERS")) << "pre-filled with the answer";
    EXPECT_EQ(ui.Log()[3].Caption, QStringLiteral("表的别名必须以字母开头中间可含有数字和字母！"));
    EXPECT_EQ(ui.Log()[3].Text, QStringLiteral("请重新输入   "));
    EXPECT_TRUE(form->GroupList->findItems(QStringLiteral("o2.OrderID"), Qt::MatchExactly).size() ==
                1);

    ui.AnswerMessage(mrNo);
    form->QBTablesDblClick();
    EXPECT_EQ(form->Canvas()->Tables().size(), 2) << "No ends it";
}

TEST_F(FormTest, TableThatCannotBeReadLeavesNoBox) {
    Open();
    form->QBTables->addItem(QStringLiteral("no_such_table"));
    Select(QStringLiteral("no_such_table"));
    ui.ExpectMessage(QStringLiteral("no such table: no_such_table"), QString());
    form->QBTablesDblClick();
    EXPECT_TRUE(form->Canvas()->Tables().isEmpty());
    EXPECT_EQ(form->NextTablePos(), QPoint(10, 10));
}

// --- table list panel ---------------------------------------------------------

TEST_F(FormTest, SearchMatchesTheBeginningIgnoringCase) {
    Open();
    form->QBTables->clear();
    form->QBTables->addItems({QStringLiteral("xab"), QStringLiteral("Abc"), QStringLiteral("zeta"),
                              QStringLiteral("abd")});
    form->QBTables->setCurrentRow(-1);
    form->Edit2->setText(QStringLiteral("ab"));
    ASSERT_NE(form->QBTables->currentItem(), nullptr);
    EXPECT_EQ(form->QBTables->currentItem()->text(), QStringLiteral("Abc"));
    form->Edit2->setText(QStringLiteral("abd"));
    EXPECT_EQ(form->QBTables->currentItem()->text(), QStringLiteral("abd"));
    form->Edit2->setText(QStringLiteral("ab")); // the selected entry still matches: it stays
    EXPECT_EQ(form->QBTables->currentItem()->text(), QStringLiteral("abd"));
    form->Edit2->setText(QStringLiteral("q"));
    EXPECT_EQ(form->QBTables->currentItem()->text(), QStringLiteral("abd"))
        << "no match keeps the selection";
    form->Edit2->setText(QString());
    EXPECT_EQ(form->QBTables->currentItem()->text(), QStringLiteral("abd"));
}

TEST_F(FormTest, UpAndDownInTheSearchBoxMoveTheSelection) {
    Open();
    form->QBTables->setCurrentRow(0);
    QTest::keyClick(form->Edit2, Qt::Key_Up);
    EXPECT_EQ(form->QBTables->currentRow(), 0) << "not above the first entry";
    QTest::keyClick(form->Edit2, Qt::Key_Down);
    QTest::keyClick(form->Edit2, Qt::Key_Down);
    EXPECT_EQ(form->QBTables->currentRow(), 2);
    form->QBTables->setCurrentRow(form->QBTables->count() - 1);
    QTest::keyClick(form->Edit2, Qt::Key_Down);
    EXPECT_EQ(form->QBTables->currentRow(), form->QBTables->count() - 1) << "not beyond the last";
}

TEST_F(FormTest, SystemTablesCheckBoxRefillsTheList) {
    Open();
    EXPECT_TRUE(
        form->QBTables->findItems(QStringLiteral("sqlite_master"), Qt::MatchExactly).isEmpty());
    form->CheckBox2->setChecked(true);
    EXPECT_FALSE(
        form->QBTables->findItems(QStringLiteral("sqlite_master"), Qt::MatchExactly).isEmpty());
    form->CheckBox2->setChecked(false);
    EXPECT_TRUE(
        form->QBTables->findItems(QStringLiteral("sqlite_master"), Qt::MatchExactly).isEmpty());
}

TEST_F(FormTest, PanelsAndTheirCanvasMenuItems) {
    Open();
    form->show();
    QAction* tableItem = form->Canvas()->MenuItem(TQBArea::kMenuTableList);
    QAction* toolItem = form->Canvas()->MenuItem(TQBArea::kMenuToolBox);
    EXPECT_FALSE(tableItem->isVisible());
    form->SpeedButton11->click();
    EXPECT_FALSE(form->Tb_Tablist->isChecked());
    EXPECT_FALSE(form->Panel1->isVisible());
    EXPECT_TRUE(tableItem->isVisible());
    tableItem->trigger();
    EXPECT_TRUE(form->Tb_Tablist->isChecked());
    EXPECT_TRUE(form->Panel1->isVisible());
    EXPECT_FALSE(tableItem->isVisible());

    form->tb_ToolBox->click(); // releases the check button
    EXPECT_FALSE(form->P_bottom->isVisible());
    EXPECT_TRUE(toolItem->isVisible());
    toolItem->trigger();
    EXPECT_TRUE(form->P_bottom->isVisible());
    form->SpeedButton5->click();
    EXPECT_FALSE(form->P_bottom->isVisible());
    EXPECT_FALSE(form->tb_ToolBox->isChecked());
    form->hide();
}

// --- page switch -----------------------------------------------------------------

TEST_F(FormTest, PageSwitchRebindsTheSideButtons) {
    Open();
    form->PageControl1->setCurrentIndex(TFrm_Quillary::pgCondition);
    EXPECT_TRUE(form->Sp_Select->isCheckable());
    EXPECT_FALSE(form->Sp_Select->isChecked()) << "the grid allows editing";
    form->Sp_Select->click(); // row selection
    EXPECT_TRUE(form->ConditionList->Options().Contains(goRowSelect));
    EXPECT_FALSE(form->ConditionList->Options().Contains(goEditing));
    form->PageControl1->setCurrentIndex(TFrm_Quillary::pgCompute);
    EXPECT_FALSE(form->Sp_Select->isChecked());
    form->PageControl1->setCurrentIndex(TFrm_Quillary::pgCondition);
    EXPECT_TRUE(form->Sp_Select->isChecked()) << "pressed exactly when the grid does not edit";
    form->Sp_Select->click();
    EXPECT_TRUE(form->ConditionList->Options().Contains(goEditing));

    // Rows move on the grid pages.
    form->ConditionList->SetCells(0, 1, QStringLiteral("A"));
    form->ConditionList->SetCells(0, 2, QStringLiteral("B"));
    form->ConditionList->SetSelection(TGridRect{0, 2, 0, 2});
    form->Sp_up->click();
    EXPECT_EQ(form->ConditionList->GetCells(0, 1), QStringLiteral("B"));
    EXPECT_EQ(form->ConditionList->GetCells(0, 2), QStringLiteral("A"));

    form->PageControl1->setCurrentIndex(TFrm_Quillary::pgExecute);
    EXPECT_FALSE(form->Sp_Select->isCheckable()) << "a plain push button on the execute page";
}

TEST_F(FormTest, OrderAndGroupButtonsMoveTheChosenItems) {
    Open();
    form->PageControl1->setCurrentIndex(TFrm_Quillary::pgGroup);
    form->GroupColumn->addItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    form->GroupColumn->setCurrentRow(2);
    form->Sp_up->click();
    EXPECT_EQ(form->GroupColumn->item(1)->text(), QStringLiteral("c"));
    EXPECT_EQ(form->GroupColumn->currentRow(), 1);
    form->GroupColumn->setCurrentRow(2);
    form->sp_down->click(); // the last one cannot go further
    EXPECT_EQ(form->GroupColumn->item(2)->text(), QStringLiteral("b"));

    form->PageControl1->setCurrentIndex(TFrm_Quillary::pgOrder);
    const QString marker = QString::fromUtf8(kDescendingMarker);
    for (const char* t : {"x", "y"}) {
        auto* item = new QListWidgetItem(marker + QString::fromLatin1(t), form->OrderColumn);
        item->setCheckState(Qt::Unchecked);
    }
    form->OrderColumn->item(1)->setCheckState(Qt::Checked);
    form->OrderColumn->setCurrentRow(1);
    form->Sp_up->click();
    EXPECT_EQ(form->OrderColumn->item(0)->text(), marker + QStringLiteral("y"));
    EXPECT_EQ(form->OrderColumn->item(0)->checkState(), Qt::Checked)
        << "the tick travels with the text";
    EXPECT_EQ(form->OrderColumn->item(1)->checkState(), Qt::Unchecked);
}

TEST_F(FormTest, ExecutePageRunsTheTypedStatement) {
    Open();
    form->PageControl1->setCurrentIndex(TFrm_Quillary::pgExecute);
    form->MExcuteSQL->setPlainText(QStringLiteral("-- only a comment"));
    form->Sp_Select->click(); // nothing to run
    form->MExcuteSQL->setPlainText(
        QStringLiteral("-- a note first\ncreate table notes (n varchar(10))"));
    ui.ExpectMessage(QStringLiteral("语句已执行，影响了0条记录"), QStringLiteral("提示"));
    form->Sp_Select->click();
    QStringList names;
    dialog.GetConn()->GetTableNames(names, false);
    EXPECT_TRUE(names.contains(QStringLiteral("notes")));
    form->MExcuteSQL->setPlainText(QStringLiteral("create table notes (n int)"));
    ui.ExpectMessage(QStringLiteral("table notes already exists"), QString());
    form->Sp_Select->click();
}

// --- reset -------------------------------------------------------------------------

TEST_F(FormTest, InitEmptiesTheDesign) {
    Open();
    dialog.Caption = QStringLiteral("我的查询");
    Select(QStringLiteral("orders"));
    form->QBTablesDblClick();
    Select(QStringLiteral("customers"));
    form->QBTablesDblClick();
    auto* unionSet = new TQuillaryDialog(form.get());
    QPointer<TQuillaryDialog> watch(unionSet);
    form->OrderColumn->addItem(QStringLiteral("x"));
    form->ConditionList->SetCells(2, 3, QStringLiteral("1"));
    form->ComputeColumnList->SetCells(1, 1, QStringLiteral("total"));
    form->DisplayList->SetRowCount(4);
    form->DisplayList->SetCells(1, 3, QStringLiteral("orders.OrderID"));
    form->Memo1->setPlainText(QStringLiteral("select 1"));
    dialog.SavedSQL = QStringLiteral("select 1");
    form->setWindowTitle(QStringLiteral("old"));

    form->Init();
    EXPECT_TRUE(form->Canvas()->Tables().isEmpty());
    EXPECT_TRUE(watch.isNull()) << "union sets are freed";
    EXPECT_EQ(form->OrderColumn->count(), 0);
    EXPECT_EQ(form->GroupList->count(), 0) << "closing the boxes removed their columns";
    EXPECT_TRUE(form->ConditionList->PropValues()->Items(0)->PickList()->isEmpty());
    EXPECT_EQ(form->ConditionList->GetCells(2, 3), QString());
    EXPECT_EQ(form->ConditionList->GetCells(2, 0), QStringLiteral("表达式")) << "captions stay";
    EXPECT_EQ(form->ComputeColumnList->GetCells(1, 1), QString());
    EXPECT_EQ(form->DisplayList->RowCount(), 2);
    EXPECT_TRUE(form->Memo1->toPlainText().isEmpty());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("我的查询"));
    EXPECT_TRUE(dialog.SavedSQL.isEmpty());
    EXPECT_EQ(form->NextTablePos(), QPoint(10, 10));
}

TEST_F(FormTest, ReinitialisingAsksOnlyWhenTheSqlChanged) {
    Open();
    Select(QStringLiteral("orders"));
    form->QBTablesDblClick();
    form->N_InitWin->trigger(); // empty SQL: no question
    EXPECT_TRUE(form->Canvas()->Tables().isEmpty());

    form->QBTablesDblClick();
    form->Canvas()->Tables().first()->FieldList->item(1)->setCheckState(Qt::Checked);
    ui.ExpectMessage(QStringLiteral("SQL语句已经被改写,是否还是要初始化界面？"),
                     QStringLiteral("提示"), mrNo);
    form->N_InitWin->trigger();
    EXPECT_EQ(form->Canvas()->Tables().size(), 1);
    dialog.SavedSQL = form->Memo1->toPlainText(); // as saved: untouched
    form->N_InitWin->trigger();
    EXPECT_TRUE(form->Canvas()->Tables().isEmpty());
}

// --- dropped files ----------------------------------------------------------------

class DropTest : public FormTest {
protected:
    QString Write(const QString& name, const QString& text) {
        const QString path = QDir(TestDir()).filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8());
        return path;
    }
};

TEST_F(DropTest, OnlyTheFirstSqlOrTextFileIsOpened) {
    Open();
    dialog.Caption = QStringLiteral("设计");
    const QString first =
        Write(QStringLiteral("first.txt"), QStringLiteral("select * from orders"));
    const QString second =
        Write(QStringLiteral("second.SQL"), QStringLiteral("select * from customers"));
    form->DropFiles({first, second});
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("select *\nfrom orders"));
    ASSERT_EQ(form->Canvas()->Tables().size(), 1);
    EXPECT_EQ(form->Canvas()->Tables().first()->TableName, QStringLiteral("orders"));
    EXPECT_EQ(form->CurrentFileName(), first);
    EXPECT_EQ(dialog.SavedSQL, form->Memo1->toPlainText());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("设计--") + first);
}

TEST_F(DropTest, OtherFilesAndUnconnectedDesignersRefuse) {
    Open();
    const QString doc = Write(QStringLiteral("notes.doc"), QStringLiteral("x"));
    ui.ExpectMessage(QStringLiteral("仅支持SQL文件和文本文件的自动拖放！"),
                     QStringLiteral("提示！"));
    form->DropFiles({doc, Write(QStringLiteral("ok.sql"), QStringLiteral("select 1"))});
    EXPECT_TRUE(form->Memo1->toPlainText().isEmpty());

    dialog.OwnConnection()->Close();
    ui.ExpectMessage(QStringLiteral("请先连接数据源"), QStringLiteral("提示！"));
    form->DropFiles({Write(QStringLiteral("a.SqL"), QStringLiteral("select 1"))});
    EXPECT_TRUE(form->Memo1->toPlainText().isEmpty());
}

TEST_F(DropTest, ChangedSqlIsOnlyReplacedWhenTheUserAgrees) {
    Open();
    ASSERT_TRUE(form->Forge(QStringLiteral("select CategoryID from categories")));
    const QString file =
        Write(QStringLiteral("q.sql"), QStringLiteral("select ProductID from products"));
    ui.ExpectMessage(QStringLiteral("SQL语句已经被改写,是否还是要打开新的文件？"),
                     QStringLiteral("提示"), mrNo);
    form->DropFiles({file});
    EXPECT_EQ(form->Canvas()->Tables().first()->TableName, QStringLiteral("categories"));
    ui.AnswerMessage(mrYes);
    form->DropFiles({file});
    EXPECT_EQ(form->Canvas()->Tables().first()->TableName, QStringLiteral("products"));
}

TEST_F(DropTest, ARealDropEventReachesTheWindow) {
    Open();
    const QString file =
        Write(QStringLiteral("dropped.sql"), QStringLiteral("select OrderID from orders"));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file)});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    // Delivered as the window system would, without a drag in progress.
    static_cast<QObject*>(form.get())->event(&enter);
    EXPECT_TRUE(enter.isAccepted());
    static_cast<QObject*>(form.get())->event(&drop);
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("select OrderID\nfrom orders"));
}

// --- closing in create-view mode -------------------------------------------------

class CreateViewTest : public FormTest {
protected:
    bool ViewExists(const QString& name) {
        QStringList names;
        dialog.GetConn()->GetTableNames(names, false);
        return names.contains(name);
    }
};

TEST_F(CreateViewTest, ConfirmingCreatesTheView) {
    Open();
    dialog.IsCreateView = true;
    ASSERT_TRUE(form->Forge(QStringLiteral("select * from orders")));
    ui.AnswerInput(QString()).AnswerInput(QStringLiteral("v_orders_all")); // empty asks again
    form->Button1->click();
    EXPECT_TRUE(ViewExists(QStringLiteral("v_orders_all")));
    EXPECT_EQ(form->result(), int(mrOk));
    EXPECT_EQ(ui.Log()[0].Caption, QStringLiteral("提示！"));
    EXPECT_EQ(ui.Log()[0].Text, QStringLiteral("请输入视图名称： "));
    EXPECT_EQ(form->ViewName(), QStringLiteral("v_orders_all"));
}

TEST_F(CreateViewTest, ATakenNameCanBeReplaced) {
    Open();
    dialog.IsCreateView = true;
    ASSERT_TRUE(form->Forge(QStringLiteral("select * from customers")));
    ui.AnswerInput(QStringLiteral("v_order_totals"))
        .ExpectMessage(QStringLiteral("试图名称被占用或者其他原因，是否重新输入名称?"),
                       QStringLiteral("提示！"), mrYes)
        .AnswerInput(QStringLiteral("v_customers"));
    form->Button1->click();
    EXPECT_TRUE(ViewExists(QStringLiteral("v_customers")));
    EXPECT_EQ(ui.Log()[2].Value, QStringLiteral("v_order_totals"))
        << "pre-filled with the last name";
}

TEST_F(CreateViewTest, ABrokenQueryKeepsTheFormOpenWhenTheUserWantsToFixIt) {
    Open();
    dialog.IsCreateView = true;
    form->show();
    form->Memo1->setPlainText(QStringLiteral("select from where"));
    ui.AnswerInput(QStringLiteral("v_x"))
        .ExpectMessage(QStringLiteral("查询语句发生错误，是否修改这个错误？"),
                       QStringLiteral("提示！"), mrYes);
    form->Button1->click();
    EXPECT_TRUE(form->isVisible()) << "closing refused";
    ui.AnswerInput(QStringLiteral("v_x")).AnswerMessage(mrNo);
    form->Button1->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(ViewExists(QStringLiteral("v_x")));
}

TEST_F(CreateViewTest, CancelInTheNameBoxOrTheCancelButtonCreatesNothing) {
    Open();
    dialog.IsCreateView = true;
    ASSERT_TRUE(form->Forge(QStringLiteral("select * from orders")));
    ui.CancelInput();
    form->Button1->click();
    EXPECT_EQ(form->result(), int(mrOk));
    form->Button2->click(); // no question at all
    EXPECT_FALSE(dialog.IsCreateView);
    EXPECT_EQ(form->result(), int(mrCancel));
}

TEST_F(CreateViewTest, TheCloseBoxAlsoCreatesTheView) {
    Open();
    dialog.IsCreateView = true;
    form->show();
    ASSERT_TRUE(form->Forge(QStringLiteral("select * from suppliers")));
    ui.AnswerInput(QStringLiteral("v_suppliers"));
    form->close();
    EXPECT_TRUE(ViewExists(QStringLiteral("v_suppliers")));
}
