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
