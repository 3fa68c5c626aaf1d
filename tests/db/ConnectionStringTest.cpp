#include "db/ConnectionString.h"
#include "db/DatabaseError.h"
#include "db/FieldType.h"

#include <gtest/gtest.h>

using namespace quillary;

TEST(ConnectionString, ParsesKeysWithoutRegardToCaseTrimsBlanksAndKeepsQuotedValues) {
    // text, item count, key, value
    const std::tuple<const char*, int, const char*, const char*> cases[] = {
        {" Provider = MSDASQL.1 ;Persist Security Info=False; User ID=sa;Data Source=销售;;", 4,
         "provider", "MSDASQL.1"},
        {"Provider=X; User ID=sa", 2, "USER ID", "sa"},
        {"Data Source=销售;", 1, "Data Source", "销售"},
        {"User ID=sa", 1, "Password", ""},
        {"Password=\"a;b\"\"c\"", 1, "Password", "a;b\"c"},
        {"Extended Properties='DSN=x;UID=''y'''", 1, "Extended Properties", "DSN=x;UID='y'"},
        {"Driver={SQLite3 {x}}}", 1, "Driver", "SQLite3 {x}"},
        {"Data Source=\" padded \"", 1, "Data Source", " padded "},
        // A doubled '=' belongs to the key; the first occurrence of a key wins.
        {"a==b=1", 1, "a=b", "1"},
        {"User ID=first;user id=second", 1, "User ID", "first"},
    };
    for (const auto& [text, count, key, value] : cases) {
        const TConnectionString cs = TConnectionString::Parse(QString::fromUtf8(text));
        EXPECT_EQ(cs.Items().size(), count) << text;
        EXPECT_EQ(cs.Value(QString::fromUtf8(key)), QString::fromUtf8(value)) << text;
    }
    const TConnectionString cs = TConnectionString::Parse(QStringLiteral("User ID=sa"));
    EXPECT_FALSE(cs.Contains(QStringLiteral("Password")));
    EXPECT_EQ(cs.Value({"UID", "User ID"}), QStringLiteral("sa")) << "synonyms: the first present";
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

TEST(ConnectionString, PasswordsAreMaskedForTheEyeAndKeptOnlyWhenThePersistKeySaysSo) {
    // text, masked, stored
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"Provider=PostgreSQL;User ID=u;Password=secret;Data Source=h",
         "Provider=PostgreSQL;User ID=u;Password=***;Data Source=h",
         "Provider=PostgreSQL;User ID=u;Data Source=h"},
        {"DSN=x; pwd = \"a;b\"\"c\" ;UID=u", "DSN=x; pwd = *** ;UID=u", "DSN=x; UID=u"},
        {"Password=first;PASSWORD=second;Data Source=h", "Password=***;PASSWORD=***;Data Source=h",
         "Data Source=h"},
        {"Data Source=h;Password={x}}y}", "Data Source=h;Password=***", "Data Source=h"},
        {"Provider=MSDASQL;Extended Properties=\"DSN=x;PWD=secret\"",
         "Provider=MSDASQL;Extended Properties=\"DSN=x;PWD=***\"",
         "Provider=MSDASQL;Extended Properties=DSN=x"},
        // The key's own word, ADO's meaning: only True keeps the password.
        {"Persist Security Info=True;User ID=u;Password=p",
         "Persist Security Info=True;User ID=u;Password=***",
         "Persist Security Info=True;User ID=u;Password=p"},
        {"Persist Security Info=yes;Password=p;", "Persist Security Info=yes;Password=***;",
         "Persist Security Info=yes;"},
        {"Persist Security Info=False;Password=p", "Persist Security Info=False;Password=***",
         "Persist Security Info=False"},
        {"Provider=SQLite;Data Source=/srv/a.db", "Provider=SQLite;Data Source=/srv/a.db",
         "Provider=SQLite;Data Source=/srv/a.db"},
        // Text that does not parse is masked from the key to the next ";".
        {"Password=\"open;User ID=u", "Password=***;User ID=u", "User ID=u"},
        {"garbage;pwd=x", "garbage;pwd=***", "garbage"},
    };
    for (const auto& [text, masked, stored] : cases) {
        const QString t = QString::fromUtf8(text);
        EXPECT_EQ(TConnectionString::Masked(t).toStdString(), masked) << text;
        EXPECT_EQ(TConnectionString::ForStorage(t).toStdString(), stored) << text;
        EXPECT_EQ(TConnectionString::HoldsPassword(TConnectionString::ForStorage(t)),
                  QString::fromUtf8(stored).contains(QLatin1String("Password=p")))
            << text;
    }
    EXPECT_FALSE(TConnectionString::HoldsPassword(QStringLiteral("User ID=u;Password=")));
    EXPECT_TRUE(TConnectionString::HoldsPassword(QStringLiteral("Extended Properties='PWD=x'")));
}

TEST(FieldTypes, OrdinalsAreTheDesignerClassCodes) {
    EXPECT_EQ((std::vector<int>{ftString, ftInteger, ftBoolean, ftFloat, ftDateTime, ftFixedChar,
                                ftWideString, ftLargeint}),
              (std::vector<int>{1, 3, 5, 6, 11, 23, 24, 25}));
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
    EXPECT_EQ((std::vector<TFieldType>{FieldTypeFromOdbcType(12), FieldTypeFromOdbcType(-9),
                                       FieldTypeFromOdbcType(91), FieldTypeFromOdbcType(93),
                                       FieldTypeFromOdbcType(-7), FieldTypeFromOdbcType(3),
                                       FieldTypeFromOdbcType(12345)}),
              (std::vector<TFieldType>{ftString, ftWideString, ftDate, ftDateTime, ftBoolean, ftBCD,
                                       ftUnknown}));
    EXPECT_EQ((std::vector<TFieldType>{FieldTypeFromPostgresOid(1043),
                                       FieldTypeFromPostgresOid(1184), FieldTypeFromPostgresOid(0),
                                       FieldTypeFromMetaType(QMetaType(QMetaType::QDate)),
                                       FieldTypeFromMetaType(QMetaType())}),
              (std::vector<TFieldType>{ftString, ftDateTime, ftUnknown, ftDate, ftUnknown}));
}
