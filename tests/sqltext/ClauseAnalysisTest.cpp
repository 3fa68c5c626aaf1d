#include "SqlTextTestUtil.h"
#include "sqltext/Common.h"

#include <gtest/gtest.h>

using namespace quillary;
using quillary::test::Group;

namespace {

struct Clause {
    QString Message;
    QStringList Items;
    QString Next;
    int NextPos = -1;
};

Clause Cut(const QString& sql, const QString& keyword, const QStringList& next, int start = 1) {
    Clause c;
    c.Message = AnalysisSQLClause(sql, keyword, next, c.NextPos, c.Next, c.Items, start);
    return c;
}

QStringList Union(const QString& sql) {
    QStringList list;
    AnalysisUnionClause(sql, list, QString(), QString(), QString());
    return list;
}

struct From {
    QStringList Tables, Joins;
};

From Tables(const QString& from) {
    From f;
    AnalysisFromClause(from, f.Joins, f.Tables);
    return f;
}

QStringList Where(const QString& cond) {
    QStringList list;
    AnalysisWhereClause(cond, list, QString(), QString(), QString());
    return list;
}

const QStringList kFromWhere{QStringLiteral("from"), QStringLiteral("where")};

} // namespace

TEST(AnalysisSQLClause, CutsTheItemsUpToTheNextKeyword) {
    const QString sql = QStringLiteral("select a, sum(b) total, 'x,y' from t");
    const Clause c = Cut(sql, "select", kFromWhere);
    EXPECT_EQ(c.Message, QString());
    EXPECT_EQ(c.Items, QStringList({"a", "sum(b) total", "'x,y'"}));
    EXPECT_EQ(c.Next, QStringLiteral("from"));
    EXPECT_EQ(c.NextPos, 31);
}

TEST(AnalysisSQLClause, StartsAtTheGivenPositionAndReportsPositionsInTheWholeText) {
    const QString sql = QStringLiteral("select a from t GROUP   BY a, (b) ORDER BY a");
    const int start = int(sql.indexOf("GROUP")) + 1;
    const Clause c = Cut(sql, "group by", {"having", "order by"}, start);
    EXPECT_EQ(c.Items, QStringList({"a", "b"})) << "items trimmed of blanks and parentheses";
    EXPECT_EQ(c.Next, QStringLiteral("order by"));
    EXPECT_EQ(c.NextPos, int(sql.indexOf("ORDER")) + 1);

    const Clause last = Cut(sql, "order by", {}, c.NextPos);
    EXPECT_EQ(last.Items, QStringList({"a"}));
    EXPECT_EQ(last.Next, QString()) << "the items ran to the end";
    EXPECT_EQ(last.NextPos, 0);
}

TEST(AnalysisSQLClause, KeepsEmptyItemsBetweenCommas) {
    EXPECT_EQ(Cut("select a,,b from t", "select", kFromWhere).Items, QStringList({"a", "", "b"}));
    const Clause c = Cut("select a, from t", "select", kFromWhere);
    EXPECT_EQ(c.Items, QStringList({"a", ""}));
    EXPECT_EQ(c.Next, QStringLiteral("from"));
    EXPECT_EQ(Cut("select a,", "select", kFromWhere).Items, QStringList({"a"}));
    EXPECT_EQ(Cut("select", "select", kFromWhere).Items, QStringList());
}

TEST(AnalysisSQLClause, ReportsAMissingKeyword) {
    const Clause c = Cut("select a from t", "where", {"group by", "order by"});
    EXPECT_EQ(c.Message, QStringLiteral("not Found KeyWord \"where\" "));
    EXPECT_TRUE(c.Items.isEmpty());
    EXPECT_EQ(Cut("selec a from t", "select", kFromWhere).Message,
              QStringLiteral("not Found KeyWord \"select\" "));
    EXPECT_EQ(Cut("select a from t", "select", kFromWhere, 100).Message,
              QStringLiteral("not Found KeyWord \"select\" "));
    EXPECT_EQ(Cut("selectx from t", "select", kFromWhere).Message,
              QStringLiteral("not Found KeyWord \"select\" "));
}

TEST(AnalysisSQLClause, QuotesTheTextBeforeAnItemItCannotRead) {
    Clause c = Cut("select a, (b from t", "select", kFromWhere);
    EXPECT_EQ(c.Message, QStringLiteral("在【select a, 】后有语法错误！"));
    EXPECT_EQ(c.Items, QStringList({"a"})) << "items before the error stay";
    c = Cut("select 名称, '北京 from 客户", "select", kFromWhere);
    EXPECT_EQ(c.Message, QStringLiteral("在【select 名称, 】后有语法错误！"));
    c = Cut("select a) from t", "select", kFromWhere);
    EXPECT_EQ(c.Message, QStringLiteral("在【select 】后有语法错误！"));
}

TEST(AnalysisSQLClause, NeedsASeparatorBlankBeforeTheNextKeyword) {
    // Texts pass through TrimExp first; a bare line feed does not end a clause.
    const Clause c = Cut("select a\nfrom t", "select", kFromWhere);
    EXPECT_EQ(c.Items, QStringList({"a\nfrom t"}));
    EXPECT_EQ(c.Next, QString());
    EXPECT_EQ(Cut("select [a from] from t", "select", kFromWhere).Items, QStringList({"[a from]"}));
}

TEST(AnalysisUnionClause, SplitsStatementsAtTheirSetOperators) {
    const QStringList list =
        Union("(select a from t union select b from u) union all select c from v");
    ASSERT_EQ(list.size(), 12);
    EXPECT_EQ(Group(list, 0, 4), QStringList({"(", "select a from t", "", "union"}));
    EXPECT_EQ(Group(list, 1, 4), QStringList({"", "select b from u", ")", "union all"}));
    EXPECT_EQ(Group(list, 2, 4), QStringList({"", "select c from v", "", ""}));

    EXPECT_EQ(Union("select a from t MINUS\tselect a from u INTERSECT (select b from v)"),
              QStringList({"", "select a from t", "", "minus", "", "select a from u", "",
                           "intersect", "(", "select b from v", ")", ""}));
}

TEST(AnalysisUnionClause, LeavesOperatorsInsideQuotesParenthesesAndWordsAlone) {
    EXPECT_EQ(Union("select a from (select b union select c) x"),
              QStringList({"", "select a from (select b union select c) x", "", ""}));
    EXPECT_EQ(Union("select 'a union b' from t"),
              QStringList({"", "select 'a union b' from t", "", ""}));
    EXPECT_EQ(Union("select reunion from t"), QStringList({"", "select reunion from t", "", ""}));
    EXPECT_EQ(Union("select a union allx select b"),
              QStringList({"", "select a", "", "union", "", "allx select b", "", ""}));
    EXPECT_EQ(Union("((select a))"), QStringList({"((", "select a", "))", ""}));
}

TEST(AnalysisUnionClause, CarriesTheCallersParenthesesAndOperator) {
    QStringList list;
    AnalysisUnionClause("a union b", list, "[", "]", "x");
    EXPECT_EQ(list, QStringList({"[", "a", "", "union", "", "b", "]", "x"}));
}

TEST(AnalysisUnionClause, AddsNothingForEmptyOrUnbalancedText) {
    EXPECT_EQ(Union(QString()), QStringList());
    EXPECT_EQ(Union("()"), QStringList());
    EXPECT_EQ(Union("select a) union select b"), QStringList());
    EXPECT_EQ(Union("select a union select b) x"), QStringList({"", "select a", "", "union"}))
        << "what came before the unmatched parenthesis stays";
}

TEST(AnalysisFromClause, KeepsACommaListAsOneTable) {
    const From f = Tables("t1 x, t2 y");
    EXPECT_EQ(f.Tables, QStringList({"t1 x, t2 y"}));
    EXPECT_TRUE(f.Joins.isEmpty());
    EXPECT_EQ(Tables("  ([order items] i)  ").Tables, QStringList({"[order items] i"}));
    EXPECT_EQ(Tables("a 'x join y' b").Tables, QStringList({"a 'x join y' b"}));
    EXPECT_EQ(Tables(QString()).Tables, QStringList());
}

TEST(AnalysisFromClause, TurnsEachAndTermOfAnOnConditionIntoAJoin) {
    const From f = Tables("a left join b on a.id = b.id and a.k = b.k");
    EXPECT_EQ(f.Tables, QStringList({"a", "b"}));
    EXPECT_EQ(f.Joins, QStringList({"2a.id = b.id", "2a.k = b.k"}));
    const From g = Tables("a join b on (a.x = b.x and a.y = b.y)");
    EXPECT_EQ(g.Joins, QStringList({"5a.x = b.x and a.y = b.y"}))
        << "an AND inside parentheses does not cut";
    const From h = Tables("a join b on a.n = 'x and y' AND (a.m = b.m)");
    EXPECT_EQ(h.Joins, QStringList({"5a.n = 'x and y'", "5a.m = b.m"}));
}

TEST(AnalysisFromClause, NumbersTheJoinKindAfterTheKeywordTable) {
    const From f =
        Tables("a INNER JOIN b ON x RIGHT JOIN c ON y FULL JOIN d ON z "
               "LEFT OUTER JOIN e ON u RIGHT  OUTER\tJOIN f ON v FULL OUTER JOIN g ON w");
    EXPECT_EQ(f.Tables, QStringList({"a", "b", "c", "d", "e", "f", "g"}));
    EXPECT_EQ(f.Joins, QStringList({"1x", "3y", "4z", "6u", "7v", "8w"}));
}

TEST(AnalysisFromClause, ClosesJoinsInTheOrderTheyEnd) {
    From f = Tables("a join b on x join c on y");
    EXPECT_EQ(f.Tables, QStringList({"a", "b", "c"}));
    EXPECT_EQ(f.Joins, QStringList({"5x", "5y"}));

    f = Tables("a join b join c on x on y");
    EXPECT_EQ(f.Tables, QStringList({"b", "c", "a"}));
    EXPECT_EQ(f.Joins, QStringList({"5x", "5y"}));

    f = Tables("(a join b on x) join c on y");
    EXPECT_EQ(f.Tables, QStringList({"a", "b", "c"}));
    EXPECT_EQ(f.Joins, QStringList({"5y", "5x"})) << "a join's own term before its pieces' joins";

    f = Tables("订单 o join 客户 c on o.客户号 = c.编号");
    EXPECT_EQ(f.Tables, QStringList({"订单 o", "客户 c"}));
    EXPECT_EQ(f.Joins, QStringList({"5o.客户号 = c.编号"}));
}

TEST(AnalysisFromClause, AddsNothingForAJoinWithoutOnOrAnOnWithoutJoin) {
    EXPECT_EQ(Tables("a join b").Tables, QStringList());
    EXPECT_EQ(Tables("a join b on x join c").Tables, QStringList({"a", "b"}));
    const From f = Tables("a join b on x on y join c on z");
    EXPECT_EQ(f.Tables, QStringList({"a", "b", "c"}));
    EXPECT_EQ(f.Joins, QStringList({"5x", "5z"})) << "the stray condition is dropped";
}

TEST(AnalysisFromClause, StopsAtAnUnmatchedParenthesis) {
    EXPECT_EQ(Tables("a) join b on x").Tables, QStringList());
    const From f = Tables("a join b on x join c on y) z");
    EXPECT_EQ(f.Tables, QStringList({"a", "b"}));
    EXPECT_EQ(f.Joins, QStringList({"5x"}));
}

TEST(AnalysisWhereClause, MakesOneRowPerConditionWithItsConnector) {
    const QStringList rows = Where("(a = 1 or b = 2) and c = 3");
    ASSERT_EQ(rows.size(), 18);
    EXPECT_EQ(Group(rows, 0, 6), QStringList({"(", "a ", "=", " 1", "", "or"}));
    EXPECT_EQ(Group(rows, 1, 6), QStringList({"", "b ", "=", " 2", ")", "and"}));
    EXPECT_EQ(Group(rows, 2, 6), QStringList({"", "c ", "=", " 3", "", ""}));

    const QStringList chain = Where("a = 1 or b = 2 and c = 3");
    ASSERT_EQ(chain.size(), 18);
    EXPECT_EQ(chain[5], QStringLiteral("or"));
    EXPECT_EQ(chain[11], QStringLiteral("and"));
    EXPECT_EQ(chain[17], QString());
}

TEST(AnalysisWhereClause, CarriesParenthesesAcrossNestedGroups) {
    EXPECT_EQ(Where("((a = 1 or b = 2) and c = 3) or d = 4"),
              QStringList({"((", "a ", "=", " 1", "",  "or",  //
                           "",   "b ", "=", " 2", ")", "and", //
                           "",   "c ", "=", " 3", ")", "or",  //
                           "",   "d ", "=", " 4", "",  ""}));
    QStringList list;
    AnalysisWhereClause("a = 1", list, "((", "))", "and");
    EXPECT_EQ(list, QStringList({"((", "a ", "=", " 1", "))", "and"}));
}

TEST(AnalysisWhereClause, ReadsWordOperatorsOnlyBetweenBlanks) {
    EXPECT_EQ(Where("x not like 'a%'"), QStringList({"", "x", "not like", "'a%'", "", ""}));
    EXPECT_EQ(Where("name in ('a', 'b')"), QStringList({"", "name", "in", "('a', 'b')", "", ""}));
    EXPECT_EQ(Where("name in('a')"), QStringList({"", "name in('a')", "", "", "", ""}));
    EXPECT_EQ(
        Where("a NOT IN (1, 2) or b IS not null"),
        QStringList({"", "a", "not in", "(1, 2)", "", "or", "", "b", "is", "not null", "", ""}));
    EXPECT_EQ(Where("名称 like '%公司%'   and 城市 = '北京'"),
              QStringList({"", "名称", "like", "'%公司%'  ", "", "and", "", "城市 ", "=", " '北京'",
                           "", ""}));
}

TEST(AnalysisWhereClause, ReadsSymbolOperatorsEvenWithBlanksInside) {
    EXPECT_EQ(Where("a =* b"), QStringList({"", "a ", "=*", " b", "", ""}));
    EXPECT_EQ(Where("a *= b"), QStringList({"", "a ", "*=", " b", "", ""}));
    EXPECT_EQ(Where("a < > b"), QStringList({"", "a ", "<>", " b", "", ""}));
    EXPECT_EQ(Where("a > = b"), QStringList({"", "a ", ">=", " b", "", ""}));
    EXPECT_EQ(Where("a ! = b"), QStringList({"", "a ", "!=", " b", "", ""}));
    EXPECT_EQ(Where("a<b"), QStringList({"", "a", "<", "b", "", ""}));
    EXPECT_EQ(Where("a < b"), QStringList({"", "a ", "<", " b", "", ""}));
    EXPECT_EQ(Where("[a>b] = 1"), QStringList({"", "[a", ">", "b] = 1", "", ""}))
        << "brackets are not tracked in conditions";
}

TEST(AnalysisWhereClause, KeepsConnectorsInsideQuotesAndParentheses) {
    EXPECT_EQ(
        Where("a = 'x or y' and b = 'it''s'"),
        QStringList({"", "a ", "=", " 'x or y'", "", "and", "", "b ", "=", " 'it''s'", "", ""}));
    EXPECT_EQ(Where("a = f(b or c) or d = 1"),
              QStringList({"", "a ", "=", " f(b or c)", "", "or", "", "d ", "=", " 1", "", ""}));
    // The value's connector is looked for with quotes and brackets tracked.
    EXPECT_EQ(Where("a = \"x or y\" or b = 1"),
              QStringList({"", "a ", "=", " \"x or y\"", "", "or", "", "b ", "=", " 1", "", ""}));
}

TEST(AnalysisWhereClause, KeepsTheNegationInTheFirstRow) {
    EXPECT_EQ(Where("not exists (select 1 from t where t.a = b) and b = 1"),
              QStringList({"", "not exists (select 1 from t where t.a = b)", "", "", "", "and", "",
                           "b ", "=", " 1", "", ""}));
    EXPECT_EQ(Where("NOT a = 1"), QStringList({"", "NOT a ", "=", " 1", "", ""}));
    EXPECT_EQ(Where("not a like 'x' or b = 2"),
              QStringList({"", "not a like 'x'", "", "", "", "or", "", "b ", "=", " 2", "", ""}))
        << "no word operator in a negated condition";
    EXPECT_EQ(Where("nota like 'x'"), QStringList({"", "nota", "like", "'x'", "", ""}));
}

TEST(AnalysisWhereClause, NeedsSeparatorBlanksAroundConnectors) {
    EXPECT_EQ(Where("a = 1\nor b = 2"), QStringList({"", "a ", "=", " 1\nor b = 2", "", ""}));
    // The value stops before the blank right before the connector.
    EXPECT_EQ(Where("a = 1\r\nor b = 2"),
              QStringList({"", "a ", "=", " 1\r", "", "or", "", "b ", "=", " 2", "", ""}));
    EXPECT_EQ(Where("exists (select 1) or(b = 1)"),
              QStringList({"", "exists (select 1) or(b = 1)", "", "", "", ""}));
}

TEST(AnalysisWhereClause, HandlesEmptyAndUnbalancedText) {
    EXPECT_EQ(Where(QString()), QStringList({"", "", "", "", "", ""}));
    EXPECT_EQ(Where("x) or y = 1"), QStringList());
    EXPECT_EQ(Where("a = 1 and"), QStringList({"", "a ", "=", " 1", "", "and", //
                                               "", "", "", "", "", ""}));
    EXPECT_EQ(Where("a = 1) or b = 2"), QStringList({"", "a ", "=", " 1) or b = 2", "", ""}))
        << "the connector search stops at the unmatched parenthesis";
}
