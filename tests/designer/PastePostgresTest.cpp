// The function list of the paste dialog on PostgreSQL (a server started by ctest).
#include "TestSupport.h"
#include "db/ADOConnection.h"
#include "db/Dialect.h"
#include "designer/Paste.h"

#include <gtest/gtest.h>

using namespace quillary;

TEST(PastePostgresTest, BuiltInFunctionsThatAQueryCanCall) {
    const auto& server = test::PostgresServer();
    ASSERT_TRUE(server.Available) << server.Problem.toStdString();
    TADOConnection connection(server.ConnectionString());
    connection.Open();
    ASSERT_EQ(GetDataSourceType(&connection), dsOther);
    const QStringList names = DatabaseFunctionNames(&connection);
    for (const char* name : {"abs", "count", "now", "string_agg", "to_char", "upper"})
        EXPECT_TRUE(names.contains(QString::fromLatin1(name))) << name;
    // Type input and output, operator implementations, aggregate internals.
    for (const char* name : {"int4in", "textsend", "int4pl", "int4_sum"})
        EXPECT_FALSE(names.contains(QString::fromLatin1(name))) << name;
    QStringList sorted = names;
    sorted.sort();
    sorted.removeDuplicates();
    EXPECT_EQ(names, sorted) << "sorted, each name once";
}
