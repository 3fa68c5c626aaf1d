#include "sqltext/SqlLexer.h"
#include "sqltext/SqlKeywords.h"

#include <QHash>
#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace quillary;
using K = TSqlTokenKind;

namespace {

// The tokens as "kind:text" words, for readable comparisons.
QStringList Show(QStringView text, const QList<TSqlToken>& tokens) {
    static const char* names[] = {"kw", "str", "name", "num", "rem", "(", ")"};
    QStringList out;
    for (const TSqlToken& t : tokens)
        out << QString::fromLatin1(names[int(t.Kind)]) + QLatin1Char(':') +
                   text.mid(t.Start, t.Length).toString();
    return out;
}

// The partner of every parenthesis of the code (-1: none) by counting
// from the start of the text.
QHash<qsizetype, qsizetype> SlowPartners(const QString& text) {
    QList<qsizetype> open;
    QHash<qsizetype, qsizetype> partner;
    for (const TSqlToken& t : SqlTokens(text)) {
        if (t.Kind == K::OpenParen) {
            open.append(t.Start);
            partner[t.Start] = -1;
        } else if (t.Kind == K::CloseParen) {
            partner[t.Start] = open.isEmpty() ? -1 : open.back();
            if (!open.isEmpty()) partner[open.takeLast()] = t.Start;
        }
    }
    return partner;
}

// The kind of token at each position of [from, to) (-1: none): strings and
// comments may come in pieces cut at points, which colour the same.
QList<int> KindMap(const QList<TSqlToken>& tokens, qsizetype from, qsizetype to) {
    QList<int> kinds(to - from, -1);
    for (const TSqlToken& t : tokens)
        for (qsizetype i = qMax(t.Start, from); i < qMin(t.Start + t.Length, to); ++i)
            kinds[i - from] = int(t.Kind);
    return kinds;
}

} // namespace

TEST(SqlLexer, KindsOfTokens) {
    struct Case {
        const char* text;
        QStringList tokens;
    };
    const Case cases[] = {
        {"SELECT a, Count(*) from T where x>=1.5e3",
         {"kw:SELECT", "kw:Count", "(:(", "):)", "kw:from", "kw:where", "num:1.5e3"}},
        {"'it''s -- no comment' -- yes\nor", {"str:'it''s -- no comment'", "rem:-- yes", "kw:or"}},
        {"\"order\" [group by] `x``y` \"a\"\"b\"",
         {"name:\"order\"", "name:[group by]", "name:`x``y`", "name:\"a\"\"b\""}},
        {"/* a\n(b) */ (0x1F t1 1st .5)", {"rem:/* a\n(b) */", "(:(", "num:0x1F", "num:.5", "):)"}},
        {"'unclosed ( string", {"str:'unclosed ( string"}},
        {"产品名称 as 别名 union all", {"kw:as", "kw:union", "kw:all"}},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        EXPECT_EQ(Show(text, SqlTokens(text)), c.tokens) << c.text;
    }
    // Words of the designer's keyword tables are key words too.
    for (const char* word : {"INNER", "outer", "like", "minus", "intersect", "having", "desc"})
        EXPECT_TRUE(IsSqlKeyword(QString::fromLatin1(word))) << word;
    EXPECT_FALSE(IsSqlKeyword(u"selects"));
    EXPECT_FALSE(IsSqlKeyword(u""));
}

TEST(SqlLexer, ReadingResumesInsideAStringOrComment) {
    const QString text = QStringLiteral("b' or x */ and (y");
    EXPECT_EQ(Show(text, SqlTokens(text, 0, -1, TSqlLexState::SingleQuoted)),
              QStringList({"str:b'", "kw:or", "kw:and", "(:("}));
    EXPECT_EQ(Show(text, SqlTokens(text, 0, -1, TSqlLexState::BlockComment)),
              QStringList({"rem:b' or x */", "kw:and", "(:("}));
}

TEST(SqlLexIndex, EditsGiveTheTokensAndPartnersOfReadingFromScratch) {
    // Many small random edits over a text long enough for many points:
    // quotes, comment marks and parentheses that open and close stretches.
    const QStringList pieces = {QStringLiteral("select a, (b + c) from t where x = 'it''s' "),
                                QStringLiteral("and (y in (select z from u)) -- note (\n"),
                                QStringLiteral("/* block ( */ or [n m] = \"q\" "),
                                QStringLiteral("'"),
                                QStringLiteral("("),
                                QStringLiteral(")"),
                                QStringLiteral("--"),
                                QStringLiteral("/*"),
                                QStringLiteral("*/"),
                                QStringLiteral("\n"),
                                QStringLiteral(" ")};
    QRandomGenerator random(20240611);
    QString text;
    while (text.size() < 6000)
        text += pieces[random.bounded(3)];
    TSqlLexIndex index;
    index.SetText(text);
    for (int round = 0; round < 300; ++round) {
        const qsizetype at = random.bounded(int(text.size() + 1));
        const qsizetype removed =
            random.bounded(4) == 0 ? random.bounded(int(qMin<qsizetype>(40, text.size() - at + 1)))
                                   : 0;
        const QString inserted = pieces[random.bounded(int(pieces.size()))].left(
            random.bounded(2) ? 1000 : 1 + random.bounded(3));
        text.replace(at, removed, inserted);
        index.Replace(at, removed, inserted);
        ASSERT_EQ(index.Text(), text);
        if (round % 10 != 0) {
            // Only the part on screen is asked for between checks.
            const qsizetype from = qMax<qsizetype>(0, at - 300);
            index.Tokens(from, from + 600);
            continue;
        }
        const qsizetype from = random.bounded(int(text.size()));
        const qsizetype to = qMin(text.size(), from + random.bounded(2000));
        ASSERT_EQ(KindMap(index.Tokens(from, to), from, to), KindMap(SqlTokens(text), from, to))
            << "round " << round;
        const QHash<qsizetype, qsizetype> partners = SlowPartners(text);
        for (qsizetype i = 0; i < text.size(); i += 3)
            ASSERT_EQ(index.MatchingParen(i), partners.value(i, -2))
                << "round " << round << " at " << i;
        for (qsizetype i = 0; i <= text.size(); ++i)
            if (i == 0 || text[i - 1] == QLatin1Char('\n')) {
                const QList<TSqlToken> before = SqlTokens(text, 0, i);
                const bool open =
                    !before.isEmpty() && before.back().Start + before.back().Length > i;
                ASSERT_EQ(index.StateAtLineStart(i) != TSqlLexState::Plain, open)
                    << "round " << round << " line at " << i;
            }
    }
}

TEST(SqlLexIndex, AnEditReadsAboutAStretchNotTheText) {
    QString text;
    while (text.size() < 1000000)
        text += QStringLiteral("select a.col1, 'text ''q'' x', 123.45 from t where (x = 1) and ");
    TSqlLexIndex index;
    index.SetText(text);
    index.Tokens(500000, 504000);
    index.MatchingParen(text.indexOf(QLatin1Char('('), 500000));
    const qsizetype before = index.CharactersRead();
    index.Replace(502000, 0, u"x");
    index.Tokens(500000, 504000);
    EXPECT_LT(index.CharactersRead() - before, 20000);
    // A quote that opens a string to the end of the text changes every
    // state after it; reading them all once is the price.
    index.Replace(502000, 0, u"'");
    EXPECT_EQ(index.MatchingParen(text.indexOf(QLatin1Char('('), 503000)), -2);
}
