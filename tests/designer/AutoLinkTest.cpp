// Joins from foreign keys on SQLite: the sample database's keys, a table
// that refers to itself, composite keys, keys the link rules refuse, the
// switch, and the rebuilds that never add links of their own.
#include "designer/AutoLink.h"
#include "CanvasTestSupport.h"

#include <QAction>
#include <QMenu>

namespace quillary::test {
namespace {

class AutoLinkTest : public CanvasFixture {
protected:
    AutoLinkTest() { dialog.IsDesignCommands = true; }
    // The canvas on a database made by `script`.
    void OpenOn(const QString& script) {
        OpenForm("Provider=SQLite;Data Source=" + CreateSqliteDatabase(script));
        form->GetTablesList(false);
        form->show();
    }
    // Every link as "table1.column1=table2.column2" (box names), with its
    // join type when it is not inner.
    QStringList Links() const {
        QStringList out;
        for (const TQBLink* l : canvas()->Links())
            out << l->Table1->GetTableName() + QLatin1Char('.') + l->Field1 + QLatin1Char('=') +
                       l->Table2->GetTableName() + QLatin1Char('.') + l->Field2 +
                       (l->JoinType ? QStringLiteral(" type %1").arg(l->JoinType) : QString());
        return out;
    }
};

TEST_F(AutoLinkTest, PlacingTablesOfTheSampleJoinsThemAlongItsKeys) {
    Open(true, true);
    TQBTable* customers = Place("customers");
    EXPECT_TRUE(Links().isEmpty());
    TQBTable* orders = Place("orders");
    Place("order_items");
    EXPECT_EQ(Links(), QStringList({"customers.CustomerID=orders.CustomerID",
                                    "orders.OrderID=order_items.OrderID"}));
    // Either direction: products is referred to by a box already there.
    Place("categories");
    Place("products");
    Place("employees");
    QStringList later = Links().mid(2);
    later.sort();
    EXPECT_EQ(later, QStringList({"categories.CategoryID=products.CategoryID",
                                  "order_items.ProductID=products.ProductID",
                                  "orders.EmployeeID=employees.EmployeeID"}));
    // Through InsertLink: the linked columns are drawn in bold.
    EXPECT_TRUE(customers->FieldList->IsItemBold(Row(customers, "CustomerID")));
    EXPECT_TRUE(orders->FieldList->IsItemBold(Row(orders, "EmployeeID")));
    EXPECT_FALSE(orders->FieldList->IsItemBold(Row(orders, "OrderDate")));
}

TEST_F(AutoLinkTest, ASecondCopyOfATableThatRefersToItselfIsItsReferredRow) {
    Open(true, true);
    Place("employees");
    ui.ExpectMessage("这张表已经选择过,是否要加入?若加入，请给该表加一个别名", "提示!", mrYes)
        .AnswerInput("boss");
    Place("employees");
    EXPECT_EQ(Links(), QStringList({"employees.ReportsTo=boss.EmployeeID"}));
    // A third copy joins the latest one placed before it.
    ui.AnswerMessage(mrYes).AnswerInput("top");
    Place("employees");
    EXPECT_EQ(Links().mid(1), QStringList({"boss.ReportsTo=top.EmployeeID"}));
}

TEST_F(AutoLinkTest, CompositeKeysWholeRefusedKeysSilentlyNotAtAll) {
    OpenOn(QStringLiteral(
        "create table parent (p1 integer, p2 varchar(10), name text, primary key (p1, p2));"
        "create table child (id integer primary key, p1 integer, p2 varchar(10),"
        "  foreign key (p1, p2) references PARENT (p1, p2));"
        "create table kind (id integer primary key, label text);"
        "create table mismatch (id integer primary key, kind_code varchar(5) references kind (id));"
        "create table implied (id integer primary key, k integer references kind);"
        "create table other (id integer primary key, child_id integer references child (id));"));
    dialog.IsAutoLink = true;
    Place("parent");
    Place("mismatch");
    EXPECT_TRUE(Links().isEmpty()) << "keys to tables not on the canvas";
    Place("child");
    EXPECT_EQ(Links(), QStringList({"parent.p1=child.p1", "parent.p2=child.p2"}));
    // A text column referring to an integer one: the link rules refuse it,
    // without a message (the script has none to give).
    Place("kind");
    EXPECT_EQ(Links().size(), 2);
    // A key that names no columns refers to the primary key.
    Place("implied");
    EXPECT_EQ(Links().mid(2), QStringList({"kind.id=implied.k"}));
}

TEST_F(AutoLinkTest, TheMenuItemAndThePropertySwitchIt) {
    EXPECT_FALSE(TQuillaryDialog().IsAutoLink) << "off unless the program turns it on";
    Open(true, true);
    QAction* item = canvas()->mnuAutoLink;
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), QString::fromUtf8(kAutoLinkCaption));
    // After the four items of the menu, which keep their places.
    EXPECT_EQ(canvas()->mnu->actions().indexOf(item), 5);
    EXPECT_EQ(canvas()->mnu->actions().indexOf(canvas()->MenuItem(3)), 3);
    emit canvas()->mnu->aboutToShow();
    EXPECT_TRUE(item->isChecked());
    item->trigger();
    EXPECT_FALSE(dialog.IsAutoLink);
    Place("customers");
    Place("orders");
    EXPECT_TRUE(Links().isEmpty());
    dialog.IsAutoLink = true;
    emit canvas()->mnu->aboutToShow();
    EXPECT_TRUE(item->isChecked());
    Place("order_items");
    EXPECT_EQ(Links(), QStringList({"orders.OrderID=order_items.OrderID"}));
}

TEST_F(AutoLinkTest, TheRebuildAndTheStateTextAddNoLinksOfTheirOwn) {
    Open(true, true);
    ASSERT_TRUE(form->Forge("select * from customers, orders, order_items"));
    EXPECT_EQ(canvas()->Tables().size(), 3);
    EXPECT_TRUE(Links().isEmpty());
    ASSERT_TRUE(form->Forge(QStringLiteral(
        "select * from orders o left join customers c on o.CustomerID = c.CustomerID, employees")));
    EXPECT_EQ(Links(), QStringList({"o.CustomerID=c.CustomerID type 1"}));
    const QStringList state = form->GetSQLSet();
    form->Init();
    dialog.FSetSQL(state);
    form->SetSQLSet();
    EXPECT_EQ(canvas()->Tables().size(), 3);
    EXPECT_EQ(Links(), QStringList({"o.CustomerID=c.CustomerID type 1"}));
}

} // namespace
} // namespace quillary::test
