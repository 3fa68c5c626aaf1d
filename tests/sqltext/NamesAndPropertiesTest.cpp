#include "SqlTextTestUtil.h"
#include "sqltext/Common.h"
#include "sqltext/TextHash.h"

#include <gtest/gtest.h>

using namespace quillary;

TEST(GetByName, SplitsOffTheLastWordAsAliasWhereItCanBeOne) {
    // item, mode, name, alias
    const std::tuple<const char*, int, const char*, const char*> cases[] = {
        {"t0 x", 0, "t0", "x"},
        {"price as total", 0, "price", "total"},
        {"sum(a) AS total", 0, "sum(a)", "total"},
        {"price\t as \r\n total", 0, "price", "total"},
        {"a + b", 0, "a +", "b"},
        {"金额 amount_1", 0, "金额", "amount_1"},
        {"x _a", 0, "x", "_a"},
        {"x a#1$@", 0, "x", "a#1$@"},
        {"bas total", 0, "bas", "total"},
        {"x as y as z", 0, "x as y", "z"},
        // No alias: not after a blank, not beginning with a letter or _.
        {"a+b", 0, "a+b", ""},
        {"t.col", 0, "t.col", ""},
        {"count(*)", 0, "count(*)", ""},
        {"x 1abc", 0, "x 1abc", ""},
        {"x #a", 0, "x #a", ""},
        {"名称 别名", 0, "名称 别名", ""},
        {"abc ", 0, "abc ", ""},
        {" abc", 0, " abc", ""},
        {"x", 0, "x", ""},
        {"", 0, "", ""},
        // Quoted and bracketed aliases whole, after a blank at position 3 on.
        {"[my col] [a b]", 0, "[my col]", "[a b]"},
        {"sum(a) as \"总 计\"", 0, "sum(a)", "\"总 计\""},
        {"x \"\"", 0, "x", "\"\""},
        {"orders as `o`", 0, "orders", "`o`"},
        {"`t`.a`b`", 0, "`t`.a`b`", ""},
        {"\"a b\"", 0, "\"a b\"", ""},
        {"x\"y\"", 0, "x\"y\"", ""},
        {"[a]", 0, "[a]", ""},
        // In mode 1 a CASE expression keeps its END.
        {"case when a then b end", 1, "case when a then b end", ""},
        {"case when a then b END", 1, "case when a then b END", ""},
        {"case when a then b end", 0, "case when a then b", "end"},
        {"case when a then b end total", 1, "case when a then b end", "total"},
    };
    for (const auto& [item, mode, name, alias] : cases) {
        QString n = QStringLiteral("?"), a = QStringLiteral("?");
        GetByName(QString::fromUtf8(item), n, a, mode);
        EXPECT_EQ(n, QString::fromUtf8(name)) << item;
        EXPECT_EQ(a, QString::fromUtf8(alias)) << item;
    }
}

TEST(ReplaceAll, ReplacesLeftToRightWithoutReadingWhatItInserted) {
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"aaa", "a", "aa", "aaaaaa"},
        {"aaaa", "aa", "b", "bb"},
        {"aaa", "aa", "a", "aa"},
        {"A a", "a", "b", "A b"},
        {"客户.名称, 客户.地址", "客户.", "c.", "c.名称, c.地址"},
        {"abc", "abcd", "x", "abc"},
        {"abc", "c", "", "ab"},
        {"abc", "", "x", "abc"},
        {"abc", "b", "b", "abc"},
        {"", "a", "b", ""},
    };
    for (const auto& [text, from, to, result] : cases)
        EXPECT_EQ(
            ReplaceAll(QString::fromUtf8(text), QString::fromUtf8(from), QString::fromUtf8(to)),
            QString::fromUtf8(result))
            << text << " / " << from;
}

TEST(ExtractProperty, ReadsTheTextAsEveryConnectionStringIsRead) {
    const QString far = QString(255, u'v');
    // text, name, value; the rows marked "was" read otherwise before there
    // was one reader (a search for "NAME=" in the upper-cased text, its value
    // cut at a ";" within 255 characters).
    const std::tuple<QString, const char*, QString> cases[] = {
        {"Provider=X;User ID=sa;Password=", "USER ID", "sa"},
        {"Provider=X;User ID=sa;Password=", "PASSWORD", ""},
        {"A=;B=1", "A", ""},
        {"A=;B=1", "B", "1"},
        {"data source=C:\\Db\\Shop.MDB", "DATA SOURCE", "C:\\Db\\Shop.MDB"},
        {"User ID=张三;", "USER ID", "张三"},
        {"Provider=X", "USER ID", ""},
        {"User ID=first;user id=second", "USER ID", "first"},
        {"User ID=sa", "user id", "sa"},                           // was "": upper case only
        {"XUSER ID=1;USER ID=2", "USER ID", "2"},                  // was "1": part of a key
        {"A=" + far + ";B=1", "A", far},                           // was far + ";B=1"
        {"Password=\"a;b\"\"c\";User ID=u", "PASSWORD", "a;b\"c"}, // was "\"a"
        {"Driver={SQLite3 ODBC};DSN=x", "DRIVER", "SQLite3 ODBC"},
        {" User ID = sa ;", "USER ID", "sa"}, // was "": blanks
        {"a==b=1", "A=B", "1"},               // was ""
        // Malformed text: what comes before the fault.
        {"Provider=X;Data Source=\"open;User ID=sa", "PROVIDER", "X"},
        {"Provider=X;Data Source=\"open;User ID=sa", "USER ID", ""}, // was "sa"
        {"Provider=X;oops;User ID=sa", "USER ID", ""},               // was "sa"
    };
    for (const auto& [text, name, value] : cases)
        EXPECT_EQ(ExtractProperty(text, QString::fromUtf8(name)), value)
            << text.left(40).toStdString() << " / " << name;
}

TEST(GetProperty, ReadsPlainConnectionStrings) {
    EXPECT_EQ(GetProperty("Provider=SQLOLEDB.1;User ID=sa;Initial Catalog=shop", "USER ID"),
              QStringLiteral("sa"));
    EXPECT_EQ(GetProperty("Provider=SQLOLEDB.1", "USER ID"), QString());
}

TEST(GetProperty, ReadsADataLinkFileThroughTheReaderHandedIn) {
    // The path is the value of "FILE NAME" (any case) of a string that
    // begins with it; the reader's answer is read like a connection string.
    QStringList asked;
    const TDataLinkReader reader = [&](const QString& path) {
        asked << path;
        return path.endsWith(QLatin1String(".udl"))
                   ? QStringLiteral("Provider=SQLite;User ID=张三;Data Source=/srv/shop.db")
                   : QString();
    };
    EXPECT_EQ(GetProperty("File Name=/srv/客户库.udl", "USER ID", reader), QStringLiteral("张三"));
    EXPECT_EQ(GetProperty("FILE NAME=/srv/a.udl", "DATA SOURCE", reader),
              QStringLiteral("/srv/shop.db"));
    EXPECT_EQ(GetProperty("file name=/srv/a.udl", "PASSWORD", reader), QString());
    EXPECT_EQ(GetProperty("File Name=/srv/a.txt", "USER ID", reader), QString()) << "nothing read";
    EXPECT_EQ(asked, (QStringList{"/srv/客户库.udl", "/srv/a.udl", "/srv/a.udl", "/srv/a.txt"}));
    // The path as the connection reads it; each was handed on as written
    // before, up to 260 characters, and the second not at all.
    const QString longPath = QLatin1Char('/') + QString(300, QLatin1Char('x'));
    const std::pair<QString, QString> paths[] = {
        {"File Name=/srv/a.udl;", "/srv/a.udl"},
        {"  File Name=/srv/a.udl", "/srv/a.udl"},
        {"File Name=\"/srv/a;b.udl\"", "/srv/a;b.udl"},
        {"File Name=" + longPath, longPath},
    };
    for (const auto& [text, path] : paths) {
        asked.clear();
        GetProperty(text, "USER ID", reader);
        EXPECT_EQ(asked, QStringList{path}) << text.left(40).toStdString();
    }

    EXPECT_EQ(GetProperty("File Name=/srv/a.udl", "USER ID"), QString()) << "no reader";
}

// Keys ignoring case must hash alike whenever the comparison ignoring case
// calls them equal, or a display row or an ORDER BY position is not found.
TEST(TFoldedKey, EqualIgnoringCaseAsTheComparisonIsAndOnlyThen) {
    const std::tuple<const char16_t*, const char16_t*, bool> cases[] = {
        {u"1T0.Name", u"1t0.NAME", true},
        {u"Straße", u"STRAßE", true},           // ß has no single capital
        {u"ΣΊΣΥΦΟΣ", u"σίσυφος", true},         // final sigma folds with the others
        {u"\u212Aelvin", u"kelvin", true},      // the Kelvin sign folds to k
        {u"\U00010400x", u"\U00010428X", true}, // Deseret: letters outside the BMP
        {u"金额", u"金额", true},
        {u"1a", u"0a", false},
        {u"ab", u"a", false},
        {u"", u"", true},
    };
    for (const auto& [a, b, equal] : cases) {
        const TFoldedKey ka(QString::fromUtf16(a)), kb(QString::fromUtf16(b));
        ASSERT_EQ(ka.Text.compare(kb.Text, Qt::CaseInsensitive) == 0, equal)
            << ka.Text.toStdString() << " / " << kb.Text.toStdString();
        EXPECT_EQ(ka == kb, equal) << ka.Text.toStdString();
        if (equal) {
            EXPECT_EQ(qHash(ka), qHash(kb)) << ka.Text.toStdString();
        }
    }
    // Chained, a hash of two pieces is the hash of the whole.
    EXPECT_EQ(TextHash(u"T0.name", true, TextHash(u"1", true)), TextHash(u"1t0.NAME", true));
    EXPECT_EQ(TextHash(u"Äb", true, TextHash(u"aB", true)), TextHash(u"ABäB", true));
    EXPECT_NE(TextHash(u"Name", false), TextHash(u"name", false));
}
