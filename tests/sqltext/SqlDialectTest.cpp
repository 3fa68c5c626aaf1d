// Names written by each dialect and read back: a name is always one name.
#include "sqltext/SqlDialect.h"
#include "sqltext/TextHash.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

using namespace quillary;

namespace {

// Names that break a statement when spliced, and ordinary ones.
const QStringList kHostileNames = {
    QStringLiteral("order"),     QStringLiteral("a b"),       QStringLiteral("\"q\""),
    QStringLiteral("x\"y"),      QStringLiteral("[br]"),      QStringLiteral("a]]b"),
    QStringLiteral("a.b"),       QStringLiteral("semi;colon"), QStringLiteral("`b`"),
    QStringLiteral("中文名"),    QStringLiteral("User"),      QStringLiteral("1st"),
    QStringLiteral("from t; drop table v; select id"),        QStringLiteral("it's"),
    QStringLiteral("-- c"),      QStringLiteral("/* c */"),   QStringLiteral("plain_name")};

const TSqlDialect kDialects[] = {TSqlDialect::Sqlite(), TSqlDialect::Postgres(),
                                 TSqlDialect::MySql(), TSqlDialect(dsSqlServer),
                                 TSqlDialect(dsOracle), TSqlDialect(dsNone)};

} // namespace

TEST(SqlDialect, EveryNameIsWrittenAsOneNameAndReadBackAsItself) {
    for (const TSqlDialect& d : kDialects)
        for (const QString& name : kHostileNames) {
            const QString written = d.Name(name);
            QStringList parts;
            ASSERT_TRUE(d.ReadName(written, parts))
                << written.toStdString() << " kind " << d.Kind();
            EXPECT_EQ(parts, QStringList{name}) << written.toStdString();
            // Reading a document's name twice gives the same text.
            EXPECT_EQ(d.NameFromText(written), written) << written.toStdString();
            const QString qualified = d.QualifiedName({name, name});
            ASSERT_TRUE(d.ReadName(qualified, parts)) << qualified.toStdString();
            EXPECT_EQ(parts, QStringList({name, name}));
        }
}

TEST(SqlDialect, PlainNamesStayBareAndTheRestIsQuotedInTheDialectsStyle) {
    const struct {
        TSqlDialect Dialect;
        const char* Name;
        const char* Written;
    } cases[] = {
        {TSqlDialect::Sqlite(), "Orders", "Orders"},
        {TSqlDialect::Sqlite(), "产品销售汇总", "产品销售汇总"},
        {TSqlDialect::Sqlite(), "key", "\"key\""}, // a key word of SQLite
        {TSqlDialect::Sqlite(), "current_date", "\"current_date\""},
        {TSqlDialect::Sqlite(), "date", "date"},
        {TSqlDialect::Postgres(), "Orders", "\"Orders\""}, // would fold to orders
        {TSqlDialect::Postgres(), "user", "\"user\""},     // would be current_user
        {TSqlDialect::Postgres(), "key", "key"},
        {TSqlDialect::MySql(), "a`b", "`a``b`"},
        {TSqlDialect(dsSqlServer), "a]b", "[a]]b]"},
        {TSqlDialect(dsSqlServer), "top", "[top]"},
        {TSqlDialect(dsAccess), "order items", "[order items]"},
        {TSqlDialect(dsOracle), "EMP", "EMP"},
        {TSqlDialect(dsOracle), "emp", "\"emp\""},
        {TSqlDialect(dsNone), "a\"b", "\"a\"\"b\""},
        {TSqlDialect(dsNone), "name", "name"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.Dialect.Name(QString::fromUtf8(c.Name)), QString::fromUtf8(c.Written))
            << c.Name;
}

TEST(SqlDialect, ReadsOnlyTheQuotesItsDatabaseReads) {
    const struct {
        TSqlDialect Dialect;
        const char* Text;
        const char* Parts; // joined by "|"; nullptr: not a name
    } cases[] = {
        {TSqlDialect::Sqlite(), "[y]", "y"},
        {TSqlDialect::Sqlite(), "`y`", "y"},
        {TSqlDialect::Postgres(), "[y]", nullptr}, // PostgreSQL has no bracket quotes
        {TSqlDialect::Postgres(), "Public.Users", "public|users"},
        {TSqlDialect::Postgres(), "\"Users\"", "Users"},
        {TSqlDialect(dsOracle), "scott.emp", "SCOTT|EMP"},
        {TSqlDialect(dsSqlServer), "dbo.[a b]", "dbo|a b"},
        {TSqlDialect(dsSqlServer), "`y`", nullptr},
        {TSqlDialect::Sqlite(), " t . \"a\"\"b\" ", "t|a\"b"},
        {TSqlDialect::Sqlite(), "t; drop table v", nullptr},
        {TSqlDialect::Sqlite(), "\"a\" b", nullptr},
        {TSqlDialect::Sqlite(), "\"\"", nullptr},
        {TSqlDialect::Sqlite(), "a.", nullptr},
        {TSqlDialect::Sqlite(), "\"open", nullptr},
    };
    for (const auto& c : cases) {
        QStringList parts;
        const bool read = c.Dialect.ReadName(QString::fromUtf8(c.Text), parts);
        EXPECT_EQ(read, c.Parts != nullptr) << c.Text;
        if (read && c.Parts) {
            EXPECT_EQ(parts.join(QLatin1Char('|')), QString::fromUtf8(c.Parts)) << c.Text;
        }
    }
    // What does not read as a name is one quoted name as a whole.
    EXPECT_EQ(TSqlDialect::Postgres().NameFromText(QStringLiteral("[y]")),
              QStringLiteral("\"[y]\""));
    EXPECT_EQ(TSqlDialect::Sqlite().NameFromText(QStringLiteral("t; drop table v")),
              QStringLiteral("\"t; drop table v\""));
}

TEST(SqlDialect, JoinsSetOperatorsAndViewsFollowTheDatabaseNotOnlyTheKind) {
    const QStringList all = {"union", "union all", "minus", "intersect"};
    const QStringList unionsOnly = {"union", "union all"};
    const struct {
        TSqlDialect Dialect;
        bool FullJoin;
        QStringList SetOperators;
        TSqlCatalogue Catalogue;
    } cases[] = {
        {TSqlDialect::MySql(), false, all, TSqlCatalogue::InformationSchema},
        {TSqlDialect::MySql(false), false, unionsOnly, TSqlCatalogue::InformationSchema},
        // A MySQL driver behind a source of a kind that would write one.
        {TSqlDialect::MySql().WithKind(dsNone), false, all, TSqlCatalogue::InformationSchema},
        {TSqlDialect::Postgres(), false, all, TSqlCatalogue::None},
        {TSqlDialect(dsSqlServer), true, {"union", "union all", "minus", "intersect"},
         TSqlCatalogue::SqlServer},
        {TSqlDialect(dsOracle), false, {"union", "union all", "minus", "intersect"},
         TSqlCatalogue::Oracle},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.Dialect.Kind());
        EXPECT_EQ(c.Dialect.WritesFullJoin(), c.FullJoin);
        EXPECT_EQ(c.Dialect.SetOperators(), c.SetOperators);
        EXPECT_EQ(c.Dialect.Catalogue(), c.Catalogue);
    }
}

TEST(IsValidByName, AQuotedAliasMustBeOneWholeQuotedName) {
    const struct {
        const char* Alias;
        int Kind;
        bool Valid;
    } cases[] = {
        {"\"my alias\"", dsOther, true},
        {"\"a\"\"b\"", dsOther, true},
        {"\"a\"; drop table v; --\"", dsOther, false},
        {"\"", dsOther, false},
        {"\"\"", dsOther, false},
        {"[a b]", dsSqlServer, true},
        {"[a]; drop table v; --[x]", dsSqlServer, false},
        {"[a b]", dsOracle, false},
        {"T1", dsOther, true},
        {"1T", dsOther, false},
        {"as", dsOther, true},
        {"Where", dsOther, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsValidByName(QString::fromUtf8(c.Alias), c.Kind), c.Valid) << c.Alias;
}

TEST(SqlDialect, NameHashHashesTheNameAQuotedTokenStandsFor) {
    QStringList tokens = {QStringLiteral("\"ab"), QStringLiteral("\"\""), QStringLiteral("\"a\"b\""),
                          QStringLiteral("[a]]"), QStringLiteral("[a]]]"), QStringLiteral("`x``y`"),
                          QStringLiteral("\"\"\"\""), QStringLiteral("plain"), QStringLiteral("Ä\"")};
    for (const TSqlDialect& d : kDialects)
        for (const QString& name : kHostileNames)
            tokens << d.Name(name) << d.Name(name.toUpper());
    for (const QString& token : tokens) {
        QString name;
        if (!ReadQuotedName(token, name)) name = token;
        EXPECT_EQ(NameHash(token), TextHash(name, true)) << token.toStdString();
    }
}
