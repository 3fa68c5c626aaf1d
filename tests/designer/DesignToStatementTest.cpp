// From the canvas and the pages to the statement that "确定" hands back, on
// the sample database, and that statement run for real.
#include "DesignerTestSupport.h"

#include "db/ADOQuery.h"
#include "designer/QBArea.h"
#include "designer/QBLbx.h"
#include "designer/QBLink.h"
#include "designer/QBTable.h"
#include "grid/StringGridEx.h"

#include <QApplication>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

namespace {

// Places `table` on the form's canvas by a double click in the table list.
TQBTable* PlaceOn(TFrm_Quillary& form, const char* table) {
    form.QBTables->setCurrentItem(form.QBTables->findItems(table, Qt::MatchExactly).value(0));
    form.QBTablesDblClick();
    return form.Canvas()->Tables().value(form.Canvas()->Tables().size() - 1);
}

} // namespace

class DesignToStatement : public ScriptedUiTest {};

TEST_F(DesignToStatement, AFourTableJoinWithPagesIsWrittenShownReturnedAndRuns) {
    TQuillaryDialog d;
    d.SetConnectionString(SampleCsn());
    d.IsAutoLink = true;
    QString shown;
    ExpectDesigner(ui, [&](TFrm_Quillary& form) {
        TQBTable* customers = PlaceOn(form, "customers");
        TQBTable* orders = PlaceOn(form, "orders");
        TQBTable* items = PlaceOn(form, "order_items");
        TQBTable* products = PlaceOn(form, "products");
        TQBArea* canvas = form.Canvas();
        // The sample database declares its foreign keys: placing the tables
        // joined them (auto links on, as in the program). Every customer, with orders or not; the
        // rest inner.
        EXPECT_EQ(canvas->Links().size(), 3);
        if (canvas->Links().isEmpty()) return int(mrCancel);
        TQBLink* outer = canvas->Links().first();
        EXPECT_EQ(outer->Table1, customers);
        outer->JoinType = 1;
        Q_UNUSED(orders);
        Q_UNUSED(items);
        for (auto [box, column] : {std::pair{customers, "City"}, {products, "ProductName"}})
            box->FieldList->item(box->FieldList->IndexOfText(column))->setCheckState(Qt::Checked);
        form.ComputeColumnList->SetCells(0, 1, "sum(order_items.Quantity)");
        form.ComputeColumnList->SetCells(1, 1, "pieces");
        form.ConditionList->SetCells(0, 1, "products.UnitPrice");
        form.ConditionList->SetCells(1, 1, ">");
        form.ConditionList->SetCells(2, 1, "10");
        form.GroupColumn->addItems({"customers.City", "products.ProductName"});
        form.PageControl1->setCurrentIndex(TFrm_Quillary::pgOrder);
        form.OrderList->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
        form.OrderListDblClick();
        form.PageControl1->setCurrentIndex(TFrm_Quillary::pgSQL);
        shown = form.Memo1->toPlainText();
        return int(mrOk);
    });
    ASSERT_TRUE(d.Execute());
    QString expected = QStringLiteral(
        "select customers.City,products.ProductName,\r\n"
        "sum(order_items.Quantity) as pieces\r\n"
        "from customers LEFT JOIN (orders INNER JOIN (order_items INNER JOIN products on "
        "order_items.ProductID=products.ProductID) on orders.OrderID=order_items.OrderID) on "
        "customers.CustomerID=orders.CustomerID\r\n"
        "where products.UnitPrice>10\r\n"
        "group by customers.City,products.ProductName\r\n"
        "order by customers.City");
    EXPECT_EQ(d.SQL, expected);
    EXPECT_EQ(shown, QString(expected).replace("\r\n", "\n")) << "the SQL page shows the statement";

    TADOQuery q;
    q.SetConnection(d.GetConn());
    q.SQL() = QStringList{d.SQL};
    q.Open(); // throws when SQLite refuses it
    EXPECT_GT(q.RecordCount(), 10);
}

class FormOperations : public DesignerFormTest {};

TEST_F(FormOperations, TheFormAnswersForItsDesign) {
    dialog.IsAutoLink = false;
    Open();
    TQBTable* customers = Place("customers");
    TQBTable* orders = Place("orders");
    ASSERT_TRUE(customers && orders);
    EXPECT_EQ(form->GetJoinClause(), QString()) << "no link yet";
    // A condition that equates columns of two boxes is drawn as a link.
    EXPECT_EQ(form->IsLinkList({"", "customers.CustomerID", "*=", "orders.CustomerID", "", ""},
                               dsSqlServer, -1),
              1);
    ASSERT_EQ(form->Canvas()->Links().size(), 1);
    EXPECT_EQ(form->Canvas()->Links().first()->JoinType, 1);
    EXPECT_TRUE(orders->FieldList->IsItemBold(Row(orders, "CustomerID")));
    EXPECT_EQ(form->IsLinkList({"", "customers.City", "=", "'北京'", "", ""}, dsOther, -1), -1);
    EXPECT_EQ(form->IsLinkList({"a", "b"}, dsOther, -1), -2);
    EXPECT_EQ(form->GetJoinClause(),
              "customers LEFT JOIN orders on customers.CustomerID=orders.CustomerID");

    Tick(customers, "City");
    EXPECT_EQ(form->GetCheckedItems(false), QStringList{"customers.City"});
    EXPECT_EQ(form->GetCheckedItems(true), QStringList{"City"});
    EXPECT_FALSE(form->IsMatch()) << "the display list has not followed the tick yet";
    form->TS_DisplayEnter();
    EXPECT_TRUE(form->IsMatch());
    form->DisplayList->SetCells(2, 1, "1x");
    EXPECT_EQ(form->IsValidDisplayCol(), -1);

    form->ConditionList->SetCells(0, 1, "customers.City");
    EXPECT_EQ(IsValidExpression(1, form->ConditionList), 1);
    form->ConditionList->SetCells(1, 1, "like");
    form->ConditionList->SetCells(2, 1, "'北%'");
    EXPECT_EQ(IsValidExpression(1, form->ConditionList), 0);
    EXPECT_EQ(GetExpression(1, form->ConditionList), "customers.City like '北%'");
}

TEST_F(FormOperations, OnlyAnAliasFaultLeadsToTheDisplayList) {
    Open();
    ASSERT_TRUE(form->Forge("select customers.City from customers left join orders on "
                            "customers.CustomerID=orders.CustomerID, categories, products"));
    QApplication::setActiveWindow(form.get());
    form->PageControl1->setCurrentIndex(form->PageControl1->indexOf(form->TS_SQL));
    form->Memo1->setFocus();
    ASSERT_EQ(form->IsLinkList({"", "categories.CategoryID", "=", "products.CategoryID", "", ""},
                               dsOther, -1),
              0);
    ui.ExpectMessage("至少有两个以上的链接星形网络之间没有关联", "提示");
    EXPECT_EQ(form->GetSQL(), QString());
    EXPECT_EQ(form->PageControl1->currentWidget(), form->TS_SQL);
    EXPECT_TRUE(form->Memo1->hasFocus()) << "a link fault leaves the user where he is";

    form->DisplayList->SetCells(2, 1, "1x");
    ui.ExpectMessage("别名不符合命名规范", "提示");
    EXPECT_EQ(form->GetSQL(), QString());
    EXPECT_EQ(form->PageControl1->currentWidget(), form->TS_Display);
    EXPECT_TRUE(form->DisplayList->hasFocus());
}
