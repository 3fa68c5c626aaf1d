// The PostgreSQL provider against a real server (started by ctest).
#include "TestSupport.h"
#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/ConnectionString.h"
#include "db/DatabaseError.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace quillary;
using quillary::test::ErrorOf;

class PostgresTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Test processes run in parallel: the schema is made once, under a
        // transaction-scoped lock, and left for the others.
        test::RunOnPostgres(QStringLiteral(
            "select pg_advisory_xact_lock(4711);"
            "create table if not exists kinds (i2 smallint, i4 integer, i8 bigint, num "
            "numeric(10,2), "
            "  r real, d double precision, m money, b boolean, vc varchar(20), c char(3), t text, "
            "  dt date, tm time, ts timestamp, tz timestamptz, by bytea, u uuid, j jsonb);"
            "create table if not exists 客户 (编号 serial primary key, 名称 varchar(40));"
            "insert into 客户 (名称) select v from (values ('北京贸易'), ('上海商行')) x(v) "
            "  where not exists (select 1 from 客户);"
            "create or replace view v_kinds as select i4, vc from kinds;"
            "create schema if not exists sales;"
            "create table if not exists sales.orders (id int, amount numeric);"));
    }
    const test::TDatabaseServer& server = test::PostgresServer();
};

TEST_F(PostgresTest, ConnectsAndReportsTheProvider) {
    TADOConnection c(server.ConnectionString());
    EXPECT_EQ(c.Provider(), QStringLiteral("PostgreSQL"));
    EXPECT_EQ(c.PropertyValue(QStringLiteral("Data Source")), server.Host);
    EXPECT_EQ(c.PropertyValue(QStringLiteral("User ID")), server.User);
    c.SetConnected(true);
    EXPECT_TRUE(c.Connected());
}

TEST_F(PostgresTest, CatalogueHasTablesViewsAndSchemas) {
    TADOConnection c(server.ConnectionString());
    QStringList names;
    c.GetTableNames(names, false);
    EXPECT_TRUE(names.contains(QStringLiteral("kinds")));
    EXPECT_TRUE(names.contains(QStringLiteral("v_kinds")));
    EXPECT_TRUE(names.contains(QStringLiteral("客户")));
    EXPECT_TRUE(names.contains(QStringLiteral("sales.orders")))
        << "off the search path: with its schema";
    EXPECT_FALSE(names.contains(QStringLiteral("pg_class")));
    c.GetTableNames(names, true);
    EXPECT_TRUE(names.contains(QStringLiteral("pg_class")));
    EXPECT_TRUE(names.contains(QStringLiteral("information_schema.tables")));
    EXPECT_TRUE(names.contains(QStringLiteral("kinds")));
}

TEST_F(PostgresTest, FieldTypesWithoutRows) {
    TADOConnection c(server.ConnectionString());
    TADOQuery q;
    q.SetConnection(&c);
    q.SQL() = QStringList{QStringLiteral("select * from kinds where 1=0")};
    q.Open();
    EXPECT_TRUE(q.IsEmpty());
    const TFieldType expected[] = {ftSmallint,   ftInteger,  ftLargeint, ftBCD,      ftFloat,
                                   ftFloat,      ftCurrency, ftBoolean,  ftString,   ftFixedChar,
                                   ftWideString, ftDate,     ftTime,     ftDateTime, ftDateTime,
                                   ftBlob,       ftGuid,     ftMemo};
    ASSERT_EQ(q.FieldDefs().Count(), int(std::size(expected)));
    for (int i = 0; i < q.FieldDefs().Count(); ++i)
        EXPECT_EQ(q.FieldDefs()[i].DataType, expected[i]) << q.FieldDefs()[i].Name.toStdString();
}

TEST_F(PostgresTest, ChineseTextRoundTrips) {
    TADOConnection c(server.ConnectionString());
    TADOQuery q;
    q.SetConnection(&c);
    q.SQL() = QStringList{QStringLiteral("select 名称 from 客户 order by 编号")};
    q.Open();
    EXPECT_EQ(q.RecordCount(), 2);
    EXPECT_EQ(q.FieldByName(QStringLiteral("名称")).AsString(), QStringLiteral("北京贸易"));
    q.Next();
    EXPECT_EQ(q.FieldByName(QStringLiteral("名称")).AsString(), QStringLiteral("上海商行"));
}

TEST_F(PostgresTest, PasswordCanComeFromWillConnect) {
    TADOConnection c(server.ConnectionString(false));
    c.OnWillConnect = [&](TADOConnection*, const QString&, QString& user, QString& password, int&,
                          TEventStatus&) {
        EXPECT_EQ(user, server.User);
        EXPECT_TRUE(password.isEmpty());
        password = server.Password;
    };
    c.Open();
    EXPECT_TRUE(c.Connected());
}

TEST_F(PostgresTest, WrongPasswordAndUnknownDatabaseCarryTheServersText) {
    TConnectionString cs = TConnectionString::Parse(server.ConnectionString());
    cs.Set(QStringLiteral("Password"), QStringLiteral("wrong"));
    TADOConnection wrong(cs.ToString());
    EXPECT_TRUE(
        ErrorOf([&] { wrong.Open(); }).contains(QStringLiteral("password authentication failed")));
    EXPECT_FALSE(wrong.Connected());

    cs = TConnectionString::Parse(server.ConnectionString());
    cs.Set(QStringLiteral("Initial Catalog"), QStringLiteral("nosuchdb"));
    TADOConnection missing(cs.ToString());
    EXPECT_TRUE(
        ErrorOf([&] { missing.Open(); }).contains(QStringLiteral("\"nosuchdb\" does not exist")));
}

TEST_F(PostgresTest, ClosedPortAndBadPortFailWithoutHanging) {
    // A port that was free a moment ago: bound, read back, and released.
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    ASSERT_EQ(::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const int freePort = ntohs(address.sin_port);
    ::close(fd);
    TConnectionString cs = TConnectionString::Parse(server.ConnectionString());
    cs.Set(QStringLiteral("Port"), QString::number(freePort));
    TADOConnection closed(cs.ToString());
    EXPECT_TRUE(ErrorOf([&] { closed.Open(); }).contains(QStringLiteral("refused")));

    cs.Set(QStringLiteral("Port"), QStringLiteral("99999"));
    TADOConnection bad(cs.ToString());
    EXPECT_EQ(ErrorOf([&] { bad.Open(); }),
              QStringLiteral("连接字符串中的端口“99999”不是 1 到 65535 之间的整数"));
    cs.Set(QStringLiteral("Port"), QString::number(server.Port));
    cs.Set(QStringLiteral("Connect Timeout"), QStringLiteral("abc"));
    TADOConnection waiting(cs.ToString());
    EXPECT_EQ(ErrorOf([&] { waiting.Open(); }),
              QStringLiteral("连接字符串中“Connect Timeout”的值“abc”不是正整数（等待连接的秒数）"));
}

TEST_F(PostgresTest, SslModeIsOneOfLibpqsModesAndAddsNoOtherOption) {
    // A value that would bring its own options along (another host, here a
    // folder without a server) is refused before anything is tried.
    const std::pair<const char*, const char*> refused[] = {
        {"SSL Mode", "disable host=/nonexistent"},
        {"SSL Mode", "disable' host='/nonexistent"},
        {"sslmode", "disable\\' host=/nonexistent"},
        {"SSL Mode", "prefer;host=/nonexistent"},
        {"sslmode", "sometimes"},
    };
    for (const auto& [key, value] : refused) {
        TConnectionString cs = TConnectionString::Parse(server.ConnectionString());
        cs.Set(QString::fromLatin1(key), QString::fromUtf8(value));
        TADOConnection c(cs.ToString());
        EXPECT_EQ(ErrorOf([&] { c.Open(); }).toStdString(),
                  QStringLiteral("连接字符串中“%1”的值“%2”不是 libpq 的 SSL 模式（disable、allow、"
                                 "prefer、require、verify-ca、verify-full 之一）")
                      .arg(QString::fromLatin1(key), QString::fromUtf8(value))
                      .toStdString());
        EXPECT_FALSE(c.Connected());
    }
    // The modes themselves, in any letter case, reach the intended server.
    for (const char* mode : {"disable", "Prefer", " allow "}) {
        TConnectionString cs = TConnectionString::Parse(server.ConnectionString());
        cs.Set(QStringLiteral("SSL Mode"), QString::fromLatin1(mode));
        TADOConnection c(cs.ToString());
        TADOQuery q;
        q.SetConnection(&c);
        q.SQL() = QStringList{QStringLiteral("select inet_server_port() as port")};
        q.Open();
        EXPECT_EQ(q.FieldByName(QStringLiteral("port")).AsString(), QString::number(server.Port))
            << mode;
    }
}

TEST_F(PostgresTest, RefusedStatementsAndMultipleStatements) {
    TADOConnection c(server.ConnectionString());
    TADOQuery q;
    q.SetConnection(&c);
    q.SQL() = QStringList{QStringLiteral("select * from nope")};
    EXPECT_TRUE(
        ErrorOf([&] { q.Open(); }).contains(QStringLiteral("relation \"nope\" does not exist")));
    q.SQL() =
        QStringList{QStringLiteral("create temp table t (a int); insert into t values (1), (2);")};
    q.ExecSQL();
    q.SQL() = QStringList{QStringLiteral("select count(*) as n from t")};
    q.Open();
    EXPECT_EQ(q.FieldByName(QStringLiteral("n")).AsString(), QStringLiteral("2"));
}

TEST_F(PostgresTest, DroppedConnectionGivesAnErrorNotACrash) {
    TADOConnection victim(server.ConnectionString());
    TADOQuery q;
    q.SetConnection(&victim);
    q.SQL() = QStringList{QStringLiteral("select pg_backend_pid() as pid")};
    q.Open();
    const QString pid = q.FieldByName(QStringLiteral("pid")).AsString();
    q.Close();

    TADOConnection killer(server.ConnectionString());
    TADOQuery k;
    k.SetConnection(&killer);
    k.SQL() = QStringList{QStringLiteral("select pg_terminate_backend(%1)").arg(pid)};
    k.Open();

    q.SQL() = QStringList{QStringLiteral("select 1")};
    const QString error = ErrorOf([&] { q.Open(); });
    EXPECT_NE(error, QStringLiteral("<no error>"));
    EXPECT_FALSE(q.Active());
    // Reconnecting brings the connection back.
    victim.Close();
    q.Open();
    EXPECT_TRUE(q.Active());
}
