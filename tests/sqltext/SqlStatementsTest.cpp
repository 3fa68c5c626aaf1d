// Texts judged under every reading a database applies: one query that only
// reads passes, anything that any database would read as more is refused.
#include "sqltext/SqlStatements.h"
#include "QtPrinters.h"
#include "sqltext/SqlDialect.h"

#include <gtest/gtest.h>

using namespace quillary;

namespace {

// A text read under some reading already is judged as one never read.
void ExpectSameWhenReadAlready(const QString& text, std::span<const TSqlReading> readings) {
    for (const TSqlReading read : kSqlReadings) {
        QList<TSqlStatement> statements;
        SqlWords(text, read, &statements);
        EXPECT_EQ(SingleSelectFault(text, readings, read, statements),
                  SingleSelectFault(text, readings))
            << text.toStdString() << " read as " << int(read);
    }
}

} // namespace

TEST(SingleSelect, PassesOneQueryThatOnlyReads) {
    const char* const texts[] = {
        "select * from t",
        "  -- a note\n/* and one more */ SELECT a FROM t;  ",
        "select 1;;\n-- done",
        "(select a from t) union (select b from u)",
        "with x as (select 1 a) select a from x",
        "with recursive r(n) as (select 1 union all select n + 1 from r where n < 3) select n from "
        "r",
        "with x as (select 1 a), y as (select 2 b) (select a from x) union (select b from y)",
        "select 'a;b', \"c;d\" from t",
        "select 'it''s' from t -- ; drop table v",
        "select a from t where b = 'x' /* ; */",
    };
    for (const char* text : texts) {
        EXPECT_EQ(SingleSelectFault(QString::fromUtf8(text)), QString()) << text;
        ExpectSameWhenReadAlready(QString::fromUtf8(text), kSqlReadings);
    }

    // Quotes only some databases read pass where the database is known.
    const struct {
        TSqlDialect Dialect;
        const char* Text;
    } known[] = {
        {TSqlDialect(dsSqlServer), "select [e;f] from [a]]; b]"},
        {TSqlDialect::MySql(), "select `g;h`, \"x;y\" from t"},
        {TSqlDialect::Sqlite(), "select [e;f], `g;h` from t"},
        {TSqlDialect::Postgres(), "select $$;$$, E'\\';' from t"},
    };
    for (const auto& k : known) {
        const QString text = QString::fromUtf8(k.Text);
        EXPECT_EQ(SingleSelectFault(text, k.Dialect.Readings()), QString()) << k.Text;
        EXPECT_NE(SingleSelectFault(text), QString()) << k.Text << " passes every reading";
        ExpectSameWhenReadAlready(text, k.Dialect.Readings());
    }
}

TEST(SingleSelect, RefusesWhatAnyDatabaseReadsAsMore) {
    const struct {
        const char* Text;
        const char* Says; // part of the message
    } cases[] = {
        {"", "没有可以运行"},
        {"-- only a note", "没有可以运行"},
        {"select 1; drop table v", "2条语句"},
        {"select 1; drop table v;", "2条语句"},
        {"delete from v", "“DELETE”开头"},
        {"drop table v", "“DROP”开头"},
        {"pragma writable_schema = 1", "“PRAGMA”开头"},
        {"select * into v2 from v", "“INTO”"},
        {"with d as (delete from v returning *) select * from d", "“DELETE”"},
        {"with x as (select 1) delete from v", "“DELETE”开头"},
        {"with x as (select 1) (delete from v)", "“DELETE”开头"},
        // MySQL ends the string at \' no more; SQLite and PostgreSQL do.
        {"select 'a\\'; drop table v; -- '", "2条语句"},
        // PostgreSQL's E'' strings escape with a backslash.
        {"select E'\\''; drop table v; -- '", "2条语句"},
        // A dollar quote hides a quote from PostgreSQL.
        {"select $$'$$; drop table v; -- '", "2条语句"},
        // # is a comment in MySQL; "--" without a blank is not.
        {"select 1 #'\n; drop table v; -- '", "2条语句"},
        {"select 1 --x; drop table v", "2条语句"},
        // MySQL runs the code inside /*! */.
        {"select 1 /*!; drop table v */", "2条语句"},
        // Only PostgreSQL reads $$;$$ as a string: the others see two.
        {"select $$;$$ from t", "2条语句"},
        // Oracle's q'[...]' strings.
        {"select q'[';]' from dual; drop table v -- '", "2条语句"},
    };
    for (const auto& c : cases) {
        const QString fault = SingleSelectFault(QString::fromUtf8(c.Text));
        EXPECT_TRUE(fault.contains(QString::fromUtf8(c.Says))) << c.Text << " -> "
                                                               << fault.toStdString();
        ExpectSameWhenReadAlready(QString::fromUtf8(c.Text), kSqlReadings);
    }
}

TEST(SweepingStatements, FindsEveryStatementThatSweepsDataAwayUnderAnyReading) {
    const struct {
        const char* Text;
        const char* Found; // "KIND" per statement asked about, joined by " "
    } cases[] = {
        {"select 1", ""},
        {"delete from t where id = 1; update t set a = 1 where b = 2", ""},
        {"delete from t", "DELETE"},
        {"update t set a = (select max(x) from u where u.k = 1)", "UPDATE"},
        {"drop table t; truncate table u; alter table w add c int", "DROP TRUNCATE ALTER"},
        {"insert into t values (1); Delete From t", "DELETE"},
        {"with x as (select 1) delete from t", "DELETE"},
        {"/* drop table t */ select 1 -- truncate t", ""},
        // A reading that ends the string early finds the DROP.
        {"select 'a\\'; drop table t; --'", "DROP"},
    };
    for (const auto& c : cases) {
        QStringList kinds;
        for (const TSweepingStatement& s : SweepingStatements(QString::fromUtf8(c.Text)))
            kinds << s.Kind;
        EXPECT_EQ(kinds.join(QLatin1Char(' ')), QString::fromUtf8(c.Found)) << c.Text;
    }
    const QList<TSweepingStatement> found = SweepingStatements(QStringLiteral("delete from t"));
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(SweepingQuestion(found.first()),
              QStringLiteral("确定执行没有WHERE条件的DELETE语句？它会删除表中的全部记录：\n\n"
                             "delete from t"));
}

// MySQL's code comments: the version after "/*!" (or MariaDB's "/*M!") is
// no token, nor is the closing "*/"; a statement keeps both markers.
TEST(CodeComments, ReadAsTheServerReadsThem) {
    const QString text = QStringLiteral(
        "select /*!40000 distinct */ a from t /*M!100100 where k > 2 */; select /*!b*/ from u");
    QStringList tokens;
    for (const TSqlWord& w : SqlWords(text, TSqlReading::MySql))
        tokens << text.mid(w.Start, w.End - w.Start);
    EXPECT_EQ(tokens.join(u' '),
              "select distinct a from t where k > 2 ; select b from u");
    const QList<TSqlStatement> statements = SplitStatements(text, TSqlReading::MySql);
    ASSERT_EQ(statements.size(), 2);
    EXPECT_EQ(text.mid(statements[0].Start, statements[0].End - statements[0].Start),
              "select /*!40000 distinct */ a from t /*M!100100 where k > 2 */");
    EXPECT_EQ(text.mid(statements[1].Start, statements[1].End - statements[1].Start),
              "select /*!b*/ from u");
    // Elsewhere they are comments.
    EXPECT_EQ(SqlWords(text, TSqlReading::Standard).size(), 8);
}

// Long lines broken for a text view: every reading still reads the same
// tokens, and a break only ever takes the place of a blank.
TEST(LongLines, BreakOnlyAtBlanksEveryReadingSeesBetweenTokens) {
    const auto repeated = [](const char* piece, int times) {
        QString text;
        for (int i = 0; i < times; ++i)
            text += QString::fromUtf8(piece).arg(i);
        return text;
    };
    const QString conditions = repeated("a%1 = 'x y %1' and ", 40);
    const struct {
        const char* Why;
        QString Text;
        bool Broken; // some line was broken
    } cases[] = {
        {"short lines stay", QStringLiteral("select a\r\nfrom t where b = 'c d'"), false},
        {"a long line of conditions", QStringLiteral("select a from t where ") + conditions + "1 = 1",
         true},
        {"strings that some database joins across a line break",
         repeated("'s%1'   ", 80), false},
        {"a comment runs to the end of the line",
         QStringLiteral("1 -- ") + repeated("w%1 ", 80), false},
        {"MySQL's comment is one to every reading",
         QStringLiteral("1 # ") + repeated("w%1 ", 80), false},
        {"a token longer than the line", QLatin1Char('\'') + QString(500, u'z') + "' ", false},
        {"quoted names and brackets keep their blanks",
         QStringLiteral("select ") + repeated("\"n %1\", [m %1], `k %1`, ", 20) + "1", true},
    };
    constexpr qsizetype kLongest = 100, kWidth = 40;
    for (const auto& c : cases) {
        const QString broken = WithLongLinesBroken(c.Text, kLongest, kWidth);
        ASSERT_EQ(broken.size(), c.Text.size()) << c.Why;
        bool changed = false;
        for (qsizetype i = 0; i < broken.size(); ++i) {
            if (broken[i] == c.Text[i]) continue;
            changed = true;
            EXPECT_EQ(broken[i], u'\n') << c.Why << " at " << i;
            EXPECT_TRUE(c.Text[i] == u' ' || c.Text[i] == u'\t') << c.Why << " at " << i;
        }
        EXPECT_EQ(changed, c.Broken) << c.Why;
        for (const TSqlReading reading : kSqlReadings) {
            const QList<TSqlWord> before = SqlWords(c.Text, reading), after = SqlWords(broken, reading);
            ASSERT_EQ(after.size(), before.size()) << c.Why;
            for (qsizetype k = 0; k < before.size(); ++k)
                EXPECT_EQ(QStringView(broken).mid(after[k].Start, after[k].End - after[k].Start),
                          QStringView(c.Text).mid(before[k].Start, before[k].End - before[k].Start))
                    << c.Why;
        }
        if (c.Broken) {
            for (const QStringView line : QStringView(broken).split(u'\n'))
                EXPECT_LE(line.size(), kWidth) << c.Why;
        }
    }
}
