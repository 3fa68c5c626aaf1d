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
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
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

TEST_F(FormTest, PagesToolsAndGridsCarryTheirCaptions) {
    Open();
    QStringList tabs;
    for (int i = 0; i < form->PageControl1->count(); ++i)
        tabs << form->PageControl1->tabText(i);
    EXPECT_EQ(tabs, QStringList({"排序", "分组", "条件", "组内条件", "计算字段", "显示顺序",
                                 "SQL语法", "查询结果", "执行SQL语句"}));
    EXPECT_EQ(form->TB_OPENSOURCE->toolTip(), "打开连接");
    EXPECT_EQ(form->TB_SaveCSN->toolTip(), "保存数据库连接信息");
    EXPECT_TRUE(form->tb_ToolBox->isChecked() && form->Tb_Tablist->isChecked());
    for (const QToolButton* button :
         form->ToolBar1->findChildren<QToolButton*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!button->objectName().startsWith("qt_")) { // the toolbar's own
            EXPECT_EQ(button->size(), QSize(39, 38)) << button->objectName().toStdString();
        }
    }
    EXPECT_EQ(form->N_InitWin->text(), "初始化界面");
    EXPECT_EQ(form->N_CopySQL->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C));
    EXPECT_EQ(form->MenuItem3->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_U));
    EXPECT_EQ(form->ConditionList->GetCells(1, 0), "关系运算符");
    EXPECT_EQ(form->DisplayList->GetCells(2, 0), "别名");
    EXPECT_EQ(QList<int>({form->ConditionList->RowCount(), form->ComputeColumnList->RowCount(),
                          form->DisplayList->RowCount(), form->ConditionList->ColWidths(2)}),
              QList<int>({9, 15, 2, 225}));
    const QStringList* operators = form->ConditionList->PropValues()->Items(1)->PickList();
    EXPECT_TRUE(operators->contains("not like") && operators->contains("is"));
    EXPECT_FALSE(form->ConditionListGroup->PropValues()->Items(1)->PickList()->contains("is"));
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

TEST_F(FormTest, TableThatCannotBeReadLeavesNoBox) {
    Open();
    form->QBTables->addItem("no_such_table");
    Select("no_such_table");
    ui.ExpectMessage("no such table: no_such_table", QString());
    form->QBTablesDblClick();
    EXPECT_TRUE(form->Canvas()->Tables().isEmpty());
    EXPECT_EQ(form->NextTablePos(), QPoint(10, 10));
}

// --- table list panel ---------------------------------------------------------

TEST_F(FormTest, SearchMatchesTheBeginningIgnoringCase) {
    Open();
    form->QBTables->clear();
    form->QBTables->addItems({"xab", "Abc", "zeta", "abd"});
    form->QBTables->setCurrentRow(-1);
    // The selected entry stays while it matches, and when nothing matches.
    const std::pair<const char*, const char*> steps[] = {
        {"ab", "Abc"}, {"abd", "abd"}, {"ab", "abd"}, {"q", "abd"}, {"", "abd"}};
    for (const auto& [typed, selected] : steps) {
        form->Edit2->setText(typed);
        ASSERT_NE(form->QBTables->currentItem(), nullptr);
        EXPECT_EQ(form->QBTables->currentItem()->text(), selected) << typed;
    }
}

TEST_F(FormTest, UpAndDownInTheSearchBoxMoveTheSelection) {
    Open();
    form->QBTables->setCurrentRow(-1);
    QTest::keyClick(form->Edit2, Qt::Key_Up);
    EXPECT_EQ(form->QBTables->currentRow(), 0) << "up from no selection stops at the first";
    QTest::keyClick(form->Edit2, Qt::Key_Up);
    EXPECT_EQ(form->QBTables->currentRow(), 0) << "not above the first entry";
    QTest::keyClick(form->Edit2, Qt::Key_Down);
    QTest::keyClick(form->Edit2, Qt::Key_Down);
    EXPECT_EQ(form->QBTables->currentRow(), 2);
    form->QBTables->setCurrentRow(form->QBTables->count() - 1);
    QTest::keyClick(form->Edit2, Qt::Key_Down);
    EXPECT_EQ(form->QBTables->currentRow(), form->QBTables->count() - 1) << "not beyond the last";
    // The handler itself takes the virtual-key codes; "&" typed shares the
    // code of Up and moves nothing.
    form->Edit2KeyDown(38);
    EXPECT_EQ(form->QBTables->currentRow(), form->QBTables->count() - 2);
    QTest::keyClick(form->Edit2, '&');
    EXPECT_EQ(form->QBTables->currentRow(), form->QBTables->count() - 2);
    form->Edit2KeyDown(40);
    EXPECT_EQ(form->QBTables->currentRow(), form->QBTables->count() - 1);
}

TEST_F(FormTest, WithTheFilterOnTheSearchHidesWhatItDoesNotName) {
    dialog.IsFilterTables = true;
    Open();
    form->QBTables->clear();
    form->QBTables->addItems({"xab", "Abc", "zeta", "abd", "order_items"});
    auto shown = [&] {
        QStringList names;
        for (int i = 0; i < form->QBTables->count(); ++i)
            if (!form->QBTables->item(i)->isHidden()) names << form->QBTables->item(i)->text();
        return names;
    };
    form->Edit2->setText("AB");
    EXPECT_EQ(shown(), QStringList({"Abc", "abd", "xab"})) << "inside the name, any case";
    EXPECT_EQ(form->QBTables->currentItem()->text(), "Abc") << "the search's own choice";
    QTest::keyClick(form->Edit2, Qt::Key_Down);
    QTest::keyClick(form->Edit2, Qt::Key_Down);
    EXPECT_EQ(form->QBTables->currentItem()->text(), "xab") << "over the hidden order_items";
    QTest::keyClick(form->Edit2, Qt::Key_Down);
    EXPECT_EQ(form->QBTables->currentItem()->text(), "xab") << "not onto the hidden zeta";
    QTest::keyClick(form->Edit2, Qt::Key_Up);
    EXPECT_EQ(form->QBTables->currentItem()->text(), "abd");
    form->Edit2->setText("nothing");
    EXPECT_TRUE(shown().isEmpty());
    QSignalSpy rejected(form.get(), &QDialog::rejected);
    QTest::keyClick(form->Edit2, Qt::Key_Escape);
    EXPECT_TRUE(form->Edit2->text().isEmpty());
    EXPECT_EQ(shown().size(), 5);
    EXPECT_EQ(rejected.count(), 0) << "Esc cleared the filter, it did not close the window";

    // The list filled anew keeps the filter.
    form->Edit2->setText("ord");
    form->CheckBox2->toggle();
    EXPECT_FALSE(shown().isEmpty());
    for (const QString& name : shown())
        EXPECT_TRUE(name.contains("ord", Qt::CaseInsensitive)) << name.toStdString();
}

TEST_F(FormTest, SystemTablesCheckBoxRefillsTheList) {
    Open();
    for (const bool system : {false, true, false}) {
        form->CheckBox2->setChecked(system);
        EXPECT_EQ(Texts(form->QBTables).contains("sqlite_master"), system);
    }
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

TEST_F(FormTest, TheDesignersOwnCommandsShowOnlyWhenAsked) {
    for (const bool asked : {false, true}) {
        dialog.IsDesignCommands = asked;
        Open();
        form->show();
        const QList<QAction*> items = form->Canvas()->mnu->actions();
        EXPECT_EQ(items.size(), asked ? 9 : 4);
        EXPECT_EQ(items.indexOf(form->Canvas()->MenuItem(TQBArea::kMenuTableList)), 3);
        EXPECT_EQ(items.contains(form->Canvas()->mnuArrange), asked);
        // Shown in the tool bar or in its overflow menu.
        const auto shown = [&](const QToolButton* button) {
            for (QAction* action : form->ToolBar1->actions())
                if (form->ToolBar1->widgetForAction(action) == button) return action->isVisible();
            return false;
        };
        for (QToolButton* button : {form->TB_Arrange, form->TB_Fit, form->TB_Undo, form->TB_Redo})
            EXPECT_EQ(shown(button), asked) << button->objectName().toStdString();
        EXPECT_TRUE(shown(form->TB_CreateView));
        form->hide();
    }
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
    form->ConditionList->SetCells(0, 1, "A");
    form->ConditionList->SetCells(0, 2, "B");
    form->ConditionList->SetSelection(TGridRect{0, 2, 0, 2});
    form->Sp_up->click();
    EXPECT_EQ(form->ConditionList->GetCells(0, 1), "B");
    EXPECT_EQ(form->ConditionList->GetCells(0, 2), "A");

    form->PageControl1->setCurrentIndex(TFrm_Quillary::pgExecute);
    EXPECT_FALSE(form->Sp_Select->isCheckable()) << "a plain push button on the execute page";
}

TEST_F(FormTest, OrderAndGroupButtonsMoveTheChosenItems) {
    Open();
    form->PageControl1->setCurrentIndex(TFrm_Quillary::pgGroup);
    form->GroupColumn->addItems({"a", "b", "c"});
    form->GroupColumn->setCurrentRow(2);
    form->Sp_up->click();
    EXPECT_EQ(form->GroupColumn->item(1)->text(), "c");
    EXPECT_EQ(form->GroupColumn->currentRow(), 1);
    form->GroupColumn->setCurrentRow(2);
    form->sp_down->click(); // the last one cannot go further
    EXPECT_EQ(form->GroupColumn->item(2)->text(), "b");

    form->PageControl1->setCurrentIndex(TFrm_Quillary::pgOrder);
    const QString marker = QString::fromUtf8(kDescendingMarker);
    for (const char* t : {"x", "y"}) {
        auto* item = new QListWidgetItem(marker + QString::fromLatin1(t), form->OrderColumn);
        item->setCheckState(Qt::Unchecked);
    }
    form->OrderColumn->item(1)->setCheckState(Qt::Checked);
    form->OrderColumn->setCurrentRow(1);
    form->Sp_up->click();
    EXPECT_EQ(form->OrderColumn->item(0)->text(), marker + "y");
    EXPECT_EQ(form->OrderColumn->item(0)->checkState(), Qt::Checked)
        << "the tick travels with the text";
    EXPECT_EQ(form->OrderColumn->item(1)->checkState(), Qt::Unchecked);
}

// --- reset -------------------------------------------------------------------------

TEST_F(FormTest, InitEmptiesTheDesign) {
    Open();
    ASSERT_TRUE(form->Forge("select ProductName from products limit 5"));
    dialog.Caption = "我的查询";
    Select("orders");
    form->QBTablesDblClick();
    Select("customers");
    form->QBTablesDblClick();
    auto* unionSet = new TQuillaryDialog(form.get());
    QPointer<TQuillaryDialog> watch(unionSet);
    form->OrderColumn->addItem("x");
    form->ConditionList->SetCells(2, 3, "1");
    form->ComputeColumnList->SetCells(1, 1, "total");
    form->DisplayList->SetRowCount(4);
    form->DisplayList->SetCells(1, 3, "orders.OrderID");
    form->Memo1->setPlainText("select 1");
    dialog.SavedSQL = "select 1";
    form->setWindowTitle("old");

    form->Init();
    EXPECT_TRUE(form->Canvas()->Tables().isEmpty());
    EXPECT_TRUE(watch.isNull()) << "union sets are freed";
    EXPECT_EQ(form->OrderColumn->count(), 0);
    EXPECT_EQ(form->GroupList->count(), 0) << "closing the boxes removed their columns";
    EXPECT_TRUE(form->ConditionList->PropValues()->Items(0)->PickList()->isEmpty());
    EXPECT_EQ(form->ConditionList->GetCells(2, 3), QString());
    EXPECT_EQ(form->ConditionList->GetCells(2, 0), "表达式") << "captions stay";
    EXPECT_EQ(form->ComputeColumnList->GetCells(1, 1), QString());
    EXPECT_EQ(form->DisplayList->RowCount(), 2);
    EXPECT_TRUE(form->Memo1->toPlainText().isEmpty());
    EXPECT_EQ(form->windowTitle(), "我的查询");
    EXPECT_TRUE(dialog.SavedSQL.isEmpty());
    EXPECT_EQ(form->NextTablePos(), QPoint(10, 10));
    EXPECT_TRUE(form->RowLimit().isEmpty()) << "the row limit went with the design";
}

TEST_F(FormTest, ReinitialisingAsksOnlyWhenTheSqlChanged) {
    Open();
    Select("orders");
    form->QBTablesDblClick();
    form->N_InitWin->trigger(); // empty SQL: no question
    EXPECT_TRUE(form->Canvas()->Tables().isEmpty());

    form->QBTablesDblClick();
    form->Canvas()->Tables().first()->FieldList->item(1)->setCheckState(Qt::Checked);
    ui.ExpectMessage("SQL语句已经被改写,是否还是要初始化界面？", "提示", mrNo);
    form->N_InitWin->trigger();
    EXPECT_EQ(form->Canvas()->Tables().size(), 1);
    dialog.SavedSQL = form->Memo1->toPlainText(); // as saved: untouched
    form->N_InitWin->trigger();
    EXPECT_TRUE(form->Canvas()->Tables().isEmpty());
}

// --- dropped files ----------------------------------------------------------------

TEST_F(FormTest, DroppedFilesOpenTheFirstSqlOrTextFile) {
    Open();
    dialog.Caption = "设计";
    ui.ExpectMessage("仅支持SQL文件和文本文件的自动拖放！", "提示！");
    form->DropFiles({WriteTestFile("notes.doc", "x"), WriteTestFile("ok.sql", "select 1")});
    EXPECT_TRUE(form->Memo1->toPlainText().isEmpty());

    const QString first = WriteTestFile("first.txt", "select * from orders");
    form->DropFiles({first, WriteTestFile("second.SQL", "select * from customers")});
    EXPECT_EQ(form->Memo1->toPlainText(), "select *\nfrom orders");
    EXPECT_EQ(form->Canvas()->Tables().first()->TableName, "orders");
    EXPECT_EQ(form->CurrentFileName(), first);
    EXPECT_EQ(dialog.SavedSQL, form->Memo1->toPlainText());
    EXPECT_EQ(form->windowTitle(), "设计--" + first);

    // A changed design is only replaced when the user agrees.
    const QString file = WriteTestFile("q.sql", "select ProductID from products");
    ASSERT_TRUE(form->Forge("select CategoryID from categories"));
    ui.ExpectMessage("SQL语句已经被改写,是否还是要打开新的文件？", "提示", mrNo);
    form->DropFiles({file});
    EXPECT_EQ(form->Canvas()->Tables().first()->TableName, "categories");
    ui.AnswerMessage(mrYes);
    form->DropFiles({file});
    EXPECT_EQ(form->Canvas()->Tables().first()->TableName, "products");

    dialog.OwnConnection()->Close();
    ui.ExpectMessage("请先连接数据源", "提示！");
    form->DropFiles({WriteTestFile("a.SqL", "select 1")});
    EXPECT_EQ(form->Canvas()->Tables().first()->TableName, "products");
}

TEST_F(FormTest, ARealDropEventReachesTheWindow) {
    Open();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(WriteTestFile("dropped.sql", "select OrderID from orders"))});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    // Delivered as the window system would, without a drag in progress.
    static_cast<QObject*>(form.get())->event(&enter);
    EXPECT_TRUE(enter.isAccepted());
    static_cast<QObject*>(form.get())->event(&drop);
    EXPECT_EQ(form->Memo1->toPlainText(), "select OrderID\nfrom orders");
}

// --- closing in create-view mode -------------------------------------------------

class CreateViewTest : public FormTest {
protected:
    void OpenOn(const QString& sql) {
        Open();
        dialog.IsCreateView = true;
        if (!sql.isEmpty()) {
            ASSERT_TRUE(form->Forge(sql));
        }
    }
    bool ViewExists(const QString& name) {
        QStringList names;
        dialog.GetConn()->GetTableNames(names, false);
        return names.contains(name);
    }
};

TEST_F(CreateViewTest, ConfirmingAsksForAFreeNameAndCreatesTheView) {
    OpenOn("select * from customers");
    ui.AnswerInput(QString()) // empty: asked again
        .AnswerInput("v_order_totals")
        .ExpectMessage("试图名称被占用或者其他原因，是否重新输入名称?", "提示！", mrYes)
        .AnswerInput("v_customers");
    form->Button1->click();
    EXPECT_TRUE(ViewExists("v_customers"));
    EXPECT_EQ(form->result(), int(mrOk));
    EXPECT_EQ(form->ViewName(), "v_customers");
    EXPECT_EQ(ui.Log()[0].Caption, "提示！");
    EXPECT_EQ(ui.Log()[0].Text, "请输入视图名称： ");
    EXPECT_EQ(ui.Log()[3].Value, "v_order_totals") << "pre-filled with the last name";
}

TEST_F(CreateViewTest, ABrokenQueryKeepsTheFormOpenWhenTheUserWantsToFixIt) {
    OpenOn(QString());
    form->show();
    form->Memo1->setPlainText("select from where");
    ui.AnswerInput("v_x").ExpectMessage("查询语句发生错误，是否修改这个错误？", "提示！", mrYes);
    form->Button1->click();
    EXPECT_TRUE(form->isVisible()) << "closing refused";
    ui.AnswerInput("v_x").AnswerMessage(mrNo);
    form->Button1->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(ViewExists("v_x"));
}

TEST_F(CreateViewTest, CancelInTheNameBoxOrTheCancelButtonCreatesNothing) {
    OpenOn("select * from orders");
    ui.CancelInput();
    form->Button1->click();
    EXPECT_EQ(form->result(), int(mrOk));
    form->Button2->click(); // no question at all
    EXPECT_FALSE(dialog.IsCreateView);
    EXPECT_EQ(form->result(), int(mrCancel));
}

TEST_F(CreateViewTest, TheCloseBoxAlsoCreatesTheView) {
    OpenOn("select * from suppliers");
    form->show();
    ui.AnswerInput("v_suppliers");
    form->close();
    EXPECT_TRUE(ViewExists("v_suppliers"));
}
