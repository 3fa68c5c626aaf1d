// Connections that cannot work: our own messages are Chinese sentences that
// name the file, key or provider at fault; the database's own text follows
// ours unchanged. Nothing is created on the way.
#include "TestSupport.h"
#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/SampleDatabase.h"
#include "platform/DataLinkFile.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace quillary;
namespace t = quillary::test;

namespace {

QString L(const char* s) {
    return QString::fromUtf8(s);
}

} // namespace

TEST(ConnectionErrors, SayWhatIsWrongWithWhichFileKeyOrProvider) {
    const QDir dir(t::TestDir());
    const QString missing = dir.filePath(QStringLiteral("missing.db"));
    const QString notDb = dir.filePath(QStringLiteral("notes.txt"));
    QFile notes(notDb);
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("these are not the pages of a database, just some words in a text file\n");
    notes.close();
    const QString self = dir.filePath(QStringLiteral("self.udl"));
    ASSERT_TRUE(WriteDataLinkFile(self, L("File Name=") + self));
    const QString sample = t::SharedSampleDatabase();

    struct Case {
        QString Connection;
        QString Message;
    };
    const Case cases[] = {
        {QString(), L("连接字符串是空的：没有指明要连接的数据源")},
        {L(" ; ;"), L("连接字符串是空的：没有指明要连接的数据源")},
        {SqliteConnectionString(missing), L("SQLite 数据源的数据库文件“") + missing + L("”不存在")},
        {SqliteConnectionString(dir.path()),
         L("SQLite 数据源的数据库文件“") + dir.path() + L("”是一个文件夹")},
        {SqliteConnectionString(notDb),
         L("无法读取 SQLite 数据库“") + notDb + L("”：\nfile is not a database")},
        {L("Provider=SQLite"), L("SQLite 数据源需要用“Data Source=”给出数据库文件的路径")},
        {L("Provider=SQLOLEDB.1;Data Source=server"),
         L("无法打开提供程序“SQLOLEDB.1”的数据源：这里只能打开 SQLite、ODBC（MSDASQL）、"
           "PostgreSQL 和 MySQL 数据源")},
        {L("Provider=SQLite;Data Source=\"x.db"),
         L("连接字符串有误（第 29 个字符）：“Data Source”的值以 \" 开头，却没有结束的 \"")},
        {L("Provider=SQLite;JustAWord"),
         L("连接字符串有误（第 26 个字符）：“JustAWord”后面缺少“=”和值")},
        // 0 or a word would mean waiting for ever.
        {L("Provider=SQLite;Connect Timeout=abc;Data Source=") + sample,
         L("连接字符串中“Connect Timeout”的值“abc”不是正整数（等待连接的秒数）")},
        {L("DSN=QuillarySystem;Connect Timeout=0"),
         L("连接字符串中“Connect Timeout”的值“0”不是正整数（等待连接的秒数）")},
        {L("Provider=MSDASQL.1;User ID=sa"),
         L("ODBC 数据源需要用“DSN=”（或“Data Source=”）给出数据源名称，或者用“Driver={...}”"
           "给出驱动程序")},
        // File-based ODBC drivers would create an empty database.
        {L("Driver={SQLite3};Database=") + missing,
         L("ODBC 驱动程序“SQLite3”的数据库文件“") + missing + L("”不存在")},
        {L("Driver={%1};Database=%2").arg(L(t::kFileDriver), missing),
         L("ODBC 驱动程序“%1”的数据库文件“%2”不存在").arg(L(t::kFileDriver), missing)},
        {L("DSN=") + L(t::kMissingFileDsn), L("ODBC 驱动程序“SQLite3”的数据库文件“") +
                                                dir.filePath(QStringLiteral("gone.db")) +
                                                L("”不存在")},
        {L("File Name=/nonexistent/x.udl"),
         L("无法读取数据链接文件“/nonexistent/x.udl”：文件不存在")},
        {L("File Name=") + self,
         L("数据链接文件“%1”中的连接字符串又指向一个数据链接文件：File Name=%1").arg(self)},
    };
    for (const Case& c : cases) {
        TADOConnection connection(c.Connection);
        EXPECT_EQ(t::ErrorOf([&] { connection.Open(); }).toStdString(), c.Message.toStdString())
            << c.Connection.toStdString();
        EXPECT_FALSE(connection.Connected());
    }
    EXPECT_FALSE(QFile::exists(missing)) << "no database file is ever created";
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("gone.db"))));
}

TEST(ConnectionErrors, QueriesSayWhatTheyLack) {
    TADOConnection sample(SqliteConnectionString(t::CopyOfSampleDatabase()));
    TADOQuery query;
    query.SQL() = QStringList{QStringLiteral("select 1 as a")};
    EXPECT_EQ(t::ErrorOf([&] { query.Open(); }),
              L("查询没有数据库连接：既没有给出 Connection，也没有给出 ConnectionString"));
    query.SetConnection(&sample);
    query.SQL() = QStringList{QStringLiteral("  ")};
    EXPECT_EQ(t::ErrorOf([&] { query.Open(); }), L("查询没有要执行的 SQL 语句"));
    EXPECT_EQ(t::ErrorOf([&] { query.ExecSQL(); }), L("查询没有要执行的 SQL 语句"));
    // Open runs queries only: anything else is refused before it runs.
    query.SQL() = QStringList{QStringLiteral("update categories set Description = 'x'")};
    EXPECT_EQ(t::ErrorOf([&] { query.Open(); }),
              L("这段SQL文本不是SELECT查询（以“UPDATE”开头）。为了不改动数据，这里只运行一条只读的"
                "SELECT查询，什么也没有执行。"));
    query.SQL() = QStringList{QStringLiteral("select count(*) from categories where Description = 'x'")};
    query.Open();
    EXPECT_EQ(query.Fields(0).AsString(), QStringLiteral("0"));
    query.SQL() = QStringList{QStringLiteral("select 1 as a")};
    query.Open();
    EXPECT_EQ(t::ErrorOf([&] { query.FieldByName(QStringLiteral("b")); }),
              L("查询结果中没有字段“b”"));
    // The database's own text comes as it is.
    query.SQL() = QStringList{QStringLiteral("select * from nope")};
    EXPECT_EQ(t::ErrorOf([&] { query.Open(); }), L("no such table: nope"));
}
