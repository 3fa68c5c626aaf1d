#include "TestSupport.h"
#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/DatabaseError.h"
#include "db/SampleDatabase.h"
#include "platform/DataLinkFile.h"

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
}

TEST(SqliteConnection, MissingFileIsAnErrorAndNoFileAppears) {
    const QString path = QDir(TestDir()).filePath(QStringLiteral("does-not-exist.db"));
    TADOConnection c(Sqlite(path));
    EXPECT_EQ(ErrorOf([&] { c.Open(); }), QStringLiteral("Database file not found: ") + path);
    EXPECT_FALSE(c.Connected());
    EXPECT_FALSE(QFile::exists(path)) << "never create an empty database silently";
}

TEST(SqliteConnection, BadTargetsGiveClearErrors) {
    TADOConnection folder(Sqlite(TestDir()));
    EXPECT_TRUE(ErrorOf([&] { folder.Open(); }).contains(QStringLiteral("is a folder")));

    const QString text = QDir(TestDir()).filePath(QStringLiteral("notes.txt"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("these are not the pages of a database, just some words in a text file\n");
    file.close();
    TADOConnection notDb(Sqlite(text));
    EXPECT_EQ(ErrorOf([&] { notDb.Open(); }), QStringLiteral("file is not a database"));
    EXPECT_FALSE(notDb.Connected());

    TADOConnection noSource(QStringLiteral("Provider=SQLite"));
    EXPECT_TRUE(ErrorOf([&] { noSource.Open(); }).contains(QStringLiteral("Data Source=")));
}

TEST(SqliteConnection, UnknownProviderIsReportedButCannotConnect) {
    TADOConnection c(QStringLiteral("Provider=SQLOLEDB.1;Data Source=server;Initial Catalog=pubs"));
    EXPECT_EQ(c.Provider(), QStringLiteral("SQLOLEDB.1"));
    EXPECT_EQ(c.ProviderKind(), TProviderKind::Unknown);
    const QString error = ErrorOf([&] { c.Open(); });
    EXPECT_TRUE(error.contains(QStringLiteral("SQLOLEDB.1"))) << error.toStdString();
    EXPECT_FALSE(c.Connected());
    TADOConnection jet(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=c:\\db.mdb"));
    EXPECT_EQ(jet.Provider(), QStringLiteral("Microsoft.Jet.OLEDB.4.0"));
    EXPECT_EQ(jet.PropertyValue(QStringLiteral("Data Source")), QStringLiteral("c:\\db.mdb"));
}

TEST(SqliteConnection, MalformedStringsFailCleanlyAndReadAsEmpty) {
    TADOConnection c(QStringLiteral("Provider=SQLite;Data Source=\"x.db"));
    EXPECT_TRUE(
        ErrorOf([&] { c.Open(); }).startsWith(QStringLiteral("Malformed connection string")));
    EXPECT_EQ(c.PropertyValue(QStringLiteral("Data Source")), QString())
        << "a failing read is empty";
    EXPECT_EQ(c.Provider(), QStringLiteral("SQLite")) << "the provider is still found";
    TADOConnection empty;
    EXPECT_EQ(empty.Provider(), QStringLiteral("MSDASQL"));
    EXPECT_EQ(empty.PropertyValue(QStringLiteral("User ID")), QString());
    EXPECT_NE(ErrorOf([&] { empty.Open(); }), QStringLiteral("<no error>"));
}

TEST(SqliteConnection, WillConnectSeesTheStringAndMayChangeTheLogin) {
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
}

TEST(SqliteConnection, CancelInWillConnectMakesTheAttemptFail) {
    TADOConnection c(Sqlite(CopyOfSampleDatabase()));
    c.OnWillConnect = [](TADOConnection*, const QString&, QString&, QString&, int&,
                         TEventStatus& status) { status = esCancel; };
    EXPECT_NE(ErrorOf([&] { c.SetConnected(true); }), QStringLiteral("<no error>"));
    EXPECT_FALSE(c.Connected());
    c.OnWillConnect = nullptr;
    c.SetConnected(true);
    EXPECT_TRUE(c.Connected()) << "a later attempt without the handler succeeds";
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

    TADOConnection missing(QStringLiteral("File Name=/nonexistent/x.udl"));
    EXPECT_EQ(missing.PropertyValue(QStringLiteral("Data Source")), QString());
    EXPECT_TRUE(ErrorOf([&] { missing.Open(); }).contains(QStringLiteral("/nonexistent/x.udl")));
}

TEST(SqliteConnection, ChangingTheStringClosesTheConnection) {
    TADOConnection c(Sqlite(CopyOfSampleDatabase()));
    c.Open();
    c.SetConnectionString(Sqlite(CopyOfSampleDatabase()));
    EXPECT_FALSE(c.Connected());
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
    std::unique_ptr<TADOConnection> connection;
    TADOQuery query;
};

TEST_F(SqliteQuery, FieldDefsAreThereWithoutRows) {
    Run(QStringLiteral("select * from employees where 1=0"));
    EXPECT_TRUE(query.IsEmpty());
    EXPECT_EQ(query.RecordCount(), 0);
    EXPECT_TRUE(query.Eof());
    const TFieldDefs& defs = query.FieldDefs();
    ASSERT_EQ(defs.Count(), 9);
    EXPECT_EQ(defs[0].Name, QStringLiteral("EmployeeID"));
    EXPECT_EQ(defs[0].DataType, ftInteger);
    EXPECT_EQ(defs[1].DataType, ftString);
    EXPECT_EQ(defs[4].Name, QStringLiteral("BirthDate"));
    EXPECT_EQ(defs[4].DataType, ftDate) << "DATE columns are dates, not text";
    EXPECT_EQ(defs[8].DataType, ftString);

    Run(QStringLiteral("select OrderDate, Freight, ShippedDate from orders where 1=0"));
    EXPECT_EQ(query.FieldDefs()[0].DataType, ftDateTime);
    EXPECT_EQ(query.FieldDefs()[1].DataType, ftBCD);
    EXPECT_EQ(query.FieldDefs()[2].DataType, ftDate);
    Run(QStringLiteral("select Discontinued, UnitsInStock from products where 1=0"));
    EXPECT_EQ(query.FieldDefs()[0].DataType, ftBoolean);
    EXPECT_EQ(query.FieldDefs()[1].DataType, ftSmallint);
}

TEST_F(SqliteQuery, ViewsAndChineseNamesCarryTheirColumns) {
    Run(QStringLiteral("select * from 产品销售汇总 where 1=0"));
    ASSERT_EQ(query.FieldDefs().Count(), 4);
    EXPECT_EQ(query.FieldDefs()[0].Name, QStringLiteral("产品名称"));
    EXPECT_EQ(query.FieldDefs()[0].DataType, ftString);
    Run(QStringLiteral("select * from v_order_totals where 1=0"));
    EXPECT_EQ(query.FieldDefs()[1].DataType, ftDateTime) << "a view column keeps its table's type";
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
}

TEST_F(SqliteQuery, UnknownFieldRaises) {
    Run(QStringLiteral("select 1 as a"));
    EXPECT_EQ(ErrorOf([&] { query.FieldByName(QStringLiteral("b")); }),
              QStringLiteral("Field 'b' not found"));
    EXPECT_EQ(query.FindField(QStringLiteral("A")), 0);
}

TEST_F(SqliteQuery, RefusedStatementsRaiseTheDatabaseText) {
    query.SQL() = QStringList{QStringLiteral("select * from nope")};
    EXPECT_EQ(ErrorOf([&] { query.Open(); }), QStringLiteral("no such table: nope"));
    EXPECT_FALSE(query.Active());
    query.SQL() = QStringList{QStringLiteral("selec 1")};
    EXPECT_TRUE(ErrorOf([&] { query.Open(); }).contains(QStringLiteral("syntax error")));
    query.SQL() = QStringList{QStringLiteral("update categories set Description = 'x' where 1=0")};
    EXPECT_EQ(ErrorOf([&] { query.Open(); }),
              QStringLiteral("CommandText does not return a result set"));
    query.SQL().clear();
    EXPECT_NE(ErrorOf([&] { query.Open(); }), QStringLiteral("<no error>"));
    query.SQL() = QStringList{QStringLiteral("insert into categories values (1, 'dup', null)")};
    EXPECT_TRUE(
        ErrorOf([&] { query.ExecSQL(); }).contains(QStringLiteral("UNIQUE constraint failed")));
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
    EXPECT_TRUE(
        ErrorOf([&] { query.Open(); }).startsWith(QStringLiteral("Database file not found")));
}
