#include "TestSupport.h"
#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/DatabaseError.h"
#include "db/SampleDatabase.h"
#include "platform/DataLinkFile.h"
#include "sqltext/Common.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace quillary;
using quillary::test::CopyOfSampleDatabase;
using quillary::test::CreateSqliteDatabase;
using quillary::test::ErrorOf;
using quillary::test::TestDir;

namespace {

QString Sqlite(const QString& path) {
    return SqliteConnectionString(path);
}

} // namespace

// --- connecting --------------------------------------------------------------

TEST(SqliteConnection, OpensAnExistingFileAndReportsItsProperties) {
    const QString path = CopyOfSampleDatabase();
    TADOConnection c(QStringLiteral("Provider=SQLite;Data Source=%1;User ID=admin").arg(path));
    EXPECT_EQ(c.Provider(), QStringLiteral("SQLite"));
    EXPECT_EQ(c.ProviderKind(), TProviderKind::SQLite);
    EXPECT_EQ(c.PropertyValue(QStringLiteral("Data Source")), path);
    EXPECT_EQ(c.PropertyValue(QStringLiteral("User ID")), QStringLiteral("admin"));
    EXPECT_FALSE(c.Connected());
    c.SetConnected(true);
    EXPECT_TRUE(c.Connected());
    c.SetConnected(false);
    EXPECT_FALSE(c.Connected());
    c.Open();
    c.SetConnectionString(Sqlite(path)); // a changed string closes the connection
    EXPECT_FALSE(c.Connected());
}

TEST(SqliteConnection, UnknownProvidersAndMalformedStringsStillReadTheirProperties) {
    TADOConnection c(QStringLiteral("Provider=SQLOLEDB.1;Data Source=server;Initial Catalog=pubs"));
    EXPECT_EQ(c.Provider(), QStringLiteral("SQLOLEDB.1"));
    EXPECT_EQ(c.ProviderKind(), TProviderKind::Unknown);
    TADOConnection jet(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=c:\\db.mdb"));
    EXPECT_EQ(jet.PropertyValue(QStringLiteral("Data Source")), QStringLiteral("c:\\db.mdb"));
    TADOConnection malformed(QStringLiteral("Provider=SQLite;Data Source=\"x.db"));
    EXPECT_EQ(malformed.PropertyValue(QStringLiteral("Data Source")), QString())
        << "a failing read is empty";
    // The provider of a text that does not read is what is read before the
    // fault. The rows marked "was" found "Provider=" anywhere before.
    const std::pair<const char*, const char*> providers[] = {
        {"Provider=SQLite;Data Source=\"x.db", "SQLite"},
        {"Data Source=\"x.db;Provider=SQLite", "MSDASQL"}, // was SQLite, inside the quotes
        {"XProvider=Y;Data Source=\"x", "MSDASQL"},        // was Y
        {" provider = SQLite ;oops", "SQLite"},            // was MSDASQL
        {"Provider=;oops", "MSDASQL"},                     // was ""
    };
    for (const auto& [text, provider] : providers)
        EXPECT_EQ(TADOConnection(QString::fromUtf8(text)).Provider(), QString::fromUtf8(provider))
            << text;
    TADOConnection empty;
    EXPECT_EQ(empty.Provider(), QStringLiteral("MSDASQL"));
    EXPECT_EQ(empty.PropertyValue(QStringLiteral("User ID")), QString());
}

TEST(SqliteConnection, WillConnectSeesTheStringMayChangeTheLoginOrCancel) {
    const QString cs = QStringLiteral("Provider=SQLite;Data Source=%1;User ID=sa;Password=old")
                           .arg(CopyOfSampleDatabase());
    TADOConnection c(cs);
    int calls = 0;
    c.OnWillConnect = [&](TADOConnection* sender, const QString& text, QString& user,
                          QString& password, int& options, TEventStatus& status) {
        ++calls;
        EXPECT_EQ(sender, &c);
        EXPECT_EQ(text, cs);
        EXPECT_EQ(user, QStringLiteral("sa"));
        EXPECT_EQ(password, QStringLiteral("old"));
        EXPECT_EQ(options, int(coConnectUnspecified));
        EXPECT_EQ(status, esOK);
        user = QStringLiteral("other");
    };
    c.Open();
    EXPECT_EQ(calls, 1);
    c.Open();
    EXPECT_EQ(calls, 1) << "an open connection does not connect again";

    // Cancelling makes the attempt fail; a later one without the handler succeeds.
    c.Close();
    c.OnWillConnect = [](TADOConnection*, const QString&, QString&, QString&, int&,
                         TEventStatus& status) { status = esCancel; };
    EXPECT_EQ(ErrorOf([&] { c.SetConnected(true); }),
              QStringLiteral("用户取消了登录，没有连接数据源"));
    EXPECT_FALSE(c.Connected());
    c.OnWillConnect = nullptr;
    c.SetConnected(true);
    EXPECT_TRUE(c.Connected());
}

TEST(SqliteConnection, DataLinkFileStringsConnectThroughTheFile) {
    const QString udl = QDir(TestDir()).filePath(QStringLiteral("sample.udl"));
    const QString db = CopyOfSampleDatabase();
    ASSERT_TRUE(WriteDataLinkFile(udl, Sqlite(db)));
    TADOConnection c(QStringLiteral("File Name=") + udl);
    EXPECT_EQ(c.Provider(), QStringLiteral("SQLite"));
    EXPECT_EQ(c.PropertyValue(QStringLiteral("Data Source")), db);
    c.Open();
    EXPECT_TRUE(c.Connected());
    // The SQL text unit reads the same file with this layer's reader.
    EXPECT_EQ(ConnectionProperty(QStringLiteral("FILE NAME=") + udl, QStringLiteral("DATA SOURCE")),
              db);

    TADOConnection missing(QStringLiteral("File Name=/nonexistent/x.udl"));
    EXPECT_EQ(missing.PropertyValue(QStringLiteral("Data Source")), QString());
}

// --- catalogue ----------------------------------------------------------------

TEST(SqliteCatalogue, TablesAndViewsWithSystemTablesOnRequest) {
    const QString path = CreateSqliteDatabase(QStringLiteral(
        "create table 客户 (id integer primary key autoincrement, name varchar(20));"
        "insert into 客户 (name) values ('甲');"
        "create table b (x int); create view v as select * from b; create index ix on b(x);"));
    TADOConnection c(Sqlite(path));
    QStringList names{QStringLiteral("stale entry")};
    c.GetTableNames(names, false); // connects on demand
    EXPECT_TRUE(c.Connected());
    EXPECT_EQ(names,
              (QStringList{QStringLiteral("b"), QStringLiteral("v"), QStringLiteral("客户")}));
    c.GetTableNames(names, true);
    EXPECT_TRUE(names.contains(QStringLiteral("sqlite_sequence")));
    EXPECT_TRUE(names.contains(QStringLiteral("sqlite_master")));
    EXPECT_TRUE(names.contains(QStringLiteral("客户")));
    EXPECT_FALSE(names.contains(QStringLiteral("ix"))) << "indexes are not tables";
}

TEST(SqliteCatalogue, SampleDatabaseHasItsTablesAndViews) {
    TADOConnection c(Sqlite(CopyOfSampleDatabase()));
    QStringList names;
    c.GetTableNames(names, false);
    for (const char* name : {"categories", "customers", "employees", "order_items", "orders",
                             "products", "suppliers", "v_order_totals"})
        EXPECT_TRUE(names.contains(QString::fromLatin1(name))) << name;
    EXPECT_TRUE(names.contains(QStringLiteral("产品销售汇总")));
}

// --- queries ------------------------------------------------------------------

class SqliteQuery : public ::testing::Test {
protected:
    void SetUp() override {
        connection = std::make_unique<TADOConnection>(Sqlite(CopyOfSampleDatabase()));
        query.SetConnection(connection.get());
    }
    void Run(const QString& sql) {
        query.SQL() = QStringList{sql};
        query.Open();
    }
    // The field types of `sql`'s result, by name.
    QStringList Types(const QString& sql) {
        Run(sql);
        QStringList types;
        for (int i = 0; i < query.FieldDefs().Count(); ++i)
            types << query.FieldDefs()[i].Name + QLatin1Char(':') +
                         FieldTypeName(query.FieldDefs()[i].DataType);
        return types;
    }
    std::unique_ptr<TADOConnection> connection;
    TADOQuery query;
};

TEST_F(SqliteQuery, FieldDefsAreThereWithoutRows) {
    const QStringList employees =
        Types(QStringLiteral("select EmployeeID, LastName, BirthDate from employees where 1=0"));
    EXPECT_TRUE(query.IsEmpty());
    EXPECT_EQ(query.RecordCount(), 0);
    EXPECT_TRUE(query.Eof());
    EXPECT_EQ(employees, // DATE columns are dates, not text
              (QStringList{"EmployeeID:ftInteger", "LastName:ftString", "BirthDate:ftDate"}));
    EXPECT_EQ(Types(QStringLiteral("select OrderDate, Freight, ShippedDate from orders where 1=0")),
              (QStringList{"OrderDate:ftDateTime", "Freight:ftBCD", "ShippedDate:ftDate"}));
    EXPECT_EQ(Types(QStringLiteral("select Discontinued, UnitsInStock from products where 1=0")),
              (QStringList{"Discontinued:ftBoolean", "UnitsInStock:ftSmallint"}));
    // Views and Chinese names carry their columns; a view column keeps its table's type.
    EXPECT_EQ(Types(QStringLiteral("select * from 产品销售汇总 where 1=0")).first(),
              QStringLiteral("产品名称:ftString"));
    EXPECT_TRUE(Types(QStringLiteral("select * from v_order_totals where 1=0"))
                    .value(1)
                    .endsWith(QStringLiteral(":ftDateTime")));
}

// Rows SQLite makes step by step (a union's later parts, a right join's
// unmatched rows) all arrive, however read-only runs begin and end around
// the cursor.
TEST_F(SqliteQuery, ReadOnlyRunsReadEveryRowOfEveryOpenCursor) {
    const QString stepwise = QStringLiteral(
        "select 1 union all select 2 union all select CategoryID from categories");
    const int expected = 2 + 8; // the sample has eight categories
    const auto open = [&](TADOQuery& q, bool readOnly, const QString& sql) {
        q.SetConnection(connection.get());
        q.SetReadOnly(readOnly);
        q.SQL() = QStringList{sql};
        q.Open();
    };
    // A second read-only run while the first cursor reads.
    query.SetReadOnly(true);
    Run(stepwise);
    {
        TADOQuery second;
        open(second, true, stepwise + QStringLiteral(" "));
        EXPECT_EQ(second.RecordCount(), expected);
    }
    EXPECT_EQ(query.RecordCount(), expected);
    EXPECT_EQ(query.FetchError(), QString());
    query.Close();

    // A cursor that may write, open while a read-only run begins and ends
    // and while the schema changes.
    TADOQuery writable;
    open(writable, false, stepwise + QStringLiteral("  "));
    {
        TADOQuery reader;
        open(reader, true, stepwise);
        EXPECT_EQ(reader.RecordCount(), expected);
    }
    TADOQuery writer;
    writer.SetConnection(connection.get());
    writer.SQL() = QStringList{QStringLiteral("create table scratch (x integer)")};
    writer.ExecSQL();
    EXPECT_EQ(writable.RecordCount(), expected);
    EXPECT_EQ(writable.FetchError(), QString());
}

TEST_F(SqliteQuery, WalksRowsAndReadsFieldsAsText) {
    Run(QStringLiteral(
        "select CategoryID, CategoryName, Description from categories order by CategoryID"));
    EXPECT_FALSE(query.IsEmpty());
    EXPECT_TRUE(query.Bof());
    EXPECT_EQ(query.FieldByName(QStringLiteral("categoryname")).AsString(), QStringLiteral("饮料"));
    QStringList ids;
    while (!query.Eof()) {
        ids << query.FieldByName(QStringLiteral("CategoryID")).AsString();
        query.Next();
    }
    EXPECT_EQ(ids.size(), 8);
    EXPECT_EQ(ids.first(), QStringLiteral("1"));
    EXPECT_EQ(ids.last(), QStringLiteral("8"));
    EXPECT_EQ(query.FieldByName(QStringLiteral("CategoryName")).AsString(), QStringLiteral("海鲜"))
        << "at the end the last row stays current";
    EXPECT_EQ(query.RecordCount(), 8);
    query.First();
    EXPECT_EQ(query.RecNo(), 1);
    EXPECT_EQ(query.FieldByName(QStringLiteral("CategoryID")).AsString(), QStringLiteral("1"));
}

TEST_F(SqliteQuery, NullsAndBooleansAsText) {
    Run(QStringLiteral("select ShippedDate from orders where ShippedDate is null"));
    EXPECT_FALSE(query.IsEmpty());
    EXPECT_TRUE(query.FieldByName(QStringLiteral("ShippedDate")).IsNull());
    EXPECT_EQ(query.FieldByName(QStringLiteral("ShippedDate")).AsString(), QString());
    EXPECT_EQ(TADOQuery::DisplayText(QVariant(true), ftBoolean), QStringLiteral("True"));
    EXPECT_EQ(TADOQuery::DisplayText(QVariant(QByteArray("\x01\x02")), ftBlob),
              QStringLiteral("(BLOB)"));
    // Numbers in the shortest digits that read back as the same value, in
    // their own precision.
    EXPECT_EQ(TADOQuery::DisplayText(QVariant(11510.94f), ftFloat), QStringLiteral("11510.94"));
    EXPECT_EQ(TADOQuery::DisplayText(QVariant(-0.1f), ftFloat), QStringLiteral("-0.1"));
    EXPECT_EQ(TADOQuery::DisplayText(QVariant(11510.94), ftFloat), QStringLiteral("11510.94"));
    EXPECT_EQ(TADOQuery::DisplayText(QVariant(1e21), ftFloat), QStringLiteral("1e+21"));
}

TEST_F(SqliteQuery, RefusedStatementsRaiseTheDatabaseText) {
    query.SQL() = QStringList{QStringLiteral("select from from")};
    EXPECT_TRUE(ErrorOf([&] { query.Open(); }).contains(QStringLiteral("syntax error")));
    EXPECT_FALSE(query.Active());
    query.SQL() = QStringList{QStringLiteral("insert into categories values (1, 'dup', null)")};
    EXPECT_TRUE(
        ErrorOf([&] { query.ExecSQL(); }).contains(QStringLiteral("UNIQUE constraint failed")));
    // Refused by the driver, not the database: the driver says why.
    query.SQL() = QStringList{QStringLiteral("select 1; select 2")};
    const QString several = ErrorOf([&] { query.Open(); });
    EXPECT_FALSE(several.contains(QStringLiteral("not an error"))) << several.toStdString();
    EXPECT_FALSE(several.isEmpty());
    Run(QStringLiteral("select 1 as a"));
    EXPECT_EQ(query.FindField(QStringLiteral("A")), 0);
}

TEST_F(SqliteQuery, ExecSqlRunsEveryStatementAndCountsRows) {
    query.SQL() = QStringList{QStringLiteral("create table t (a int);"),
                              QStringLiteral("insert into t values (1); insert into t values (2);"),
                              QStringLiteral("update t set a = a + 10")};
    EXPECT_EQ(query.ExecSQL(), 4);
    Run(QStringLiteral("select sum(a) as s from t"));
    EXPECT_EQ(query.FieldByName(QStringLiteral("s")).AsString(), QStringLiteral("23"));
}

TEST_F(SqliteQuery, ChangedSqlReopensOnOpen) {
    Run(QStringLiteral("select 1 as a"));
    query.Open(); // same statement: stays open
    EXPECT_EQ(query.FieldByName(QStringLiteral("a")).AsString(), QStringLiteral("1"));
    query.SQL() = QStringList{QStringLiteral("select 2 as b")};
    query.Open();
    EXPECT_EQ(query.FieldByName(QStringLiteral("b")).AsString(), QStringLiteral("2"));
    EXPECT_EQ(query.FindField(QStringLiteral("a")), -1);
}

TEST_F(SqliteQuery, ClosingOrDestroyingTheConnectionClosesItsQueries) {
    Run(QStringLiteral("select * from customers"));
    connection->Close();
    EXPECT_FALSE(query.Active());
    Run(QStringLiteral("select * from customers")); // reconnects on demand
    EXPECT_TRUE(connection->Connected());
    connection.reset();
    EXPECT_FALSE(query.Active());
    EXPECT_EQ(query.Connection(), nullptr);
    EXPECT_NE(ErrorOf([&] { query.Open(); }), QStringLiteral("<no error>"));
}

TEST(SqliteQueryOwnConnection, ConnectionStringOnTheQuery) {
    TADOQuery query;
    query.SetConnectionString(Sqlite(CopyOfSampleDatabase()));
    query.SQL() = QStringList{QStringLiteral("select count(*) as n from orders")};
    query.Open();
    EXPECT_EQ(query.FieldByName(QStringLiteral("n")).AsString(), QStringLiteral("1200"));
    query.SetConnectionString(QStringLiteral("Provider=SQLite;Data Source=/nonexistent.db"));
    EXPECT_FALSE(query.Active());
    EXPECT_THROW(query.Open(), EDatabaseError);
}
