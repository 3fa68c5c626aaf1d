// The MySQL provider, and the ODBC route through MariaDB's driver, against a
// real MariaDB server (started by ctest).
#include "TestSupport.h"
#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/ConnectionString.h"
#include "db/DatabaseError.h"
#include "db/Dialect.h"
#include "db/ForeignKeys.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace quillary;
using quillary::test::ErrorOf;

namespace {

const test::TDatabaseServer& Server() {
    return test::MariaDbServer();
}

// The test server through MariaDB's ODBC driver, named by its library (an
// application's string may); empty without the driver.
QString OdbcCsn() {
    const QString driver = QStringLiteral(QUILLARY_MARIADB_ODBC_DRIVER);
    if (!QFile::exists(driver)) return {};
    TConnectionString cs;
    cs.Set(QStringLiteral("Driver"), driver);
    cs.Set(QStringLiteral("Server"), Server().Host);
    cs.Set(QStringLiteral("Port"), QString::number(Server().Port));
    cs.Set(QStringLiteral("Database"), Server().Database);
    cs.Set(QStringLiteral("User ID"), Server().User);
    cs.Set(QStringLiteral("Password"), Server().Password);
    return cs.ToString();
}

QString WithKey(const QString& key, const QString& value) {
    TConnectionString cs = TConnectionString::Parse(Server().ConnectionString());
    cs.Set(key, value);
    return cs.ToString();
}

// The server as "Data Source=host:port".
QString HostAndPort() {
    TConnectionString cs = TConnectionString::Parse(Server().ConnectionString());
    cs.Remove(QStringLiteral("Port"));
    cs.Set(QStringLiteral("Data Source"),
           QStringLiteral("%1:%2").arg(Server().Host).arg(Server().Port));
    return cs.ToString();
}

} // namespace

class MariaDbTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        test::RunOnServer(
            Server(), QStringLiteral(
                          "create table if not exists kinds (ti tinyint, si smallint, i int, "
                          "  bi bigint, de decimal(10,2), f float, d double, vc varchar(20), "
                          "  c char(3), t text, dt date, tm time, ts datetime, b blob, "
                          "  vb varbinary(8));"
                          "create table if not exists 客户 (编号 int primary key, 名称 varchar(40));"
                          "create table if not exists 订单 (号 int primary key, 客户 int, "
                          "  foreign key (客户) references 客户 (编号));"
                          "create or replace view v_kinds as select i, vc from kinds;"
                          "create database if not exists sales;"
                          "create table if not exists sales.orders (id int, amount decimal);"));
    }
};

TEST_F(MariaDbTest, ConnectsByEitherRouteWithBackquotesAndNoFullJoin) {
    QStringList csns = {Server().ConnectionString(), HostAndPort()};
    if (!OdbcCsn().isEmpty()) csns << OdbcCsn();
    for (const QString& csn : csns) {
        SCOPED_TRACE(TConnectionString::Masked(csn).toStdString());
        TADOConnection c(csn);
        c.Open();
        ASSERT_TRUE(c.Connected());
        EXPECT_EQ(GetDataSourceType(&c), dsOther);
        const TSqlDialect& d = c.Dialect();
        EXPECT_EQ(d.Name(QStringLiteral("a`b")), QStringLiteral("`a``b`"));
        EXPECT_EQ(d.RowLimitStyle(), TRowLimitStyle::Limit);
        EXPECT_FALSE(d.WritesFullJoin());
        // MariaDB 10.11 runs both.
        EXPECT_EQ(d.SetOperators(), QStringList({"union", "union all", "minus", "intersect"}));

        QStringList names;
        c.GetTableNames(names, false);
        for (const char* name : {"kinds", "v_kinds", "客户", "sales.orders"})
            EXPECT_TRUE(names.contains(QString::fromUtf8(name))) << name;
        EXPECT_FALSE(names.contains(QStringLiteral("mysql.user")));

        QString source;
        EXPECT_TRUE(dialect::ViewSource(&c, dsOther, QStringLiteral("v_kinds"), source));
        EXPECT_TRUE(source.contains(QStringLiteral("`kinds`"))) << source.toStdString();
        EXPECT_FALSE(dialect::ViewSource(&c, dsOther, QStringLiteral("kinds"), source));

        const QList<dialect::TForeignKey> keys = dialect::ForeignKeysOf(&c, QStringLiteral("客户"));
        ASSERT_EQ(keys.size(), 1);
        EXPECT_EQ(keys[0].Table, QStringLiteral("订单"));
        EXPECT_EQ(keys[0].Columns, QStringList{QStringLiteral("客户")});
        EXPECT_EQ(keys[0].RefColumns, QStringList{QStringLiteral("编号")});
        EXPECT_TRUE(keys[0].Visible && keys[0].RefVisible);
    }
}

TEST_F(MariaDbTest, SystemTablesComeWithTheirDatabase) {
    TADOConnection c(Server().ConnectionString());
    QStringList names;
    c.GetTableNames(names, true);
    EXPECT_TRUE(names.contains(QStringLiteral("information_schema.TABLES")));
    EXPECT_TRUE(names.contains(QStringLiteral("kinds")));
}

TEST_F(MariaDbTest, FieldTypesWithoutRows) {
    TADOConnection c(Server().ConnectionString());
    TADOQuery q;
    q.SetConnection(&c);
    q.SQL() = QStringList{QStringLiteral("select * from kinds where 1=0")};
    q.Open();
    const TFieldType expected[] = {ftSmallint, ftSmallint, ftInteger,    ftLargeint, ftBCD,
                                   ftFloat,    ftFloat,    ftString,     ftFixedChar, ftWideString,
                                   ftDate,     ftTime,     ftDateTime,   ftBlob,     ftVarBytes};
    ASSERT_EQ(q.FieldDefs().Count(), int(std::size(expected)));
    for (int i = 0; i < q.FieldDefs().Count(); ++i)
        EXPECT_EQ(q.FieldDefs()[i].DataType, expected[i]) << q.FieldDefs()[i].Name.toStdString();
}

TEST_F(MariaDbTest, RefusalsCarryTheirReason) {
    const struct {
        const char* Key;
        const char* Value;
        const char* Error; // the start of it
    } cases[] = {
        {"Password", "wrong", "无法打开 MySQL 数据库“quillary”（服务器 127.0.0.1:"},
        {"Initial Catalog", "nosuchdb", "无法打开 MySQL 数据库“nosuchdb”"},
        {"Port", "99999", "连接字符串中的端口“99999”不是 1 到 65535 之间的整数"},
        {"Connect Timeout", "0", "连接字符串中“Connect Timeout”的值“0”不是正整数"},
        // Qt would read SSL settings from a text cut at ";": none go there.
        {"SSL Mode", "required", "MySQL 数据源不能用连接字符串中的“SSL Mode”设置 SSL"},
        {"SslCa", "/tmp/ca.pem;UNIX_SOCKET=/tmp/x", "MySQL 数据源不能用连接字符串中的“SslCa”"},
    };
    for (const auto& c : cases) {
        TADOConnection connection(WithKey(QString::fromLatin1(c.Key), QString::fromUtf8(c.Value)));
        const QString error = ErrorOf([&] { connection.Open(); });
        EXPECT_TRUE(error.startsWith(QString::fromUtf8(c.Error))) << error.toStdString();
        EXPECT_FALSE(connection.Connected());
    }
    TADOConnection off(WithKey(QStringLiteral("SSL Mode"), QStringLiteral("Disable")));
    off.Open();
    EXPECT_TRUE(off.Connected());
}

TEST_F(MariaDbTest, ScriptsRunStatementByStatementAndReadOnlyRunsCannotWrite) {
    TADOConnection c(Server().ConnectionString());
    TADOQuery q;
    q.SetConnection(&c);
    q.SQL() = QStringList{QStringLiteral("create temporary table t (a int); "
                                         "insert into t values (1), (2); insert into t values (3)")};
    EXPECT_EQ(q.ExecSQL(), 3);
    // The error of a later statement is not lost.
    q.SQL() = QStringList{QStringLiteral("insert into t values (4); insert into nope values (1)")};
    EXPECT_TRUE(ErrorOf([&] { q.ExecSQL(); }).contains(QStringLiteral("nope")));

    test::RunOnServer(Server(), QStringLiteral("create or replace sequence seq;"));
    q.SetReadOnly(true);
    q.SQL() = QStringList{QStringLiteral("select nextval(seq)")};
    EXPECT_TRUE(ErrorOf([&] { q.Open(); }).contains(QStringLiteral("READ ONLY")));
    q.SetReadOnly(false);
    q.SQL() = QStringList{QStringLiteral("select count(*) from t")};
    q.Open();
    EXPECT_EQ(q.Fields(0).AsString(), QStringLiteral("4")) << "writing works after the run";
}

TEST_F(MariaDbTest, ChineseTextRoundTrips) {
    test::RunOnServer(Server(), QStringLiteral("delete from 订单; delete from 客户; "
                                               "insert into 客户 values (1, '北京贸易');"));
    TADOConnection c(Server().ConnectionString());
    TADOQuery q;
    q.SetConnection(&c);
    q.SQL() = QStringList{QStringLiteral("select 名称 from 客户")};
    q.Open();
    EXPECT_EQ(q.FieldByName(QStringLiteral("名称")).AsString(), QStringLiteral("北京贸易"));
}
