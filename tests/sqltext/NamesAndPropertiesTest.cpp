#include "SqlTextTestUtil.h"
#include "sqltext/Common.h"

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

TEST(GetProperty, ReadsADataLinkFileThroughTheInstalledReader) {
    // The path is the text after "FILE NAME=" (any case), at most 260
    // characters; the reader's answer is read like a connection string.
    QStringList asked;
    SetDataLinkReader([&](const QString& path) {
        asked << path;
        return path.endsWith(QLatin1String(".udl"))
                   ? QStringLiteral("Provider=SQLite;User ID=张三;Data Source=/srv/shop.db")
                   : QString();
    });
    EXPECT_EQ(GetProperty("File Name=/srv/客户库.udl", "USER ID"), QStringLiteral("张三"));
    EXPECT_EQ(GetProperty("FILE NAME=/srv/a.udl", "DATA SOURCE"), QStringLiteral("/srv/shop.db"));
    EXPECT_EQ(GetProperty("file name=/srv/a.udl", "PASSWORD"), QString());
    EXPECT_EQ(GetProperty("File Name=/srv/a.txt", "USER ID"), QString()) << "nothing read";
    const QString longPath = QLatin1Char('/') + QString(300, QLatin1Char('x'));
    GetProperty("File Name=" + longPath, "USER ID");
    EXPECT_EQ(asked, (QStringList{"/srv/客户库.udl", "/srv/a.udl", "/srv/a.udl", "/srv/a.txt",
                                  longPath.left(260)}));

    SetDataLinkReader(nullptr);
    EXPECT_EQ(GetProperty("File Name=/srv/a.udl", "USER ID"), QString()) << "no reader";
}
