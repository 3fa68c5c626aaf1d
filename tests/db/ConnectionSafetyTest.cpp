// What a connection takes from its string, and from where: the string is read
// once per Open, documents name no code, only regular files are databases,
// passwords stay out of sight.
#include "TestSupport.h"
#include "db/ADOConnection.h"
#include "db/ConnectionString.h"
#include "db/SampleDatabase.h"
#include "platform/DataLinkFile.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace quillary;
namespace t = quillary::test;

namespace {

QString L(const char* s) {
    return QString::fromUtf8(s);
}

} // namespace

TEST(ConnectionParsing, ADataLinkFileIsReadOncePerOpen) {
    const QString first = t::CopyOfSampleDatabase();
    const QString second = t::CopyOfSampleDatabase();
    const QString udl = QDir(t::TestDir()).filePath(QStringLiteral("once.udl"));
    ASSERT_TRUE(WriteDataLinkFile(udl, SqliteConnectionString(first)));
    TADOConnection connection(L("File Name=") + udl);
    connection.Open();
    // The file changes while the connection is open: the connection is still
    // the one the file named when it was opened.
    ASSERT_TRUE(WriteDataLinkFile(udl, SqliteConnectionString(second) + L(";User ID=other")));
    EXPECT_EQ(connection.PropertyValue(L("Data Source")), first);
    EXPECT_EQ(connection.PropertyValue(L("User ID")), QString());
    connection.Close();
    connection.Open();
    EXPECT_EQ(connection.PropertyValue(L("Data Source")), second);
    EXPECT_EQ(connection.PropertyValue(L("User ID")), L("other"));
}

TEST(ConnectionFiles, OnlyRegularFilesAreDatabases) {
    const QDir dir(t::TestDir());
    const QString toDevice = dir.filePath(QStringLiteral("zero.db"));
    QFile::remove(toDevice);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), toDevice));
    const QString fifo = dir.filePath(QStringLiteral("pipe.db"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString notRegular = L("”不是普通文件（而是设备、管道或套接字）");
    struct Case {
        QString Connection;
        QString Message;
    };
    const Case cases[] = {
        {SqliteConnectionString(QStringLiteral("/dev/zero")),
         L("SQLite 数据源的数据库文件“/dev/zero") + notRegular},
        {SqliteConnectionString(toDevice), L("SQLite 数据源的数据库文件“") + toDevice + notRegular},
        {SqliteConnectionString(fifo), L("SQLite 数据源的数据库文件“") + fifo + notRegular},
        {L("Driver={SQLite3};Database=/dev/zero"),
         L("ODBC 驱动程序“SQLite3”的数据库文件“/dev/zero") + notRegular},
    };
    for (const Case& c : cases) {
        TADOConnection connection(c.Connection);
        EXPECT_EQ(t::ErrorOf([&] { connection.Open(); }).toStdString(), c.Message.toStdString());
    }
    // A link to a database file is that file.
    const QString link = dir.filePath(QStringLiteral("link.db"));
    QFile::remove(link);
    ASSERT_TRUE(QFile::link(t::CopyOfSampleDatabase(), link));
    TADOConnection linked(SqliteConnectionString(link));
    linked.Open();
    EXPECT_TRUE(linked.Connected());
}
