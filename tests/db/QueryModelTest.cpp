#include "db/QueryModel.h"
#include "TestSupport.h"
#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/SampleDatabase.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTableView>
#include <gtest/gtest.h>

using namespace quillary;

class QueryModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        connection =
            std::make_unique<TADOConnection>(SqliteConnectionString(test::CopyOfSampleDatabase()));
        query.SetConnection(connection.get());
        model.SetQuery(&query);
    }
    std::unique_ptr<TADOConnection> connection;
    TADOQuery query;
    TADOQueryModel model;
};

TEST_F(QueryModelTest, FetchesRowsInBatchesAsTheViewAsks) {
    query.SQL() = QStringList{
        QStringLiteral("select OrderID, CustomerID, Freight from orders order by OrderID")};
    query.Open();
    EXPECT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("OrderID"));
    EXPECT_LT(model.rowCount(), 1200) << "not everything is read at once";
    int rounds = 0;
    while (model.canFetchMore({})) {
        model.fetchMore({});
        ++rounds;
    }
    EXPECT_EQ(model.rowCount(), 1200);
    EXPECT_GE(rounds, 1200 / TADOQueryModel::kBatchSize);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("10001"));
    EXPECT_EQ(model.data(model.index(1199, 0)).toString(), QStringLiteral("11200"));
    EXPECT_EQ(model.data(model.index(0, 2), Qt::TextAlignmentRole).value<Qt::Alignment>() &
                  Qt::AlignRight,
              Qt::AlignRight);
    EXPECT_FALSE(model.data(model.index(5000, 0)).isValid());
}

TEST_F(QueryModelTest, ATableViewFollowsTheQueryThroughReopenAndClose) {
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QTableView view;
    view.setModel(&model);
    view.resize(400, 300);
    view.show();
    query.SQL() = QStringList{QStringLiteral("select CategoryName from categories order by 1")};
    query.Open();
    EXPECT_EQ(model.columnCount(), 1);
    query.SQL() = QStringList{
        QStringLiteral("select ProductName, UnitPrice from products order by ProductID")};
    query.Open();
    QApplication::processEvents();
    EXPECT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("苹果汁"));
    query.Close();
    QApplication::processEvents();
    EXPECT_EQ(view.model()->rowCount(), 0);
    EXPECT_GE(resets.count(), 3);
}

// Run executes once: rows stay on the cursor, anything else reports its changes.
TEST_F(QueryModelTest, RunOpensRowsOrCountsChangesOnce) {
    struct TCase {
        const char* Sql;
        bool Rows;
        int Affected;
    };
    const TCase cases[] = {
        {"select CategoryName from categories order by 1", true, 0},
        {"update categories set Description = Description where CategoryID <= 3", false, 3},
        {"insert into categories (CategoryName) values ('x');\n"
         "insert into categories (CategoryName) values ('y'); -- a script",
         false, 2},
        {"create table t_run (a integer)", false, 0},
        {"select 1 as one; ", true, 0},
    };
    for (const TCase& c : cases) {
        query.SQL() = QStringList{QString::fromUtf8(c.Sql)};
        int affected = -1;
        EXPECT_EQ(query.Run(affected), c.Rows) << c.Sql;
        EXPECT_EQ(affected, c.Affected) << c.Sql;
        EXPECT_EQ(query.Active(), c.Rows) << c.Sql;
    }
    query.SQL() = QStringList{
        QStringLiteral("select count(*) from categories where CategoryName in ('x','y')")};
    query.Open();
    EXPECT_EQ(query.Fields(0).AsString(), QStringLiteral("2")) << "the script ran once";
    query.SQL() = QStringList{QStringLiteral("select * from nowhere")};
    int affected = 0;
    EXPECT_NE(test::ErrorOf([&] { query.Run(affected); }).indexOf(QStringLiteral("nowhere")), -1);
}
