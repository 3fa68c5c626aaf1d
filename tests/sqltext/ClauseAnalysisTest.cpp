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
    const QString notFound = QStringLiteral("not Found KeyWord \"%1\" ");
    const QString syntax = QStringLiteral("在【%1】后有语法错误！");
    const QString grouped = QStringLiteral("select a from t GROUP   BY a, (b) ORDER BY a");
    struct Case {
        QString sql, keyword;
        QStringList next;
        int start;
        QString message;
        QStringList items;
        QString found;
        int foundPos;
    };
    const Case cases[] = {
        {"select a, sum(b) total, 'x,y' from t",
         "select",
         kFromWhere,
         1,
         "",
         {"a", "sum(b) total", "'x,y'"},
         "from",
         31},
        // From a given start, positions in the whole text; items trimmed of
        // blanks and parentheses; the last clause runs to the end.
        {grouped, "group by", {"having", "order by"}, 17, "", {"a", "b"}, "order by", 35},
        {grouped, "order by", {}, 35, "", {"a"}, "", 0},
        // Empty items between commas stay, not one after a final comma.
        {"select a,,b from t", "select", kFromWhere, 1, "", {"a", "", "b"}, "from", 13},
        {"select a, from t", "select", kFromWhere, 1, "", {"a", ""}, "from", 11},
        {"select a,", "select", kFromWhere, 1, "", {"a"}, "", 0},
        {"select", "select", kFromWhere, 1, "", {}, "", 0},
        // A bare line feed does not end a clause (texts pass through TrimExp).
        {"select a\nfrom t", "select", kFromWhere, 1, "", {"a\nfrom t"}, "", 0},
        {"select [a from] from t", "select", kFromWhere, 1, "", {"[a from]"}, "from", 17},
        // A missing keyword.
        {"select a from t", "where", {"group by", "order by"}, 1, notFound.arg("where"), {}, "", 0},
        {"selec a from t", "select", kFromWhere, 1, notFound.arg("select"), {}, "", 0},
        {"select a from t", "select", kFromWhere, 100, notFound.arg("select"), {}, "", 0},
        {"selectx from t", "select", kFromWhere, 1, notFound.arg("select"), {}, "", 0},
        // The text before an item it cannot read is quoted; earlier items stay.
        {"select a, (b from t", "select", kFromWhere, 1, syntax.arg("select a, "), {"a"}, "", 0},
        {"select 名称, '北京 from 客户",
         "select",
         kFromWhere,
         1,
         syntax.arg("select 名称, "),
         {"名称"},
         "",
         0},
        {"select a) from t", "select", kFromWhere, 1, syntax.arg("select "), {}, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql.toStdString() + " / " + c.keyword.toStdString());
        const Clause got = Cut(c.sql, c.keyword, c.next, c.start);
        EXPECT_EQ(got.Message, c.message);
        EXPECT_EQ(got.Items, c.items);
        if (c.message.isEmpty()) {
            EXPECT_EQ(got.Next, c.found);
            EXPECT_EQ(got.NextPos, c.foundPos);
        }
    }
}

TEST(AnalysisUnionClause, SplitsStatementsAtTopLevelSetOperators) {
    // opening parentheses, statement, closing parentheses, operator
    const std::pair<const char*, QStringList> cases[] = {
        {"(select a from t union select b from u) union all select c from v",
         {"(", "select a from t", "", "union", "", "select b from u", ")", "union all", "",
          "select c from v", "", ""}},
        {"select a from t MINUS\tselect a from u INTERSECT (select b from v)",
         {"", "select a from t", "", "minus", "", "select a from u", "", "intersect", "(",
          "select b from v", ")", ""}},
        {"select a from (select b union select c) x",
         {"", "select a from (select b union select c) x", "", ""}},
        {"select 'a union b' from t", {"", "select 'a union b' from t", "", ""}},
        {"select reunion from t", {"", "select reunion from t", "", ""}},
        {"select a union allx select b",
         {"", "select a", "", "union", "", "allx select b", "", ""}},
        {"((select a))", {"((", "select a", "))", ""}},
        {"", {}},
        {"()", {}},
        {"select a) union select b", {}},
        // What came before an unmatched parenthesis stays.
        {"select a union select b) x", {"", "select a", "", "union"}},
    };
    for (const auto& [sql, list] : cases)
        EXPECT_EQ(Union(QString::fromUtf8(sql)), list) << sql;
    QStringList carried;
    AnalysisUnionClause("a union b", carried, "[", "]", "x");
    EXPECT_EQ(carried, QStringList({"[", "a", "", "union", "", "b", "]", "x"}));
}

TEST(AnalysisFromClause, GivesTablesAndOneJoinPerAndTermOfEachOnCondition) {
    // tables, then joins: the sOuterJoin number, then the term
    const std::tuple<const char*, QStringList, QStringList> cases[] = {
        {"t1 x, t2 y", {"t1 x, t2 y"}, {}},
        {"  ([order items] i)  ", {"[order items] i"}, {}},
        {"a 'x join y' b", {"a 'x join y' b"}, {}},
        {"", {}, {}},
        {"a left join b on a.id = b.id and a.k = b.k", {"a", "b"}, {"2a.id = b.id", "2a.k = b.k"}},
        {"a join b on (a.x = b.x and a.y = b.y)", {"a", "b"}, {"5a.x = b.x and a.y = b.y"}},
        {"a join b on a.n = 'x and y' AND (a.m = b.m)",
         {"a", "b"},
         {"5a.n = 'x and y'", "5a.m = b.m"}},
        {"a INNER JOIN b ON x RIGHT JOIN c ON y FULL JOIN d ON z "
         "LEFT OUTER JOIN e ON u RIGHT  OUTER\tJOIN f ON v FULL OUTER JOIN g ON w",
         {"a", "b", "c", "d", "e", "f", "g"},
         {"1x", "3y", "4z", "6u", "7v", "8w"}},
        // Joins close in the order they end.
        {"a join b on x join c on y", {"a", "b", "c"}, {"5x", "5y"}},
        {"a join b join c on x on y", {"b", "c", "a"}, {"5x", "5y"}},
        {"(a join b on x) join c on y", {"a", "b", "c"}, {"5y", "5x"}},
        {"订单 o join 客户 c on o.客户号 = c.编号", {"订单 o", "客户 c"}, {"5o.客户号 = c.编号"}},
        // A join without ON adds nothing, nor does a second ON.
        {"a join b", {}, {}},
        {"a join b on x join c", {"a", "b"}, {"5x"}},
        {"a join b on x on y join c on z", {"a", "b", "c"}, {"5x", "5z"}},
        // An unmatched parenthesis ends the analysis.
        {"a) join b on x", {}, {}},
        {"a join b on x join c on y) z", {"a", "b"}, {"5x"}},
    };
    for (const auto& [from, tables, joins] : cases) {
        const From f = Tables(QString::fromUtf8(from));
        EXPECT_EQ(f.Tables, tables) << from;
        EXPECT_EQ(f.Joins, joins) << from;
    }
}

TEST(AnalysisWhereClause, MakesOneRowOfSixItemsPerCondition) {
    // opening parentheses, left operand, operator, value, closing
    // parentheses, connector
    const std::pair<const char*, QStringList> cases[] = {
        {"(a = 1 or b = 2) and c = 3",
         {"(", "a ", "=", " 1", "", "or", "", "b ", "=", " 2", ")", "and", "", "c ", "=", " 3", "",
          ""}},
        {"a = 1 or b = 2 and c = 3",
         {"", "a ", "=", " 1", "", "or", "", "b ", "=", " 2", "", "and", "", "c ", "=", " 3", "",
          ""}},
        {"((a = 1 or b = 2) and c = 3) or d = 4",
         {"((", "a ", "=", " 1", "",  "or", "", "b ", "=", " 2", ")", "and",
          "",   "c ", "=", " 3", ")", "or", "", "d ", "=", " 4", "",  ""}},
        // Word operators only between blanks.
        {"x not like 'a%'", {"", "x", "not like", "'a%'", "", ""}},
        {"name in ('a', 'b')", {"", "name", "in", "('a', 'b')", "", ""}},
        {"name in('a')", {"", "name in('a')", "", "", "", ""}},
        {"a NOT IN (1, 2) or b IS not null",
         {"", "a", "not in", "(1, 2)", "", "or", "", "b", "is", "not null", "", ""}},
        {"名称 like '%公司%'   and 城市 = '北京'",
         {"", "名称", "like", "'%公司%'  ", "", "and", "", "城市 ", "=", " '北京'", "", ""}},
        // Symbol operators, blanks inside removed; brackets are not tracked.
        {"a =* b", {"", "a ", "=*", " b", "", ""}},
        {"a *= b", {"", "a ", "*=", " b", "", ""}},
        {"a < > b", {"", "a ", "<>", " b", "", ""}},
        {"a > = b", {"", "a ", ">=", " b", "", ""}},
        {"a ! = b", {"", "a ", "!=", " b", "", ""}},
        {"a<b", {"", "a", "<", "b", "", ""}},
        {"[a>b] = 1", {"", "[a", ">", "b] = 1", "", ""}},
        // Connectors inside quotes and parentheses stay in the value.
        {"a = 'x or y' and b = 'it''s'",
         {"", "a ", "=", " 'x or y'", "", "and", "", "b ", "=", " 'it''s'", "", ""}},
        {"a = f(b or c) or d = 1",
         {"", "a ", "=", " f(b or c)", "", "or", "", "d ", "=", " 1", "", ""}},
        {"a = \"x or y\" or b = 1",
         {"", "a ", "=", " \"x or y\"", "", "or", "", "b ", "=", " 1", "", ""}},
        // A negation stays in the first row; no word operator after it.
        {"not exists (select 1 from t where t.a = b) and b = 1",
         {"", "not exists (select 1 from t where t.a = b)", "", "", "", "and", "", "b ", "=", " 1",
          "", ""}},
        {"NOT a = 1", {"", "NOT a ", "=", " 1", "", ""}},
        {"not a like 'x' or b = 2",
         {"", "not a like 'x'", "", "", "", "or", "", "b ", "=", " 2", "", ""}},
        {"nota like 'x'", {"", "nota", "like", "'x'", "", ""}},
        // Connectors need separator blanks; the value stops before the one
        // right before the connector.
        {"a = 1\nor b = 2", {"", "a ", "=", " 1\nor b = 2", "", ""}},
        {"a = 1\r\nor b = 2", {"", "a ", "=", " 1\r", "", "or", "", "b ", "=", " 2", "", ""}},
        {"exists (select 1) or(b = 1)", {"", "exists (select 1) or(b = 1)", "", "", "", ""}},
        // Empty and unbalanced text.
        {"", {"", "", "", "", "", ""}},
        {"x) or y = 1", {}},
        {"a = 1 and", {"", "a ", "=", " 1", "", "and", "", "", "", "", "", ""}},
        {"a = 1) or b = 2", {"", "a ", "=", " 1) or b = 2", "", ""}},
    };
    for (const auto& [cond, rows] : cases)
        EXPECT_EQ(Where(QString::fromUtf8(cond)), rows) << cond;
    QStringList carried;
    AnalysisWhereClause("a = 1", carried, "((", "))", "and");
    EXPECT_EQ(carried, QStringList({"((", "a ", "=", " 1", "))", "and"}));
}
