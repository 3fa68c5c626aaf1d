#include "db/ConnectionString.h"
#include "db/DatabaseError.h"
#include "db/FieldType.h"

#include <gtest/gtest.h>

using namespace quillary;

TEST(ConnectionString, ParsesKeysWithoutRegardToCaseAndTrimsBlanks) {
    const TConnectionString cs = TConnectionString::Parse(QStringLiteral(
        " Provider = MSDASQL.1 ;Persist Security Info=False; User ID=sa;Data Source=销售;;"));
    EXPECT_EQ(cs.Items().size(), 4);
    EXPECT_EQ(cs.Value(QStringLiteral("provider")), QStringLiteral("MSDASQL.1"));
    EXPECT_EQ(cs.Value(QStringLiteral("USER ID")), QStringLiteral("sa"));
    EXPECT_EQ(cs.Value(QStringLiteral("Data Source")), QStringLiteral("销售"));
    EXPECT_EQ(cs.Value(QStringLiteral("Password")), QString());
    EXPECT_FALSE(cs.Contains(QStringLiteral("Password")));
    EXPECT_EQ(cs.Value({"UID", "User ID"}), QStringLiteral("sa"))
        << "synonyms: the first present one";
}

TEST(ConnectionString, QuotedAndBracedValuesKeepSeparatorsAndBlanks) {
    const TConnectionString cs = TConnectionString::Parse(
        QStringLiteral("Password=\"a;b\"\"c\"; Extended Properties='DSN=x;UID=''y'''; "
                       "Driver={SQLite3 {x}}}; Data Source=\" padded \""));
    EXPECT_EQ(cs.Value(QStringLiteral("Password")), QStringLiteral("a;b\"c"));
    EXPECT_EQ(cs.Value(QStringLiteral("Extended Properties")), QStringLiteral("DSN=x;UID='y'"));
    EXPECT_EQ(cs.Value(QStringLiteral("Driver")), QStringLiteral("SQLite3 {x}"));
    EXPECT_EQ(cs.Value(QStringLiteral("Data Source")), QStringLiteral(" padded "));
}

TEST(ConnectionString, DoubledEqualsInKeyAndFirstOccurrenceWins) {
    const TConnectionString cs =
        TConnectionString::Parse(QStringLiteral("a==b=1;User ID=first;user id=second"));
    EXPECT_EQ(cs.Value(QStringLiteral("a=b")), QStringLiteral("1"));
    EXPECT_EQ(cs.Value(QStringLiteral("User ID")), QStringLiteral("first"));
    EXPECT_EQ(cs.Items().size(), 2);
}

TEST(ConnectionString, MalformedTextIsRefusedWithAReason) {
    // The reasons name the key; the texts as a whole are checked where a
    // connection fails.
    struct Case {
        const char* text;
        const char* reason;
    };
    const Case cases[] = {
        {"Provider=SQLite;Data Source=\"open",
         "连接字符串有误（第 29 个字符）：“Data Source”的值以 \" 开头，却没有结束的 \""},
        {"=value", "连接字符串有误（第 2 个字符）：有一个值前面没有键名"},
        {"Password=\"x\"y;",
         "连接字符串有误（第 13 个字符）：“Password”带引号的值后面还有别的文字"},
        {"Driver={SQLite3", "连接字符串有误（第 8 个字符）：“Driver”的值以 { 开头，却没有结束的 }"},
    };
    for (const Case& c : cases) {
        TConnectionString cs;
        QString error;
        EXPECT_FALSE(TConnectionString::TryParse(QString::fromUtf8(c.text), cs, &error)) << c.text;
        EXPECT_EQ(error.toStdString(), c.reason);
        EXPECT_TRUE(cs.IsEmpty());
        EXPECT_THROW(TConnectionString::Parse(QString::fromUtf8(c.text)), EDatabaseError);
    }
    EXPECT_TRUE(TConnectionString::Parse(QString()).IsEmpty());
    EXPECT_TRUE(TConnectionString::Parse(QStringLiteral(" ; ;")).IsEmpty());
}

TEST(ConnectionString, WritesBackWhatItReads) {
    TConnectionString cs;
    cs.Set(QStringLiteral("Provider"), QStringLiteral("PostgreSQL"));
    cs.Set(QStringLiteral("Password"), QStringLiteral("p;\"w"));
    cs.Set(QStringLiteral("Data Source"), QStringLiteral(" host "));
    cs.Set(QStringLiteral("k=ey"), QStringLiteral("v"));
    cs.Set(QStringLiteral("Options"), QStringLiteral("=starts with equals"));
    cs.Set(QStringLiteral("provider"), QStringLiteral("SQLite"));
    const QString text = cs.ToString();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Provider=SQLite;"))) << text.toStdString();
    const TConnectionString back = TConnectionString::Parse(text);
    EXPECT_EQ(back.Items(), cs.Items());
    cs.Remove(QStringLiteral("PASSWORD"));
    EXPECT_FALSE(cs.Contains(QStringLiteral("Password")));
}

TEST(FieldTypes, OrdinalsAreTheDesignerClassCodes) {
    EXPECT_EQ(int(ftString), 1);
    EXPECT_EQ(int(ftInteger), 3);
    EXPECT_EQ(int(ftBoolean), 5);
    EXPECT_EQ(int(ftFloat), 6);
    EXPECT_EQ(int(ftDateTime), 11);
    EXPECT_EQ(int(ftFixedChar), 23);
    EXPECT_EQ(int(ftWideString), 24);
    EXPECT_EQ(int(ftLargeint), 25);
    EXPECT_EQ(FieldTypeName(ftBCD), QStringLiteral("ftBCD"));
    EXPECT_EQ(FieldTypeName(TFieldType(999)), QStringLiteral("ftUnknown"));
}

TEST(FieldTypes, SqliteDeclarationsMapToTheirNaturalClass) {
    const std::pair<const char*, TFieldType> cases[] = {
        {"INTEGER", ftInteger},
        {"int", ftInteger},
        {"MEDIUMINT", ftInteger},
        {"SMALLINT", ftSmallint},
        {"tinyint", ftSmallint},
        {"BIGINT", ftLargeint},
        {"VARCHAR(20)", ftString},
        {"nvarchar(10)", ftWideString},
        {"CHAR(3)", ftFixedChar},
        {"TEXT", ftString},
        {"character varying(5)", ftString},
        {"CLOB", ftMemo},
        {"DATE", ftDate},
        {"datetime", ftDateTime},
        {"TIMESTAMP", ftDateTime},
        {"TIME", ftTime},
        {"DECIMAL(10,2)", ftBCD},
        {"NUMERIC", ftBCD},
        {"REAL", ftFloat},
        {"DOUBLE PRECISION", ftFloat},
        {"FLOAT", ftFloat},
        {"BOOLEAN", ftBoolean},
        {"BLOB", ftBlob},
        {"MONEY", ftCurrency},
        {"", ftUnknown},
        {"  ", ftUnknown},
        {"whatever", ftUnknown},
    };
    for (const auto& [decl, type] : cases)
        EXPECT_EQ(FieldTypeFromSqliteDeclaration(QString::fromLatin1(decl)), type) << decl;
}

TEST(FieldTypes, OdbcAndPostgresCodes) {
    EXPECT_EQ(FieldTypeFromOdbcType(12), ftString);
    EXPECT_EQ(FieldTypeFromOdbcType(-9), ftWideString);
    EXPECT_EQ(FieldTypeFromOdbcType(91), ftDate);
    EXPECT_EQ(FieldTypeFromOdbcType(93), ftDateTime);
    EXPECT_EQ(FieldTypeFromOdbcType(-7), ftBoolean);
    EXPECT_EQ(FieldTypeFromOdbcType(3), ftBCD);
    EXPECT_EQ(FieldTypeFromOdbcType(12345), ftUnknown);
    EXPECT_EQ(FieldTypeFromPostgresOid(1043), ftString);
    EXPECT_EQ(FieldTypeFromPostgresOid(1184), ftDateTime);
    EXPECT_EQ(FieldTypeFromPostgresOid(0), ftUnknown);
    EXPECT_EQ(FieldTypeFromMetaType(QMetaType(QMetaType::QDate)), ftDate);
    EXPECT_EQ(FieldTypeFromMetaType(QMetaType()), ftUnknown);
}
