// Joins from foreign keys on a database server (PostgreSQL or MariaDB,
// started by ctest): tables of another schema, a name in mixed case, a
// composite key.
#include "DesignerTestSupport.h"
#include "db/ADOQuery.h"
#include "designer/QBArea.h"
#include "designer/QBLink.h"
#include "designer/QBTable.h"

#include <QListWidget>
#include <gtest/gtest.h>

namespace quillary::test {
namespace {

class AutoLinkServerTest : public DesignerFormTest {
protected:
    static void SetUpTestSuite() {
        // Test processes share the server: made once (under a lock where
        // several may run at once).
        RunOnTestServer(ForServer(
            "select pg_advisory_xact_lock(4713);"
            "create schema if not exists autolink;"
            "create table if not exists autolink.\"Customers\" (\"Id\" integer primary key, "
            "  name text);"
            "create table if not exists autolink.orders (id integer primary key, "
            "  customer integer references autolink.\"Customers\" (\"Id\"));"
            "create table if not exists autolink.lines (order_id integer references "
            "  autolink.orders (id), line_no integer, primary key (order_id, line_no));"
            "create table if not exists autolink.shipments (id integer primary key, "
            "  order_id integer, line_no integer, "
            "  foreign key (order_id, line_no) references autolink.lines);",
            // A database of its own is MariaDB's schema.
            "create database if not exists autolink;"
            "create table if not exists autolink.Customers (Id integer primary key, name text);"
            "create table if not exists autolink.orders (id integer primary key, "
            "  customer integer, foreign key (customer) references autolink.Customers (Id));"
            "create table if not exists autolink.lines (order_id integer, line_no integer, "
            "  primary key (order_id, line_no), "
            "  foreign key (order_id) references autolink.orders (id));"
            "create table if not exists autolink.shipments (id integer primary key, "
            "  order_id integer, line_no integer, foreign key (order_id, line_no) "
            "  references autolink.lines (order_id, line_no));"));
    }
    void SetUp() override {
        DesignerFormTest::SetUp();
        Open(TestServer().ConnectionString());
    }
    QStringList Links() const {
        QStringList out;
        for (const TQBLink* l : form->Canvas()->Links())
            out << l->Table1->GetTableName() + QLatin1Char('.') + l->Field1 + QLatin1Char('=') +
                       l->Table2->GetTableName() + QLatin1Char('.') + l->Field2;
        return out;
    }
    // A table as the table list names it (Customers quoted on PostgreSQL,
    // lines on MariaDB).
    QString Table(const char* name) const {
        return dialog.GetConn()->Dialect().QualifiedName({"autolink", name});
    }
};

TEST_F(AutoLinkServerTest, PlacedTablesJoinAlongTheirKeys) {
    dialog.IsAutoLink = true;
    const QString customers = Table("Customers"), orders = Table("orders"),
                  shipments = Table("shipments"), lines = Table("lines");
    Place(orders);
    Place(customers);
    EXPECT_EQ(Links(), QStringList({orders + ".customer=" + customers + ".Id"}));
    Place(shipments);
    EXPECT_EQ(Links().size(), 1) << "no key between orders and shipments";
    Place(lines);
    EXPECT_EQ(Links().mid(1), QStringList({orders + ".id=" + lines + ".order_id",
                                           shipments + ".order_id=" + lines + ".order_id",
                                           shipments + ".line_no=" + lines + ".line_no"}));
}

TEST_F(AutoLinkServerTest, OffByDefaultPlacingLinksNothing) {
    Place(Table("Customers"));
    Place(Table("orders"));
    EXPECT_TRUE(Links().isEmpty());
}

} // namespace
} // namespace quillary::test
