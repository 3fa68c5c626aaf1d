// Joins from foreign keys on PostgreSQL (a server started by ctest): tables
// off the search path, a name in mixed case (listed quoted), a composite key.
#include "DesignerTestSupport.h"
#include "db/ADOQuery.h"
#include "designer/QBArea.h"
#include "designer/QBLink.h"
#include "designer/QBTable.h"

#include <QListWidget>
#include <gtest/gtest.h>

namespace quillary::test {
namespace {

class AutoLinkPostgresTest : public DesignerFormTest {
protected:
    static void SetUpTestSuite() {
        // Test processes share the server: made once, under a lock.
        RunOnPostgres(QStringLiteral(
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
            "  foreign key (order_id, line_no) references autolink.lines);"));
    }
    void SetUp() override {
        DesignerFormTest::SetUp();
        Open(PostgresServer().ConnectionString());
    }
    QStringList Links() const {
        QStringList out;
        for (const TQBLink* l : form->Canvas()->Links())
            out << l->Table1->GetTableName() + QLatin1Char('.') + l->Field1 + QLatin1Char('=') +
                       l->Table2->GetTableName() + QLatin1Char('.') + l->Field2;
        return out;
    }
};

TEST_F(AutoLinkPostgresTest, PlacedTablesJoinAlongTheirKeys) {
    Place("autolink.orders");
    Place("autolink.\"Customers\"");
    EXPECT_EQ(Links(), QStringList({"autolink.orders.customer=autolink.\"Customers\".Id"}));
    Place("autolink.shipments");
    EXPECT_EQ(Links().size(), 1) << "no key between orders and shipments";
    Place("autolink.lines");
    EXPECT_EQ(Links().mid(1), QStringList({"autolink.orders.id=autolink.lines.order_id",
                                           "autolink.shipments.order_id=autolink.lines.order_id",
                                           "autolink.shipments.line_no=autolink.lines.line_no"}));
}

TEST_F(AutoLinkPostgresTest, SwitchedOffPlacingLinksNothing) {
    dialog.IsAutoLink = false;
    Place("autolink.\"Customers\"");
    Place("autolink.orders");
    EXPECT_TRUE(Links().isEmpty());
}

} // namespace
} // namespace quillary::test
