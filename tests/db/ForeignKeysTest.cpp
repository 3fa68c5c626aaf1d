// Foreign keys read through the driver: SQLite directly and through ODBC,
// and the names a table box may hold for a key's table.
#include "db/ForeignKeys.h"
#include "TestSupport.h"
#include "db/ADOConnection.h"

#include <gtest/gtest.h>

using namespace quillary;
using dialect::TForeignKey;

namespace {

// Each key as "table(columns)->table(columns)".
QStringList Show(const QList<TForeignKey>& keys) {
    QStringList out;
    for (const TForeignKey& k : keys)
        out << k.Table + QLatin1Char('(') + k.Columns.join(QLatin1Char(',')) + ")->" + k.RefTable +
                   QLatin1Char('(') + k.RefColumns.join(QLatin1Char(',')) + QLatin1Char(')');
    out.sort();
    return out;
}

} // namespace

TEST(ForeignKeys, TheSampleDeclaresItsKeysOnSqliteAndThroughOdbc) {
    const QStringList orders = {"order_items(OrderID)->orders(OrderID)",
                                "orders(CustomerID)->customers(CustomerID)",
                                "orders(EmployeeID)->employees(EmployeeID)"};
    const QStringList employees = {"employees(ReportsTo)->employees(EmployeeID)",
                                   "orders(EmployeeID)->employees(EmployeeID)"};
    TADOConnection sqlite(QStringLiteral("Provider=SQLite;Data Source=") +
                          test::SharedSampleDatabase());
    sqlite.Open();
    EXPECT_EQ(Show(dialect::ForeignKeysOf(&sqlite, QStringLiteral("orders"))), orders);
    EXPECT_EQ(Show(dialect::ForeignKeysOf(&sqlite, QStringLiteral("EMPLOYEES"))), employees)
        << "a table that refers to itself gives its key once";
    EXPECT_TRUE(dialect::ForeignKeysOf(&sqlite, QStringLiteral("v_order_totals")).isEmpty());
    EXPECT_TRUE(dialect::ForeignKeysOf(&sqlite, QStringLiteral("no_such_table")).isEmpty());

    TADOConnection odbc(QStringLiteral("DSN=") + QString::fromLatin1(test::kSystemDsn));
    odbc.Open();
    EXPECT_EQ(Show(dialect::ForeignKeysOf(&odbc, QStringLiteral("orders"))), orders);
    EXPECT_EQ(Show(dialect::ForeignKeysOf(&odbc, QStringLiteral("employees"))), employees);
    EXPECT_TRUE(dialect::ForeignKeysOf(nullptr, QStringLiteral("orders")).isEmpty());
}

TEST(ForeignKeys, ABoxNameNamesAKeysTable) {
    struct Case {
        const char* box;
        const char* schema;
        const char* table;
        bool visible;
        bool names;
    };
    const Case cases[] = {
        {"orders", "", "ORDERS", true, true},
        {"\"Order Items\"", "", "order items", true, true},
        {"[order items]", "", "Order Items", true, true},
        {"public.orders", "public", "orders", true, true},
        {"\"Sales\".\"Orders\"", "sales", "orders", false, true},
        {"orders", "sales", "orders", false, false}, // off the search path: needs its schema
        {"sales.orders", "public", "orders", true, false},
        {"orders2", "", "orders", true, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dialect::NamesTable(QString::fromUtf8(c.box), QString::fromUtf8(c.schema),
                                      QString::fromUtf8(c.table), c.visible),
                  c.names)
            << c.box << " / " << c.schema << "." << c.table;
}
