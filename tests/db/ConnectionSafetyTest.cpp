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

TEST(ConnectionOrigin, DocumentsNameOdbcDriversOnlyByTheirRegisteredNames) {
    const t::TMarkerLibrary marker = t::MarkerLibrary();
    const QString sample = t::SharedSampleDatabase();
    const QString refused = L("来自文档的连接字符串不能这样指明 ODBC 数据源：");
    struct Case {
        QString Connection;
        QString Message;
    };
    const Case cases[] = {
        {L("Driver={%1};Database=%2").arg(marker.Library, sample),
         refused + L("“Driver”的值“%1”是文件路径；只能写在 unixODBC 中登记的驱动程序名称")
                       .arg(marker.Library)},
        {L("Provider=MSDASQL.1;Driver=") + marker.Library,
         refused + L("“Driver”的值“%1”是文件路径；只能写在 unixODBC 中登记的驱动程序名称")
                       .arg(marker.Library)},
        // Without a folder the driver manager would look for the library
        // itself.
        {L("Driver={libmarker-1.so}"),
         refused + L("“Driver”的值“libmarker-1.so”不是在 unixODBC 中登记的驱动程序名称")},
        {L("DSN=QuillarySystem;FILEDSN=/tmp/shop"),
         refused + L("“FILEDSN”会让 ODBC 读写文件或载入程序库")},
        {L("Driver={SQLite3};Database=%1;SaveFile=/tmp/shop").arg(sample),
         refused + L("“SaveFile”会让 ODBC 读写文件或载入程序库")},
        {L("Driver={SQLite3};Database=%1;LoadExt=%2").arg(sample, marker.Library),
         refused + L("“LoadExt”会让 ODBC 读写文件或载入程序库")},
        {L("DSN=QuillarySystem;Extended Properties=\"x=1;DRIVER={%1}\"").arg(marker.Library),
         refused + L("“Extended Properties”里的“DRIVER”会让 ODBC 载入驱动程序或读写文件")},
        {L("DSN=QuillarySystem;Extended Properties=\"x={a}}; driver =%1}\"").arg(marker.Library),
         refused + L("“Extended Properties”里的“driver”会让 ODBC 载入驱动程序或读写文件")},
        // A data source "name" that Qt would hand over as a connection string.
        {L("Data Source=\"DRIVER={%1}\"").arg(marker.Library),
         refused + L("“Data Source”的值“DRIVER={%1}”不是数据源名称").arg(marker.Library)},
        // Qt reads any ODBC text holding ".dsn" as a file data source.
        {L("DSN=shop.dsn"), refused + L("“DSN”含有“.dsn”，会被当作文件数据源读取")},
    };
    const QString udl = QDir(t::TestDir()).filePath(QStringLiteral("document.udl"));
    for (const Case& c : cases) {
        TADOConnection document(c.Connection, TConnectionOrigin::Document);
        EXPECT_EQ(t::ErrorOf([&] { document.Open(); }).toStdString(), c.Message.toStdString());
        // A data-link file is a document, whoever names it.
        ASSERT_TRUE(WriteDataLinkFile(udl, c.Connection));
        TADOConnection linked(L("File Name=") + udl);
        EXPECT_EQ(t::ErrorOf([&] { linked.Open(); }).toStdString(),
                  (L("数据链接文件“%1”中的").arg(udl) + c.Message).toStdString());
    }
    EXPECT_FALSE(QFile::exists(marker.Marker)) << "the library was loaded";

    // Registered names and data sources are what documents are for.
    // (unixODBC finds driver names in any letter case.)
    for (const QString& good : {L("Driver={sqlite3};Database=") + sample,
                                L("Provider=MSDASQL.1;Data Source=QuillarySystem")}) {
        TADOConnection document(good, TConnectionOrigin::Document);
        document.Open();
        EXPECT_TRUE(document.Connected()) << good.toStdString();
    }
    // The application's own strings keep ODBC's whole syntax: this one
    // reaches the driver manager, which loads the library (and then finds
    // no driver in it).
    TADOConnection own(L("Driver={%1};Database=%2").arg(marker.Library, sample));
    EXPECT_FALSE(t::ErrorOf([&] { own.Open(); }).contains(refused));
    EXPECT_TRUE(QFile::exists(marker.Marker));
}
