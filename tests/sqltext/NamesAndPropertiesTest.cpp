#include "SqlTextTestUtil.h"
#include "platform/DataLinkFile.h"
#include "sqltext/Common.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace quillary;

namespace {

struct Split {
    QString Name, Alias;
};

Split ByName(const QString& item, int mode = 0) {
    Split s{QStringLiteral("?"), QStringLiteral("?")};
    GetByName(item, s.Name, s.Alias, mode);
    return s;
}

void ExpectSplit(const QString& item, const QString& name, const QString& alias, int mode = 0) {
    const Split s = ByName(item, mode);
    EXPECT_EQ(s.Name, name) << "item " << item.toStdString();
    EXPECT_EQ(s.Alias, alias) << "item " << item.toStdString();
}

} // namespace

TEST(GetByName, SplitsTheLastWordOffAsAlias) {
    ExpectSplit("t0 x", "t0", "x");
    ExpectSplit("price total", "price", "total");
    ExpectSplit("price as total", "price", "total");
    ExpectSplit("sum(a) AS total", "sum(a)", "total");
    ExpectSplit("price\t as \r\n total", "price", "total");
    ExpectSplit("a + b", "a +", "b");
    ExpectSplit("金额 amount_1", "金额", "amount_1");
    ExpectSplit("x _a", "x", "_a");
    ExpectSplit("x a#1$@", "x", "a#1$@");
}

TEST(GetByName, FindsNoAliasWhereTheLastWordCannotBeOne) {
    ExpectSplit("a+b", "a+b", "");
    ExpectSplit("t.col", "t.col", "");
    ExpectSplit("count(*)", "count(*)", "");
    ExpectSplit("x 1abc", "x 1abc", ""); // must begin with a letter or _
    ExpectSplit("x #a", "x #a", "");
    ExpectSplit("名称 别名", "名称 别名", ""); // only ASCII letters make aliases
    ExpectSplit("abc ", "abc ", "");
    ExpectSplit(" abc", " abc", ""); // a blank at the first position is not a separator
    ExpectSplit("x", "x", "");
    ExpectSplit(QString(), QString(), QString());
}

TEST(GetByName, KeepsAsThatIsPartOfAWord) {
    ExpectSplit("bas total", "bas", "total");
    ExpectSplit("a bas total", "a bas", "total");
    ExpectSplit("x as y as z", "x as y", "z");
}

TEST(GetByName, TakesQuotedAndBracketedAliasesWhole) {
    ExpectSplit("[my col] [a b]", "[my col]", "[a b]");
    ExpectSplit("sum(a) as \"总 计\"", "sum(a)", "\"总 计\"");
    ExpectSplit("x \"\"", "x", "\"\"");
    ExpectSplit("\"a b\"", "\"a b\"", ""); // the quote must stand at position 3 or later
    ExpectSplit("x\"y\"", "x\"y\"", "");   // no blank before the quote
    ExpectSplit("[a]", "[a]", "");
}

TEST(GetByName, LetsACaseExpressionKeepItsEndInMode1) {
    ExpectSplit("case when a then b end", "case when a then b end", "", 1);
    ExpectSplit("case when a then b END", "case when a then b END", "", 1);
    ExpectSplit("case when a then b end", "case when a then b", "end", 0);
    ExpectSplit("case when a then b end total", "case when a then b end", "total", 1);
}

TEST(ReplaceAll, ReplacesLeftToRightWithoutReadingWhatItInserted) {
    EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), QStringLiteral("aaaaaa"));
    EXPECT_EQ(ReplaceAll("aaaa", "aa", "b"), QStringLiteral("bb"));
    EXPECT_EQ(ReplaceAll("aaa", "aa", "a"), QStringLiteral("aa"));
    EXPECT_EQ(ReplaceAll("A a", "a", "b"), QStringLiteral("A b")) << "case matters";
    EXPECT_EQ(ReplaceAll("客户.名称, 客户.地址", "客户.", "c."), QStringLiteral("c.名称, c.地址"));
    EXPECT_EQ(ReplaceAll("abc", "abcd", "x"), QStringLiteral("abc"));
    EXPECT_EQ(ReplaceAll("abc", "c", ""), QStringLiteral("ab"));
}

TEST(ReplaceAll, RefusesAnEmptySearchText) {
    EXPECT_EQ(ReplaceAll("abc", "", "x"), QStringLiteral("abc"));
    EXPECT_EQ(ReplaceAll("abc", "b", "b"), QStringLiteral("abc"));
    EXPECT_EQ(ReplaceAll("", "a", "b"), QString());
}

TEST(ExtractProperty, ReadsTheValueUpToTheSemicolon) {
    EXPECT_EQ(ExtractProperty("Provider=X;User ID=sa;Password=", "USER ID"), QStringLiteral("sa"));
    EXPECT_EQ(ExtractProperty("Provider=X;User ID=sa;Password=", "PASSWORD"), QString());
    EXPECT_EQ(ExtractProperty("A=;B=1", "A"), QString());
    EXPECT_EQ(ExtractProperty("A=;B=1", "B"), QStringLiteral("1"));
    EXPECT_EQ(ExtractProperty("data source=C:\\Db\\Shop.MDB", "DATA SOURCE"),
              QStringLiteral("C:\\Db\\Shop.MDB"))
        << "keys in any case, values as written";
    EXPECT_EQ(ExtractProperty("User ID=张三;", "USER ID"), QStringLiteral("张三"));
    EXPECT_EQ(ExtractProperty("User ID=sa", "user id"), QString())
        << "the name is expected in upper case";
    EXPECT_EQ(ExtractProperty("Provider=X", "USER ID"), QString());
}

TEST(ExtractProperty, TakesTheFirstOccurrenceAnywhere) {
    EXPECT_EQ(ExtractProperty("XUSER ID=1;USER ID=2", "USER ID"), QStringLiteral("1"));
}

TEST(ExtractProperty, LooksForTheSemicolonWithin255Characters) {
    const QString near = QString(254, u'v');
    EXPECT_EQ(ExtractProperty("A=" + near + ";B=1", "A"), near);
    const QString far = QString(255, u'v');
    EXPECT_EQ(ExtractProperty("A=" + far + ";B=1", "A"), far + ";B=1")
        << "a semicolon beyond the window does not end the value";
}

TEST(GetProperty, ReadsPlainConnectionStrings) {
    EXPECT_EQ(GetProperty("Provider=SQLOLEDB.1;User ID=sa;Initial Catalog=shop", "USER ID"),
              QStringLiteral("sa"));
    EXPECT_EQ(GetProperty("Provider=SQLOLEDB.1", "USER ID"), QString());
}

TEST(GetProperty, ReadsTheConnectionStringOfADataLinkFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString udl = dir.filePath(QStringLiteral("客户库.udl"));
    ASSERT_TRUE(WriteDataLinkFile(udl, "Provider=SQLite;User ID=张三;Data Source=/srv/shop.db"));
    EXPECT_EQ(GetProperty("File Name=" + udl, "USER ID"), QStringLiteral("张三"));
    EXPECT_EQ(GetProperty("FILE NAME=" + udl, "DATA SOURCE"), QStringLiteral("/srv/shop.db"));
    EXPECT_EQ(GetProperty("file name=" + udl, "PASSWORD"), QString());

    // A UTF-8 file written by hand works as well.
    const QString utf8 = dir.filePath(QStringLiteral("hand.udl"));
    QFile file(utf8);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("[oledb]\n") + kDataLinkMarker + "\nProvider=PostgreSQL;User ID=王五\n");
    file.close();
    EXPECT_EQ(GetProperty("File Name=" + utf8, "USER ID"), QStringLiteral("王五"));
}

TEST(GetProperty, GivesNothingWhenTheDataLinkFileCannotBeRead) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_EQ(GetProperty("File Name=" + dir.filePath("missing.udl"), "USER ID"), QString());
    EXPECT_EQ(GetProperty("File Name=" + dir.path(), "USER ID"), QString()) << "a folder";
    EXPECT_EQ(GetProperty("File Name=", "USER ID"), QString());
    // A device that never ends must not keep us reading.
    EXPECT_EQ(GetProperty("File Name=/dev/zero", "USER ID"), QString());
    const QString plain = dir.filePath("plain.txt");
    QFile file(plain);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("User ID=sa\n");
    file.close();
    EXPECT_EQ(GetProperty("File Name=" + plain, "USER ID"), QString()) << "no marker line";
}
