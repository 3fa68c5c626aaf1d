// Thousands of generated SQL-like texts (keywords, quotes, doubled quotes,
// brackets, nested parentheses, comments, mixed case, line feeds and the
// other blanks, Chinese names) read by the unit and by the literal model of
// the step-by-step definitions: both must agree on every result.
#include "SqlTextTestUtil.h"
#include "model/LiteralModel.h"
#include "sqltext/Common.h"
#include "sqltext/ScanCore.h"

#include <gtest/gtest.h>

#include <random>

using namespace quillary;

namespace {

const char16_t* const kTokens[] = {u"select",    u"SELECT",     u"from",
                                   u"where",     u"group by",   u"order by",
                                   u"having",    u"and",        u"AND",
                                   u"or",        u"not",        u"NOT",
                                   u"like",      u"not like",   u"in",
                                   u"not in",    u"is",         u"null",
                                   u"union",     u"union all",  u"UNION ALL",
                                   u"minus",     u"intersect",  u"join",
                                   u"left join", u"INNER JOIN", u"left outer join",
                                   u"full join", u"on",         u"ON",
                                   u"as",        u"end",        u"case",
                                   u"a",         u"b.c",        u"t1",
                                   u"x",         u"1",          u"名称",
                                   u"客户.地址", u"'s'",        u"'it''s'",
                                   u"''",        u"'",          u"\"q r\"",
                                   u"\"",        u"[a b]",      u"[",
                                   u"]",         u"(",          u")",
                                   u"(",         u")",          u"((",
                                   u"))",        u",",          u".",
                                   u" . ",       u"=",          u"=*",
                                   u"*=",        u"<>",         u"< >",
                                   u">=",        u"> =",        u"<=",
                                   u"!=",        u">",          u"<",
                                   u"*",         u"+",          u"-",
                                   u"--",        u"--note\r",   u"f(",
                                   u"(select",   u"max(a)"};
const char16_t* const kBlanks[] = {u" ",    u" ",  u" ",  u"  ", u"\t",
                                   u"\r\n", u"\n", u"\b", u"\r", u""};

class TextGenerator {
public:
    explicit TextGenerator(unsigned seed) : FRandom(seed) {}
    QString Next() {
        QString s;
        const int tokens = Pick(40) + 1;
        for (int i = 0; i < tokens; ++i) {
            s += QString::fromUtf16(kTokens[Pick(std::size(kTokens))]);
            s += QString::fromUtf16(kBlanks[Pick(std::size(kBlanks))]);
        }
        return s;
    }
    int Pick(size_t n) { return int(FRandom() % n); }

private:
    std::mt19937 FRandom;
};

void CompareScanners(const QString& s, int start) {
    EXPECT_EQ(LTrimSQLElement(s), literal::LTrim(s));
    EXPECT_EQ(RTrimSQLElement(s), literal::RTrim(s));
    QString l1, r1, l2, r2;
    EXPECT_EQ(TrimSQLElement2(s, l1, r1), literal::TrimSQLElement2(s, l2, r2));
    EXPECT_EQ(l1, l2);
    EXPECT_EQ(TrimAroundDot(s), literal::TrimAroundDot(s));
    EXPECT_EQ(TrimExp(s), literal::TrimExp(s));
    const QStringList lists[] = {{"from", "where"}, {"group by", " ", "order by"}, sLogical};
    for (const QChar endChar : {QChar(), QChar(u','), QChar(u'.'), QChar(u' ')}) {
        for (const QStringList& keys : lists) {
            QString f1, f2;
            int k1 = -1, k2 = -1;
            EXPECT_EQ(FindExpEnd(s, endChar, &keys, f1, k1, start),
                      literal::FindExpEnd(s, endChar, &keys, f2, k2, start));
            EXPECT_EQ(f1, f2);
            EXPECT_EQ(k1, k2);
        }
    }
    for (const QString& phrase : {QStringLiteral("not like"), QStringLiteral("select"),
                                  QStringLiteral("union all"), QStringLiteral("Or")}) {
        EXPECT_EQ(FindKeyWord(s, phrase, start), literal::FindKeyWord(s, phrase, start));
        int e1 = -1, e2 = -1;
        EXPECT_EQ(IsBeginWithPhrase(phrase, s, e1, start, false),
                  literal::IsBeginWithPhrase(phrase, s, e2, start, false));
        EXPECT_EQ(e1, e2);
    }
    int s1 = -1, e1 = -1, s2 = -1, e2 = -1;
    EXPECT_EQ(FindSQLInExp(s, start, s1, e1), literal::FindSQLInExp(s, start, s2, e2));
    EXPECT_EQ(s1, s2);
    EXPECT_EQ(e1, e2);
}

void CompareClauses(const QString& s, int start) {
    for (const QString& keyword : {QStringLiteral("select"), QStringLiteral("group by")}) {
        QStringList i1, i2;
        QString n1, n2;
        int p1 = -1, p2 = -1;
        const QStringList next{"from", "where", "order by"};
        EXPECT_EQ(AnalysisSQLClause(s, keyword, next, p1, n1, i1, start),
                  literal::AnalysisSQLClause(s, keyword, next, p2, n2, i2, start));
        EXPECT_EQ(i1, i2);
        EXPECT_EQ(n1, n2);
        EXPECT_EQ(p1, p2);
    }
    QStringList u1, u2;
    AnalysisUnionClause(s, u1, "<", ">", "next");
    literal::AnalysisUnionClause(s, u2, "<", ">", "next");
    EXPECT_EQ(u1, u2);
    QStringList w1, w2;
    AnalysisWhereClause(s, w1, "<", ">", "next");
    literal::AnalysisWhereClause(s, w2, "<", ">", "next");
    EXPECT_EQ(w1, w2);
    QStringList j1, t1, j2, t2;
    AnalysisFromClause(s, j1, t1);
    literal::AnalysisFromClause(s, j2, t2);
    EXPECT_EQ(t1, t2);
    EXPECT_EQ(j1, j2);
}

} // namespace

TEST(ModelComparison, ScannersAndClauseAnalysersAgreeOnGeneratedTexts) {
    TextGenerator scanned(20261205), analysed(4121);
    for (int round = 0; round < 1500 && !HasFailure(); ++round) {
        const QString s = scanned.Next(), t = analysed.Next();
        SCOPED_TRACE(s.toStdString() + " / " + t.toStdString());
        CompareScanners(s, scanned.Pick(s.size() + 3));
        CompareClauses(t, analysed.Pick(t.size() + 3));
    }
}

TEST(ModelComparison, ClauseAnalysersAgreeOnWellFormedStatements) {
    // Generated texts are mostly malformed; these are the shapes the
    // designer writes, with the pieces shuffled.
    TextGenerator generator(77);
    const QStringList conditions{
        "a = 1",           "(b <> 'x or y')", "c like 'a%'",
        "not d in (1, 2)", "e is null",       "[f g] >= 2",
        "名称 = '北京'",   "(h =* i)",        "exists (select 1 from t where t.a = b)",
        "k not like \"q\""};
    const QStringList tables{"t", "[order items] i", "客户 c", "(select a from u) s", "v x"};
    for (int round = 0; round < 400 && !HasFailure(); ++round) {
        QString where, from = tables[generator.Pick(tables.size())];
        const int n = generator.Pick(8) + 1;
        for (int i = 0; i < n; ++i) {
            if (i) where += generator.Pick(2) ? " and " : " OR\t";
            const bool group = generator.Pick(4) == 0;
            where += (group ? "(" : "") + conditions[generator.Pick(conditions.size())];
            if (group) where += " or " + conditions[generator.Pick(conditions.size())] + ")";
            from += " " + sOuterJoin[generator.Pick(sOuterJoin.size())] + " " +
                    tables[generator.Pick(tables.size())] + " on " +
                    conditions[generator.Pick(conditions.size())];
        }
        SCOPED_TRACE(where.toStdString() + " / " + from.toStdString());
        CompareClauses(where, 1);
        CompareClauses(from, 1);
        CompareClauses("select a from t where " + where + " union (select b from " + from + ")", 1);
    }
}

// Long texts are read with the help of what earlier walks found: a table
// of where every group closes, and the closes of the groups a quick walk
// passed (nested ones too). Here they answer even for short texts: every
// answer from the table, or quick walks that remember every close.
class TableAnswers : public ::testing::TestWithParam<scan::WalkAllowance> {
protected:
    void SetUp() override { scan::PlainWalkAllowance() = GetParam(); }
    void TearDown() override { scan::PlainWalkAllowance() = scan::WalkAllowance{}; }
};
INSTANTIATE_TEST_SUITE_P(Both, TableAnswers,
                         ::testing::Values(scan::WalkAllowance{0, 0, 0},
                                           scan::WalkAllowance{4, 4096, 0}));

TEST_P(TableAnswers, AgreeWithTheModelOnGeneratedTexts) {
    TextGenerator generator(99);
    for (int round = 0; round < 1500 && !HasFailure(); ++round) {
        const QString s = generator.Next();
        SCOPED_TRACE(s.toStdString());
        CompareClauses(s, 1);
        QString l1, r1, l2, r2;
        EXPECT_EQ(TrimSQLElement2(s, l1, r1), literal::TrimSQLElement2(s, l2, r2));
        EXPECT_EQ(l1, l2);
    }
}

// A group whose close a walk remembered and which is stripped later: a name
// in double quotes or brackets at its top level can hide a parenthesis or
// a quote from one kind of walk and not from the other; in deep nesting too.
TEST_P(TableAnswers, AgreeWithTheModelOnNamesHidingGroupCharacters) {
    const QStringList names{"\"a)\"", "\"(a\"", "\"it's\"",     "\"a b\"",
                            "[a)]",   "[a'b]",  "[a\"] \"b)\"", "\"x\"\"y\""};
    for (const QString& name : names) {
        for (const QString& s :
             {"(" + name + " = 1) and b = 2", "t join (" + name + " x) on t.a = x.b",
              "((" + name + " = 1) or (c = 2)) and (" + name + " like 'x')",
              "select a from (" + name + ") union (select b from u where (" + name + " = 1))",
              // Deeper than the walks keep closes for.
              QString(1100, u'(') + name + " = 1" + QString(1100, u')') + " or (" + name + ")"}) {
            SCOPED_TRACE(s.toStdString());
            CompareClauses(s, 1);
        }
    }
}
