// Machine-made statements: very many conditions, parts and joins, and deep
// nesting. These must be analysed without a call depth that grows with the
// input (this suite also runs under AddressSanitizer) and give the same
// results as the step-by-step reading, checked against the literal model
// where its recursion allows.
#include "SqlTextTestUtil.h"
#include "model/LiteralModel.h"
#include "sqltext/Common.h"

#include <gtest/gtest.h>

using namespace quillary;
using quillary::test::Group;

namespace {

QString Conditions(int count) {
    QString s;
    for (int i = 0; i < count; ++i) {
        if (i) s += i % 3 ? QStringLiteral(" or ") : QStringLiteral(" and ");
        s += QStringLiteral("t%1.c%1 = '值%1'").arg(i);
    }
    return s;
}

QString UnionOf(int parts) {
    QString s;
    for (int i = 0; i < parts; ++i) {
        if (i) s += i % 2 ? QStringLiteral(" union all ") : QStringLiteral(" union ");
        s += QStringLiteral("(select a%1 from t%1 where b = 'x union y')").arg(i);
    }
    return s;
}

QString JoinChain(int joins) {
    QString s = QStringLiteral("t0");
    for (int i = 1; i <= joins; ++i)
        s += QStringLiteral(" left join t%1 on t%1.id = t%2.id and t%1.k = %1").arg(i).arg(i - 1);
    return s;
}

} // namespace

TEST(LongText, ClausesOfVeryManyItems) {
    // A hundred thousand conditions, fifty thousand groups inside one group,
    // twenty thousand union parts and a thousand joins.
    const int count = 100000, groups = 50000, parts = 20000, joins = 1000;
    QStringList rows;
    AnalysisWhereClause(Conditions(count), rows, QString(), QString(), QString());
    ASSERT_EQ(rows.size(), 6 * count);
    EXPECT_EQ(Group(rows, 0, 6), QStringList({"", "t0.c0 ", "=", " '值0'", "", "or"}));
    EXPECT_EQ(Group(rows, 2, 6), QStringList({"", "t2.c2 ", "=", " '值2'", "", "and"}));
    EXPECT_EQ(Group(rows, count - 1, 6),
              QStringList({"", "t99999.c99999 ", "=", " '值99999'", "", ""}));

    QString cond;
    for (int i = 0; i < groups; ++i)
        cond += (i ? QStringLiteral(" or (c = %1)") : QStringLiteral("(c = %1)")).arg(i);
    rows.clear();
    AnalysisWhereClause("(" + cond + ")", rows, QString(), QString(), QString());
    ASSERT_EQ(rows.size(), 6 * groups);
    EXPECT_EQ(Group(rows, 0, 6), QStringList({"((", "c ", "=", " 0", ")", "or"}));
    EXPECT_EQ(Group(rows, groups - 1, 6), QStringList({"(", "c ", "=", " 49999", "))", ""}));

    QStringList list;
    AnalysisUnionClause(UnionOf(parts), list, QString(), QString(), QString());
    ASSERT_EQ(list.size(), 4 * parts);
    EXPECT_EQ(Group(list, 0, 4),
              QStringList({"(", "select a0 from t0 where b = 'x union y'", ")", "union all"}));
    EXPECT_EQ(Group(list, parts - 1, 4),
              QStringList({"(", "select a19999 from t19999 where b = 'x union y'", ")", ""}));

    QStringList joinList, tables;
    AnalysisFromClause(JoinChain(joins), joinList, tables);
    ASSERT_EQ(tables.size(), joins + 1);
    ASSERT_EQ(joinList.size(), 2 * joins);
    EXPECT_EQ(tables.first(), QStringLiteral("t0"));
    EXPECT_EQ(tables.last(), QStringLiteral("t1000"));
    EXPECT_EQ(joinList.first(), QStringLiteral("2t1.id = t0.id"));
    EXPECT_EQ(joinList.last(), QStringLiteral("2t1000.k = 1000"));
}

TEST(LongText, DeepNestingNeedsNoDeepCalls) {
    const int depth = 200000;
    QString left, right;
    const QString nested = QString(depth, u'(') + QStringLiteral(" a = 1 ") + QString(depth, u')');
    EXPECT_EQ(TrimSQLElement2(nested, left, right), QStringLiteral("a = 1"));
    EXPECT_EQ(left.size(), depth);

    QStringList rows;
    AnalysisWhereClause(nested, rows, QString(), QString(), QString());
    ASSERT_EQ(rows.size(), 6);
    EXPECT_EQ(rows[0].size(), depth);
    EXPECT_EQ(rows[4].size(), depth);

    QString from = QStringLiteral("t0");
    for (int i = 1; i <= 2000; ++i)
        from = QStringLiteral("(%1 join t%2 on c%2)").arg(from).arg(i);
    QStringList joinList, tables;
    AnalysisFromClause(from, joinList, tables);
    ASSERT_EQ(tables.size(), 2001);
    EXPECT_EQ(tables.first(), QStringLiteral("t0"));
    EXPECT_EQ(joinList.first(), QStringLiteral("5c2000")) << "the outermost join closes first";

    int start = 0, end = 0;
    const QString sub = QString(depth, u'(') + QStringLiteral("select 1") + QString(depth, u')');
    EXPECT_TRUE(FindSQLInExp(sub, 1, start, end));
    EXPECT_EQ(start, depth + 1);
}

TEST(LongText, LeftNestedGroupsAreNotWalkedAgainAtEveryLevel) {
    // ((((c0 = 0 or c1 = 1) or c2 = 2) ...) as some generators write it;
    // every level's walk steps over the group it holds.
    const int depth = 30000;
    const int parts = 3000;
    QString where = QString(depth - 1, u'(') + QStringLiteral("c0 = 0");
    for (int i = 1; i < depth; ++i)
        where += QStringLiteral(" or c%1 = %1)").arg(i);
    QString sql = QString(parts - 1, u'(') + QStringLiteral("select 0");
    for (int i = 1; i < parts; ++i)
        sql += QStringLiteral(" union select %1)").arg(i);
    QStringList rows;
    AnalysisWhereClause(where, rows, QString(), QString(), QString());
    ASSERT_EQ(rows.size(), 6 * depth);
    EXPECT_EQ(Group(rows, 0, 6),
              QStringList({QString(depth - 1, u'('), "c0 ", "=", " 0", "", "or"}));
    EXPECT_EQ(Group(rows, depth - 1, 6), QStringList({"", "c29999 ", "=", " 29999", ")", ""}));

    QStringList list;
    AnalysisUnionClause(sql, list, QString(), QString(), QString());
    ASSERT_EQ(list.size(), 4 * parts);
    EXPECT_EQ(Group(list, 0, 4), QStringList({QString(parts - 1, u'('), "select 0", "", "union"}));
    EXPECT_EQ(Group(list, parts - 1, 4), QStringList({"", "select 2999", ")", ""}));
}

TEST(LongText, MegabyteTextsForTheScanners) {
    const QString chunk = QStringLiteral("f(a,  'x -- y')   --c\r\n[a  b]  ");
    const qsizetype chunks = (1 << 20) / chunk.size() + 1;
    const QString text = chunk.repeated(chunks);
    const QString trimmed = TrimExp(text);
    // Every chunk ends in blanks and begins with a letter, so the result is
    // the chunk's own result repeated.
    EXPECT_EQ(TrimExp(chunk), literal::TrimExp(chunk));
    EXPECT_EQ(trimmed, TrimExp(chunk).repeated(chunks));
    EXPECT_FALSE(trimmed.contains(QStringLiteral("--c")));
    QString found;
    int keyPos = 0;
    const QStringList keys{QStringLiteral("group by"), QStringLiteral("order by")};
    EXPECT_EQ(FindExpEnd(text, QChar(), &keys, found, keyPos, 1), text.size());
    const QString ordered = text + QStringLiteral("order by x");
    QString expectedFound;
    int expectedKeyPos = 0;
    EXPECT_EQ(FindExpEnd(ordered, QChar(), &keys, found, keyPos, 1),
              literal::FindExpEnd(ordered, QChar(), &keys, expectedFound, expectedKeyPos, 1));
    EXPECT_EQ(found, QStringLiteral("order by"));
    EXPECT_EQ(keyPos, text.size() + 1);
    const QString blanks = QString(1 << 20, u' ') + QStringLiteral("x");
    EXPECT_EQ(FindExpEnd(blanks, QChar(), &keys, found, keyPos, 1), blanks.size());
}

TEST(LongText, AgreesWithTheLiteralModelAtModerateSizes) {
    const QString cond = Conditions(400);
    QStringList rows, expected;
    AnalysisWhereClause(cond, rows, "(", ")", "and");
    literal::AnalysisWhereClause(cond, expected, "(", ")", "and");
    EXPECT_EQ(rows, expected);

    const QString sql = UnionOf(300);
    QStringList parts, expectedParts;
    AnalysisUnionClause(sql, parts, QString(), QString(), QString());
    literal::AnalysisUnionClause(sql, expectedParts, QString(), QString(), QString());
    EXPECT_EQ(parts, expectedParts);

    const QString from = JoinChain(120);
    ASSERT_LT(from.size(), 9999);
    QStringList j1, t1, j2, t2;
    AnalysisFromClause(from, j1, t1);
    literal::AnalysisFromClause(from, j2, t2);
    EXPECT_EQ(t1, t2);
    EXPECT_EQ(j1, j2);

    QString leftNested = QStringLiteral("c0 = 0");
    for (int i = 1; i < 300; ++i)
        leftNested = QStringLiteral("(%1 or c%2 = %2)").arg(leftNested).arg(i);
    QStringList nestedRows, expectedNested;
    AnalysisWhereClause(leftNested, nestedRows, QString(), QString(), QString());
    literal::AnalysisWhereClause(leftNested, expectedNested, QString(), QString(), QString());
    EXPECT_EQ(nestedRows, expectedNested);
    EXPECT_EQ(nestedRows[0], QString(299, u'('));
}

// Texts long enough that the scanner remembers where groups close: blocks of
// bracketed pairs, some with a ")" inside a double-quoted name or a
// bracketed one at the group's own level (where the two walks read a group
// differently) or inside a string, must read as the literal model reads them.
TEST(LongText, RememberedGroupClosesAgreeWithTheLiteralModel) {
    const QStringList pairs = {
        QStringLiteral("(a.x like '%)%' or b = 1)"),
        QStringLiteral("(\"c)d\" = 2 or e <> 'f')"),
        QStringLiteral("([g)h] > 3 or (i = 4 and j like 'k('))"),
        QStringLiteral("((l = 5) or (m = 6 or \"n(\" = 7))"),
    };
    QString where;
    for (int block = 0; block < 12; ++block) {
        where += block ? QStringLiteral(" and (") : QStringLiteral("(");
        for (int p = 0; p < 10; ++p)
            where += (p ? QStringLiteral(" and ") : QString()) + pairs[(block + p) % pairs.size()];
        where += u')';
    }
    ASSERT_GT(where.size(), 4096);
    QStringList rows, expected;
    AnalysisWhereClause(where, rows, QString(), QString(), QString());
    literal::AnalysisWhereClause(where, expected, QString(), QString(), QString());
    EXPECT_EQ(rows, expected);
}
