// Commands on whole statements: union sets and their panel, the result and
// execute pages, the SQL memo's menu, new views.
#include "DesignerTestSupport.h"

#include "db/QueryModel.h"
#include "designer/QBArea.h"
#include "designer/QBTable.h"
#include "grid/StringGridEx.h"
#include "platform/Clipboard.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

namespace {

// A table of a million rows, made once for the whole run.
const QString& MillionRows() {
    static const QString path = CreateSqliteDatabase(QStringLiteral(
        "create table big (id integer primary key, name text);"
        "with recursive n(i) as (select 1 union all select i + 1 from n where i < 1000000) "
        "insert into big select i, 'row ' || i from n;"));
    return path;
}

QStringList GridRow(const TStringGridEx* grid, int row) {
    QStringList cells;
    for (int c = 0; c < 4; ++c)
        cells << grid->GetCells(c, row);
    return cells;
}

} // namespace

class WholeStatementTest : public DesignerFormTest {
protected:
    void SelectGridRow(int row) { form->UnionGrid->SetRow(row); }
};

// --- union sets --------------------------------------------------------------------------

TEST_F(WholeStatementTest, UnionSetsAreAddedReopenedDeletedAndJoinedIntoTheStatement) {
    Open();
    ASSERT_TRUE(form->Forge("select CategoryName from categories"));
    form->TB_JOIN->click();
    const QString added = "SQL语句生成器--新建联合子句";
    ExpectNestedDesign(ui, added, "select CompanyName from suppliers");
    form->btn_New->click();
    EXPECT_FALSE(form->Pan_Union->isVisible()) << "hidden while the nested designer runs";
    form->TB_JOIN->click();
    ExpectNestedDesign(ui, added, "select CompanyName from customers");
    form->btn_New->click();
    ExpectDesigner(ui, [](TFrm_Quillary&) { return int(mrCancel); });
    form->btn_New->click(); // cancelled: nothing added
    ASSERT_EQ(form->UnionSets().size(), 2);
    EXPECT_EQ(form->UnionSets()[0]->Form_Left, form->x() + 10);
    EXPECT_FALSE(form->UnionSets()[0]->IsAllowOrderBy);
    EXPECT_EQ(form->UnionGrid->RowCount(), 4);
    EXPECT_EQ(GridRow(form->UnionGrid, 1), QStringList({"", "union0", "", "union"}));
    EXPECT_EQ(GridRow(form->UnionGrid, 2), QStringList({"", "union1", "", "union"}));
    EXPECT_EQ(GridRow(form->UnionGrid, 3), QStringList({"", "union2", "", ""}));
    EXPECT_EQ(form->GetSQL(), QStringLiteral("select CategoryName\r\nfrom categories\r\nunion\r\n"
                                             "select CompanyName\r\nfrom suppliers\r\nunion\r\n"
                                             "select CompanyName\r\nfrom customers"));

    // Reopened: the nested designer shows the union set's design; the grid stays.
    form->TB_JOIN->click();
    SelectGridRow(2);
    ExpectDesigner(ui, [](TFrm_Quillary& nested) {
        EXPECT_EQ(nested.windowTitle(), "SQL语句生成器--打开联合子句");
        EXPECT_EQ(nested.GetSQL(), "select CompanyName\r\nfrom suppliers");
        EXPECT_TRUE(nested.Forge("select City from suppliers"));
        return int(mrOk);
    });
    form->btn_Open->click();
    EXPECT_EQ(form->UnionSets()[0]->SQL, "select City\r\nfrom suppliers");
    EXPECT_EQ(form->UnionGrid->RowCount(), 4);

    // Row 1 is the main statement: nothing to open or delete.
    form->TB_JOIN->click();
    SelectGridRow(1);
    form->btn_Open->click();
    form->btn_Delete->click();
    EXPECT_EQ(form->UnionSets().size(), 2);

    QPointer<TQuillaryDialog> first = form->UnionSets()[0];
    form->UnionGrid->SetCells(0, 3, "(");
    SelectGridRow(2);
    form->btn_Delete->click();
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(form->Pan_Union->isVisible()) << "the panel stays";
    EXPECT_EQ(form->UnionGrid->RowCount(), 3);
    EXPECT_EQ(GridRow(form->UnionGrid, 2), QStringList({"(", "union2", "", ""}));
    EXPECT_EQ(form->GetSQL(), QStringLiteral("select CategoryName\r\nfrom categories\r\nunion\r\n"
                                             "(select CompanyName\r\nfrom customers"));
}

// --- result and execute pages ---------------------------------------------------------------

TEST_F(WholeStatementTest, TheResultPageCountsAMillionRowsAndReadsOnlyWhatIsShown) {
    Open("Provider=SQLite;Data Source=" + MillionRows());
    ASSERT_TRUE(form->Forge("select id, name from big"));
    form->PageControl1->setCurrentIndex(TFrm_Quillary::pgQuery);
    QApplication::processEvents();
    EXPECT_EQ(form->Panel3Text->text(), "共1000000条记录");
    const int shown = form->DataSource1->rowCount();
    EXPECT_GT(shown, 0);
    EXPECT_LE(form->ResQuery->FetchedCount(), 2 * TADOQueryModel::kBatchSize);
    EXPECT_EQ(form->Panel3Fetched->text(), QStringLiteral("已读取%1条").arg(shown));
    form->DBGrid1->scrollToBottom();
    QApplication::processEvents();
    EXPECT_GT(form->DataSource1->rowCount(), shown) << "scrolling reads on";
    EXPECT_LT(form->ResQuery->FetchedCount(), 10 * TADOQueryModel::kBatchSize);
    EXPECT_EQ(form->Panel3Fetched->text(),
              QStringLiteral("已读取%1条").arg(form->DataSource1->rowCount()));

    ASSERT_TRUE(form->Forge("select id from big where id < 0"));
    form->TS_QueryEnter();
    EXPECT_EQ(form->Panel3Text->text(), "未查到任何记录");

    // A table goes away behind the designer's back: the error takes the page.
    TADOQuery change;
    change.SetConnection(dialog.GetConn());
    change.SQL() = QStringList{"create table gone (id integer)"};
    change.ExecSQL();
    ASSERT_TRUE(form->Forge("select id from gone"));
    form->ResQuery->Close();
    change.SQL() = QStringList{"drop table gone"};
    change.ExecSQL();
    form->TS_QueryEnter();
    EXPECT_FALSE(form->Memo2->isHidden());
    EXPECT_TRUE(form->Memo2->toPlainText().contains("no such table"));
    EXPECT_EQ(form->Panel3->height(), form->TS_Query->height());
}

TEST_F(WholeStatementTest, AHeaderClickSortsLazilyAndTheRowsCopyAndExport) {
    Open("Provider=SQLite;Data Source=" + MillionRows());
    ASSERT_TRUE(form->Forge("select id, name from big"));
    EXPECT_TRUE(form->ResQuery->Active()) << "the test run's rows are kept through the rebuild";
    form->PageControl1->setCurrentIndex(TFrm_Quillary::pgQuery);
    QApplication::processEvents();
    auto cell = [&](int row, int column) {
        return form->DataSource1->index(row, column).data().toString();
    };
    QHeaderView* header = form->DBGrid1->horizontalHeader();
    // Each click runs the statement again in that order; rows are read as shown.
    const struct {
        int Column;
        const char* First;
        Qt::SortOrder Order;
    } clicks[] = {{0, "1", Qt::AscendingOrder},
                  {0, "1000000", Qt::DescendingOrder},
                  {1, "row 1", Qt::AscendingOrder},
                  {1, "row 999999", Qt::DescendingOrder}};
    for (const auto& click : clicks) {
        form->SortResultBy(click.Column);
        EXPECT_EQ(cell(0, click.Column), click.First) << click.Column;
        EXPECT_EQ(header->sortIndicatorSection(), click.Column);
        EXPECT_EQ(header->sortIndicatorOrder(), click.Order);
        EXPECT_LE(form->ResQuery->FetchedCount(), 2 * TADOQueryModel::kBatchSize);
        EXPECT_EQ(form->Panel3Text->text(), "共1000000条记录");
    }
    // A statement of its own starts unsorted.
    ASSERT_TRUE(form->Forge("select id, name from big where id in (3, 1, 2) order by id"));
    form->TS_QueryEnter();
    EXPECT_EQ(header->sortIndicatorSection(), -1);
    form->SortResultBy(1);
    form->SortResultBy(1);
    EXPECT_EQ(cell(0, 1), "row 3");

    // Selected cells go to the clipboard as tab-separated lines.
    while (form->DataSource1->canFetchMore({}))
        form->DataSource1->fetchMore({});
    form->DBGrid1->selectionModel()->select(
        QItemSelection(form->DataSource1->index(0, 0), form->DataSource1->index(1, 1)),
        QItemSelectionModel::Select);
    form->CopyResultCells();
    EXPECT_EQ(TClipboard::AsText(), "3\trow 3\n2\trow 2");

    // Every row into a CSV file with a byte-order mark; awkward text quoted.
    TADOQuery change;
    change.SetConnection(dialog.GetConn());
    change.SQL() = QStringList{"create table odd (a text, b real)"};
    change.ExecSQL();
    change.SQL() = QStringList{"insert into odd values ('x, \"y\"', 0.5), ('z', null)"};
    change.ExecSQL();
    ASSERT_TRUE(form->Forge("select a, b from odd"));
    form->TS_QueryEnter();
    const QString path = QDir(TestDir()).filePath("rows");
    ui.AnswerSaveFile(path);
    form->BtnExport->click();
    QFile file(path + ".csv");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("\xEF\xBB\xBF" "a,b\r\n\"x, \"\"y\"\"\",0.5\r\nz,\r\n"));
}

TEST_F(WholeStatementTest, TheExecutePageShowsRowsOrSaysWhatChanged) {
    Open();
    form->PageControl1->setCurrentIndex(TFrm_Quillary::pgExecute);
    form->MExcuteSQL->setPlainText("-- nothing\n  -- at all");
    form->Sp_Select->click();
    EXPECT_EQ(form->PageControl1->currentIndex(), int(TFrm_Quillary::pgExecute));

    // A comment before a statement does not make it a comment.
    form->MExcuteSQL->setPlainText("-- a note first\nupdate products set UnitPrice = UnitPrice "
                                   "where CategoryID = 1");
    form->Sp_Select->click();
    EXPECT_EQ(QToolTip::text(), "语句已执行，影响了12条记录");

    form->MExcuteSQL->setPlainText("select ProductName from products;");
    form->Sp_Select->click();
    EXPECT_EQ(form->PageControl1->currentIndex(), int(TFrm_Quillary::pgQuery));
    EXPECT_EQ(form->ResQuery->SQLText(), form->MExcuteSQL->toPlainText());
    EXPECT_EQ(form->Panel3Text->text(), "共77条记录");

    // A statement the count cannot wrap: the rows read so far stand for it.
    form->PageControl1->setCurrentIndex(TFrm_Quillary::pgExecute);
    form->MExcuteSQL->setPlainText("pragma table_info(categories)");
    form->Sp_Select->click();
    QApplication::processEvents(); // the view reads its rows
    EXPECT_EQ(form->Panel3Text->text(), "共3条记录");

    form->PageControl1->setCurrentIndex(TFrm_Quillary::pgExecute);
    form->MExcuteSQL->setPlainText("delete from nowhere");
    ui.AnswerMessage(mrYes); // it would delete every row
    ui.ExpectMessage("no such table: nowhere", QString());
    form->Sp_Select->click();
}

// --- the SQL memo's menu ------------------------------------------------------------------

TEST_F(WholeStatementTest, TheMemoMenuCopiesAndConvertsTheDesign) {
    Open("Provider=SQLite;Data Source=" +
         CreateSqliteDatabase(QStringLiteral("create table Emp (id integer, name text, did int);"
                                             "create table Dept (id integer, title text);")));
    form->PopupMenu2Change();
    EXPECT_FALSE(form->N_ApplySQL->isVisible());
    ui.ExpectMessage("没有选择表", "提示!");
    form->MenuItem2->trigger();

    ASSERT_TRUE(form->Forge("select name, id from Emp where id = 1"));
    form->MenuItem2->trigger();
    EXPECT_EQ(form->Memo1->toPlainText(), "Insert into Emp (id,name) values()");
    EXPECT_TRUE(form->Sp_ApplySQL->isHidden());
    form->MenuItem3->trigger();
    EXPECT_EQ(form->Memo1->toPlainText(), "Update Emp set \nid=,\nname=\nwhere id=1");

    form->N5->trigger();
    form->N_Cut2->trigger();
    EXPECT_TRUE(form->Memo1->toPlainText().isEmpty());
    EXPECT_FALSE(form->Sp_ApplySQL->isHidden()) << "an edit of the user";
    form->PopupMenu2Change();
    EXPECT_TRUE(form->N_ApplySQL->isVisible());
    form->N_Paste2->trigger();
    EXPECT_TRUE(form->Memo1->toPlainText().startsWith("Update Emp set"));
    TClipboard::SetAsText("kept");
    form->Memo1->setPlainText("  \n ");
    form->N_CopySQL->trigger(); // a blank memo is not copied
    EXPECT_EQ(TClipboard::AsText(), "kept");
    form->Memo1->setPlainText("select 1");
    form->TB_CopySQL->click();
    EXPECT_EQ(TClipboard::AsText(), "select 1");
}

// --- views ------------------------------------------------------------------------------------

TEST_F(WholeStatementTest, ANewViewIsDesignedCreatedAndListed) {
    Open();
    ExpectDesigner(ui, [](TFrm_Quillary& nested) {
        EXPECT_EQ(nested.windowTitle(), "SQL语句生成器，创建新视图");
        EXPECT_TRUE(nested.Dialog()->IsCreateView);
        EXPECT_TRUE(nested.Forge("select ProductName, UnitPrice from products"));
        nested.Button1->click(); // asks for the name, creates the view
        return nested.result();
    });
    ui.AnswerInput("v_prices");
    form->TB_CreateView->click();
    TQBTable* view = Place("v_prices");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(Texts(view->FieldList), QStringList({"*", "ProductName", "UnitPrice"}));

    ExpectDesigner(ui, [](TFrm_Quillary&) { return int(mrCancel); });
    form->TB_CreateView->click(); // cancelled: nothing reloaded, nothing created
    EXPECT_EQ(form->QBTables->count(), 10);
}
