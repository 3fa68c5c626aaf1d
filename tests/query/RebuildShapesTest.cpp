// Shapes of real SQL read back into a design: where each part lands, and
// the statement the design writes again.
#include "DesignBuilder.h"

#include "query/Rebuild.h"
#include "query/StateText.h"
#include "sqltext/DataSourceKind.h"

#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

namespace {

const TCatalogue& Shop() {
    static const TCatalogue c = [] {
        TCatalogue c;
        c.Table("t", {"k:3", "a", "b"}).Table("u", {"k:3", "f:3", "g"}).Table("w", {"k:3", "h"});
        c.Table("p", {"Total:3", "total:3"}).Table("x", {"k", "h:3"}).Table("z", {"h", "q"});
        c.Table("pt", {"Total:3", "g"}).Table("tu", {"k:3", "ä:3", "Ä:3"});
        c.Table("s.v", {"k:3", "e"}).Table("y", {"a", "h"});
        c.Table("n", {"k:3", "count(*):3"}); // as an unnamed column comes back
        c.Table("r", {"n:3"});               // what "select * from r" of a recursive table gives
        c.Table("match", {"k:3", "h"});      // a keyword: written quoted
        c.Table("ku", {"kid:3", "user"});    // a column named by a reserved word
        c.Table("sp", {"k:3", "b c(d):3"});  // a name with a blank and brackets
        c.Table("ad", {"ak:3", "ck:2"}).Table("ci", {"ck:3", "cn"}); // smallint against integer
        return c;
    }();
    return c;
}

struct TRun {
    TForgeResult Result;
    QStringList Messages;
};

TRun Rebuild(const QString& sql, int kind = dsOther) {
    TRun run;
    TDesignHooks hooks = Shop().Hooks(&run.Messages);
    run.Result = Forge(sql, kind, {}, hooks);
    return run;
}

// The same where the design reads the text as `dialect` does.
TRun RebuildIn(const TSqlDialect& dialect, const QString& sql) {
    TRun run;
    QueryDesign current;
    current.Dialect = dialect;
    run.Result = Forge(sql, dsOther, current, Shop().Hooks(&run.Messages));
    return run;
}

} // namespace

TEST(RebuildShapes, EachShapeLandsWhereTheDesignerKeepsIt) {
    const struct {
        const char* Sql;
        const char* Regenerated;
    } cases[] = {
        {"select a from t where exists (select 1 from u where u.k = t.k) and b = 'x'",
         "select a\r\nfrom t\r\nwhere exists (select 1 from u where u.k = t.k) and b='x'"},
        {"select a from t where not exists (select 1 from u) and b = 'x'",
         "select a\r\nfrom t\r\nwhere not exists (select 1 from u) and b='x'"},
        {"select a from t where b = 'y' and not (a = '1' or a = '2')",
         "select a\r\nfrom t\r\nwhere b='y' and not (a='1' or a='2')"},
        {"select a from t where not a like 'x%' and b = 'y'",
         "select a\r\nfrom t\r\nwhere not a like 'x%' and b='y'"},
        {"select a from t where k in(1, 2)", "select a\r\nfrom t\r\nwhere k in (1, 2)"},
        // A comparison word right before its bracket or string compares;
        // where no operand stands before it, it calls SQLite's function.
        {"select a from t where b like('x%') and b not like'y%' and k between(1)and 5",
         "select a\r\nfrom t\r\nwhere b like ('x%') and b not like 'y%' and k between (1) and 5"},
        {"select a from t where glob('x*', b) and k > 1",
         "select a\r\nfrom t\r\nwhere glob('x*', b) is true and k>1"},
        // An alias the database reads that the alias rule refuses, quoted.
        {"select a as a$, b b$ from t order by a$",
         "select a as \"a$\",b as \"b$\"\r\nfrom t\r\norder by a$"},
        // Where joins are written in FROM, an equality between boxes that
        // links join already stays a row: a ring of links cannot be written.
        {"select t.a from t join u on t.k = u.k where t.b = u.g",
         "select t.a\r\nfrom t JOIN u on t.k=u.k\r\nwhere t.b=u.g"},
        {"select t.a from t join u on t.k = u.k, w where w.k = t.k and w.h = u.g",
         "select t.a\r\nfrom (w INNER JOIN t on w.k=t.k) JOIN u on t.k=u.k\r\nwhere w.h=u.g"},
        // A word right after a bracket or a string stands apart from it.
        {"select k from (select k from t)order by k",
         "select k\r\nfrom  (select k from t) Q1\r\norder by k"},
        // A quoted name right after a bracket, a name or a string is an alias.
        {"select count(*)\"n\", a\"x\", 'v'\"w\" from t",
         "select count(*) as \"n\",a as \"x\",'v' as \"w\"\r\nfrom t"},
        {"select a from t where (k > 3)and(b = 'x')or not(a = 'y')order by a",
         "select a\r\nfrom t\r\nwhere (k>3) and (b='x') or not (a='y')\r\norder by a"},
        {"/* note */ select a -- a column\nfrom t;", "select a\r\nfrom t"},
        // A word that is no name stands apart from a symbol, bracket or
        // quoted name right after it.
        {"select\"a\"from t where(k > 1)order by(a)",
         "select \"a\"\r\nfrom t\r\nwhere (k>1)\r\norder by a"},
        // A derived table with WITH tables of its own is a sub-query box.
        {"select x.a from (with m as (select a, k from t where k > 1) select a from m) x",
         "select a\r\nfrom  (with m as (select a, k from t where k > 1) select a from m) x"},
        // Aliases in other scripts than Latin, with or without AS.
        {"select 甲.a 名, 甲.b as 乙 from t 甲 where 甲.k > 1",
         "select 甲.a as 名,甲.b as 乙\r\nfrom t 甲\r\nwhere 甲.k>1"},
        // A bare name in ON is a column of the boxes joined so far.
        {"select b from t join x on a = x.k join y on y.a = x.k",
         "select t.b\r\nfrom t JOIN (y JOIN x on y.a=x.k) on t.a=x.k"},
        {"select b from t left join x on x.k = a and a > 'm' join y on y.a = x.k",
         "select t.b\r\nfrom (y JOIN x on y.a=x.k) INNER JOIN t on x.k=t.a and t.a > 'm'"},
        // A result column named as a shared column that is that column.
        {"select t.k k, count(*) n from t join u using (k) group by k",
         "select t.k as k,count(*) as n\r\nfrom t JOIN u on t.k=u.k\r\ngroup by t.k"},
        // The unit of an interval is no alias, one after its brackets is.
        {"select k + interval 1 day, k - interval '1' year_month, (k + interval 2 hour) hour from "
         "t",
         "select k + interval 1 day,k - interval '1' year_month,\r\n(k + interval 2 hour) as "
         "hour\r\n"
         "from t"},
        {"select*from t where k=1 or(a)in(select b from t)",
         "select *\r\nfrom t\r\nwhere k=1 or (a) in (select b from t)"},
        {"select count(*) n from t having count(*) between 1 and 5",
         "select count(*) as n\r\nfrom t\r\nhaving count(*) between 1 and 5"},
        {"select a from t order by a limit 5, 10",
         "select a\r\nfrom t\r\norder by a\r\nlimit 10 offset 5"},
        // A limit or offset may be an expression.
        {"select a from t limit -1 offset 2 + 1", "select a\r\nfrom t\r\nlimit -1 offset 2 + 1"},
        {"select a from t limit (select count(*) from u limit 1)",
         "select a\r\nfrom t\r\nlimit (select count(*) from u limit 1)"},
        {"select a from t limit coalesce(null, 5)",
         "select a\r\nfrom t\r\nlimit coalesce(null, 5)"},
        {"select t.a, u.g from t cross join u", "select t.a,u.g\r\nfrom t,u"},
        {"select t.a, u.g from t join u where t.k = u.k",
         "select t.a,u.g\r\nfrom t,u\r\nwhere t.k=u.k"},
        {"select t.a, u.g from t join u using (k)", "select t.a,u.g\r\nfrom t JOIN u on t.k=u.k"},
        {"select t.a, w.h from t natural join w", "select t.a,w.h\r\nfrom t JOIN w on t.k=w.k"},
        // A column USING or NATURAL merged over the boxes before: the join
        // takes it from the box that holds the merged value.
        {"select t.a from t natural join u natural join w",
         "select t.a\r\nfrom t JOIN (u JOIN w on u.k=w.k) on t.k=u.k"},
        {"select k, h from t right join u using (k) join w using (k)",
         "select u.k,w.h\r\nfrom t RIGHT JOIN (u JOIN w on u.k=w.k) on t.k=u.k"},
        {"select k from t left join u using (k) join w using (k)",
         "select t.k\r\nfrom (t JOIN w on t.k=w.k) LEFT JOIN u on t.k=u.k"},
        // Joins read from the left: brackets around the first ones of a
        // FROM clause change nothing, also around NATURAL and USING joins.
        {"select t.a, w.h from (t natural join u) join w using (k)",
         "select t.a,w.h\r\nfrom t JOIN (u JOIN w on u.k=w.k) on t.k=u.k"},
        {"select t.a from ((t join u using (k))) natural join w",
         "select t.a\r\nfrom t JOIN (u JOIN w on u.k=w.k) on t.k=u.k"},
        // A named window is written where it is used; a sub-query's stays.
        {"select a, sum(k) over w s from t where k > 1 window w as (partition by a) order by a",
         "select a,sum(k) over (partition by a) as s\r\nfrom t\r\nwhere k>1\r\norder by a"},
        {"select a, rank() over (w2 rows 2 preceding) from t window w1 as (partition by a), w2 "
         "as (w1 order by k)",
         "select a,\r\nrank() over (partition by a order by k rows 2 preceding)\r\nfrom t"},
        {"select x.a from (select a, rank() over w r from t window w as (order by k)) x",
         "select a\r\nfrom  (select a, rank() over w r from t window w as (order by k)) x"},
        // Columns shared with two boxes that links join already: the
        // second equality would close a ring, so it is a row of WHERE.
        {"select t.b from t join w on t.k = w.k natural join y",
         "select t.b\r\nfrom (t JOIN y on t.a=y.a) JOIN w on t.k=w.k\r\nwhere w.h=y.h"},
        // A BETWEEN in ON: its AND is not one of the ON's.
        {"select t.a from t join u on t.k = u.k and u.f between 1 and 2",
         "select t.a\r\nfrom t JOIN u on t.k=u.k\r\nwhere u.f between 1 and 2"},
        {"select t.a from t join u on t.k between u.k and u.f",
         "select t.a\r\nfrom t,u\r\nwhere t.k between u.k and u.f"},
        {"select t.a from t left join u on t.k = u.k and u.f not between 1 and 2 and u.g = 'x'",
         "select t.a\r\nfrom t LEFT JOIN u on t.k=u.k and u.f not between 1 and 2 and u.g = 'x'"},
        // An ON term kept as a row was all that joined two networks of inner
        // joins: they are written as WHERE equalities.
        {"select t.a from t join u on t.k = u.k join w on w.k = t.k or w.h = u.g join x on x.h = "
         "w.k",
         "select t.a\r\nfrom t,u,w,x\r\nwhere t.k=u.k and x.h=w.k and (w.k=t.k or w.h=u.g)"},
        // A joined table named with its schema is the box of that name.
        {"select e from t join s.v using (k)", "select s.v.e\r\nfrom t JOIN s.v on t.k=s.v.k"},
        {"select t.a, u.g from t left join u on t.k = u.k and u.f > 100",
         "select t.a,u.g\r\nfrom t LEFT JOIN u on t.k=u.k and u.f > 100"},
        {"with x as (select k, a from t) select x.a from x",
         "select a\r\nfrom  (select k, a from t) x"},
        // A comma after a join's condition lists the next table.
        {"with x as (select k, a from t) select x.a from t join u on u.k = t.k, x",
         "select x.a\r\nfrom u JOIN t on u.k=t.k,(select k, a from t) x"},
        // After a full join a shared column is the first of the two that
        // is not null.
        {"select k, max(a) from t full join u using (k) where k > 1 group by k order by k",
         "select coalesce(t.k, u.k) as k,max(a)\r\nfrom t FULL JOIN u on t.k=u.k\r\nwhere "
         "coalesce(t.k, u.k)>1\r\ngroup by coalesce(t.k, u.k)\r\norder by k"},
        // A table whose name is a keyword, named without quotes in ON.
        {"select match.h from t left join match on match.k = t.k",
         "select match.h\r\nfrom \"match\" RIGHT JOIN t on \"match\".k=t.k"},
        // A comment or blanks before the WITH.
        {"-- x of t\n  /* k, a */ with x as (select k, a from t) select x.a from x",
         "select a\r\nfrom  (select k, a from t) x"},
        {"select * from t, w", "select t.*,w.*\r\nfrom t,w"},
        // Columns of different kinds: no link, the condition stays a row.
        {"select t.a, u.g from t join u on t.a = u.k",
         "select t.a,u.g\r\nfrom t,u\r\nwhere t.a=u.k"},
        // The joined table named first in ON: still all rows of t.
        {"select t.a, u.g from t left join u on u.k = t.k",
         "select t.a,u.g\r\nfrom u RIGHT JOIN t on u.k=t.k"},
        {"select t.a + t.b + u.f from t, u", "select t.a + t.b + u.f\r\nfrom t,u"},
        // Truth values written alone: "is true" where no NOT stands around
        // them, NOT as the operator of "not x".
        {"select a from t where b and k = 1", "select a\r\nfrom t\r\nwhere b is true and k=1"},
        {"select a from t where k = 1 and (b or f(a)) and not b",
         "select a\r\nfrom t\r\nwhere k=1 and (b is true or f(a) is true) and not b"},
        {"select a from t where b = '-' or 'it''s'",
         "select a\r\nfrom t\r\nwhere b='-' or 'it''s' is true"},
        // A quoted name with blanks and brackets is one value; a sum, or
        // two calls an operator joins, takes brackets before IS.
        {"select k from sp where \"b c(d)\" and k = 1 or sp.\"b c(d)\"",
         "select k\r\nfrom sp\r\nwhere \"b c(d)\" is true and k=1 or \"b c(d)\" is true"},
        {"select a from t where k + 1 and (f(a) || f(b) or b)",
         "select a\r\nfrom t\r\nwhere (k + 1) is true and ((f(a) || f(b)) is true or b is true)"},
        // Column names listed after a derived table or a WITH name become
        // the aliases of its select list.
        {"select c.n, c.k from (select k, count(*) from t group by k) as c (k, n) where c.n > 1",
         "select n,k\r\nfrom  (select k as k, count(*) as n from t group by k) c\r\nwhere n>1"},
        {"with x(c, d) as (select k, a z from t) select x.d from x",
         "select d\r\nfrom  (select k as c, a as d from t) x"},
        // ALL after SELECT is the quantifier a select list has anyway.
        {"select all a from t where k in (select all k from u)",
         "select a\r\nfrom t\r\nwhere k in (select k from u)"},
        // A name at the end of an expression is no alias of it.
        {"with m(c, d, e) as (select k, a notnull, a > b from t) select m.d, m.e from m",
         "select d,e\r\nfrom  (select k as c, a notnull as d, a > b as e from t) m"},
        {"with m(c, d) as (select k, a collate nocase from t where k > 1 order by k) select m.d "
         "from m",
         "select d\r\nfrom  (select k as c, a collate nocase as d from t where k > 1 order by k) "
         "m"},
        // A derived table without a name gets one no word of the statement
        // has; one that has a name keeps it.
        {"select count(*) from (select k from t intersect select k from u) where 1 = 1",
         "select count(*)\r\nfrom  (select k from t intersect select k from u) Q1\r\nwhere 1=1"},
        {"select q1.k from (select k from t) q1, (select k from u)",
         "select q1.k\r\nfrom  (select k from t) q1, (select k from u) Q2"},
        // A column named by an expression is that column only quoted.
        {"select count(*) from (select k, count(*) from n group by k)",
         "select count(*)\r\nfrom  (select k, count(*) from n group by k) Q1"},
        {"select \"count(*)\" from (select k, count(*) from n group by k)",
         "select \"count(*)\"\r\nfrom  (select k, count(*) from n group by k) Q1"},
        // A WITH table used more than once takes each place it is used in.
        {"with x as (select k, a from t) select x.a from x join x y on y.k = x.k "
         "where x.k in (select k from x)",
         "select x.a\r\nfrom (select k, a from t) y JOIN (select k, a from t) x on y.k=x.k\r\n"
         "where x.k in (select k from (select k, a from t) x)"},
        // A WITH inside that declares the name again means its own table
        // after the declaration, the outer one in its body and before it.
        {"with m as (select k, a from t) select d.a from (with m as (select t.a from t join m o on "
         "o.k = t.k) select a from m) d",
         "select a\r\nfrom  (with m as (select t.a from t join (select k, a from t) o on o.k = "
         "t.k) "
         "select a from m) d"},
        {"with m as (select k, a from t), e as (with m as (select t.a from t join m o on o.k = "
         "t.k), f as (select a from m) select a from f) select e.a from e, m",
         "select e.a\r\nfrom  (with m as (select t.a from t join (select k, a from t) o on o.k = "
         "t.k), f as (select a from m) select a from f) e, (select k, a from t) m"},
        // An inner join that would close a ring of links stays a condition.
        {"select t.a from t join u on u.k = t.k join w on w.k = t.k and w.h = u.g",
         "select t.a\r\nfrom u JOIN (w JOIN t on w.k=t.k) on u.k=t.k\r\nwhere w.h=u.g"},
        // So does an INNER JOIN's where another join (an outer one, or one
        // spelled JOIN) needs the join clause; without one, all links are
        // written in WHERE, a ring too.
        {"select t.a from t inner join u on u.k = t.k inner join w on w.k = t.k and w.h = u.g "
         "left join x on x.h = w.k",
         "select t.a\r\nfrom u INNER JOIN ((x RIGHT JOIN w on x.h=w.k) INNER JOIN t on w.k=t.k) "
         "on u.k=t.k\r\nwhere w.h=u.g"},
        {"select t.a from t inner join u on u.k = t.k inner join w on w.k = t.k and w.h = u.g",
         "select t.a\r\nfrom t,u,w\r\nwhere u.k=t.k and w.k=t.k and w.h=u.g"},
        {"select t.a from t join u on u.k = t.k inner join w on w.k = t.k and w.h = u.g",
         "select t.a\r\nfrom u JOIN (w INNER JOIN t on w.k=t.k) on u.k=t.k\r\nwhere w.h=u.g"},
        // Pattern operators the analysis does not know stay between their
        // operands.
        {"select a from t where a ilike '%x%' and k = 1",
         "select a\r\nfrom t\r\nwhere a ilike '%x%' and k=1"},
        {"select a from t where a NOT ILIKE 'x' or b similar to '(x|y)%'",
         "select a\r\nfrom t\r\nwhere a not ilike 'x' or b similar to '(x|y)%'"},
        {"select a from t where a ~ '^x' and b!~*'y' or lower(a) ~~ 'a~%'",
         "select a\r\nfrom t\r\nwhere a ~ '^x' and b !~* 'y' or lower(a) ~~ 'a~%'"},
        {"select count(*) n from t group by a having max(b)",
         "select count(*) as n\r\nfrom t\r\ngroup by a\r\nhaving max(b) is true"},
        // One box's prefix goes, but not inside a sub-select or a string.
        {"select t.a from t where t.b = 't.a' and t.k in (select u.k from u where u.g = t.a)",
         "select a\r\nfrom t\r\nwhere b='t.a' and k in (select u.k from u where u.g = t.a)"},
        // A scalar sub-select keeps its brackets wherever an item stands,
        // and its correlated names their prefix.
        {"select (select count(*) from u where u.k = t.k) from t where t.a = 'x'",
         "select (select count(*) from u where u.k = t.k)\r\nfrom t\r\nwhere a='x'"},
        {"select ((select 1)), (select 2) x from t", "select (select 1),(select 2) as x\r\nfrom t"},
        {"select a from t group by (select 1) order by (select 1) desc",
         "select a\r\nfrom t\r\ngroup by (select 1)\r\norder by (select 1) desc"},
        {"select a isnull from t", "select a isnull\r\nfrom t"},
        // Outside a select list the postfix tests are the IS tests they are.
        {"select a from t where a isnull or b notnull and (k) not null",
         "select a\r\nfrom t\r\nwhere a is null or b is not null and (k) is not null"},
        // An inner join on a box an outer join gave nulls for drops those
        // rows: the outer join is the inner join it amounts to, rather than
        // one the design would nest the inner join in. An equality of WHERE
        // with such a box stays a condition.
        {"select t.a from t left join u on t.k = u.k inner join w on w.k = u.f",
         "select t.a\r\nfrom t,u,w\r\nwhere t.k=u.k and w.k=u.f"},
        {"select t.a from t left join u on t.k = u.k where u.f = t.a",
         "select t.a\r\nfrom t LEFT JOIN u on t.k=u.k\r\nwhere u.f=t.a"},
        {"select t.a from t right join u on t.k = u.k inner join w on w.k = t.k",
         "select t.a\r\nfrom t,u,w\r\nwhere t.k=u.k and w.k=t.k"},
        {"select t.a from t left join u on t.k = u.k inner join w on w.k = t.k",
         "select t.a\r\nfrom (w INNER JOIN t on w.k=t.k) LEFT JOIN u on t.k=u.k"},
        // ... also when brackets bring that outer join's ON among those of
        // the join around them.
        {"select t.a from u right join (t left join w on w.k = t.k) on t.k = u.k join x on x.h = "
         "w.k",
         "select t.a\r\nfrom ((x JOIN w on x.h=w.k) INNER JOIN t on w.k=t.k) LEFT JOIN u on "
         "t.k=u.k"},
        // Brackets read away keep the rows where every join is inner, or
        // every term a link.
        {"select t.a from t inner join (u inner join w on w.k = u.k and u.f < 5) on t.k = u.k",
         "select t.a\r\nfrom t,u,w\r\nwhere t.k=u.k and w.k=u.k and u.f<5"},
        {"select t.a from t left join (u inner join w on w.k = u.k) on t.k = u.k",
         "select t.a\r\nfrom t LEFT JOIN (w INNER JOIN u on w.k=u.k) on t.k=u.k"},
        // The left join in brackets gives nulls to u, which the inner join
        // on u after them drops: it is an inner one, not the outer join
        // that the ON terms around it read together.
        // Joins in brackets keep their own further terms; an inner join on
        // a box of the brackets that a left join gave nulls for makes it the
        // inner join it amounts to, also through another box of the brackets.
        {"select t.a from t left join (u left join w on w.k = u.k) on t.k = u.k and u.f < 5",
         "select t.a\r\nfrom t LEFT JOIN (w RIGHT JOIN u on w.k=u.k) on t.k=u.k and u.f < 5"},
        {"select t.a from t left join (u join w on w.k = u.k) on u.k = t.k join y on y.h = w.h",
         "select t.a\r\nfrom ((y JOIN w on y.h=w.h) JOIN u on w.k=u.k) INNER JOIN t on u.k=t.k"},
        {"select t.a from ((t left join u on t.k = u.k and t.a > 15) join (w right join x on w.k = "
         "x.h) on x.h = t.k)",
         "select t.a\r\nfrom (w RIGHT JOIN x on w.k=x.h) JOIN (t LEFT JOIN u on t.k=u.k and t.a > "
         "15) on x.h=t.k"},
        // Brackets around the whole statement group nothing.
        {"(select t.a from t left join u on t.k = u.k join w on u.k = w.k)",
         "select t.a\r\nfrom t INNER JOIN (u JOIN w on u.k=w.k) on t.k=u.k"},
        {"((select t.a from t cross join w left join u on u.k = t.k))",
         "select t.a\r\nfrom u RIGHT JOIN t on u.k=t.k,w"},
        // So do brackets around the first part of a union, which the union
        // grid keeps.
        {"(select t.a from t left join u on t.k = u.k join w on u.k = w.k) union select a from y",
         "(select t.a\r\nfrom t INNER JOIN (u JOIN w on u.k=w.k) on t.k=u.k)\r\nunion\r\nselect a "
         "from y"},
        // As Access writes joins: the inner join on u after the left join
        // that gives nulls for u drops them, wherever the brackets put it.
        {"select t.a from ((t left join u on t.k = u.k) join w on u.k = w.k) join x on t.k = x.h",
         "select t.a\r\nfrom (t INNER JOIN (u JOIN w on u.k=w.k) on t.k=u.k) JOIN x on t.k=x.h"},
        {"select t.a from t left join (u join w on u.k = w.k right join x on w.k = x.h) on t.k = "
         "x.h",
         "select t.a\r\nfrom t LEFT JOIN ((u JOIN w on u.k=w.k) RIGHT JOIN x on w.k=x.h) on "
         "t.k=x.h"},
        {"select t.a from (t left join u on t.k = u.k) left join w on w.k = t.k join x on x.h = "
         "u.f",
         "select t.a\r\nfrom w RIGHT JOIN (t INNER JOIN (x JOIN u on x.h=u.f) on t.k=u.k) on "
         "w.k=t.k"},
        // A term of ON holding an OR or a NOT over a group keeps its brackets.
        {"select t.a from t left join u on t.k = u.k and (u.f = 1 or u.g = 'x')",
         "select t.a\r\nfrom t LEFT JOIN u on t.k=u.k and (u.f = 1 or u.g = 'x')"},
        {"select t.a from t join u on t.k = u.k and not (u.f = 1 or u.g = 'x')",
         "select t.a\r\nfrom t JOIN u on t.k=u.k\r\nwhere not (u.f=1 or u.g='x')"},
        // A column USING or NATURAL shares, written bare, is the column of
        // the box before the join, of the joined box under a right join;
        // with ON in its place it is written with that box's name, but not
        // inside a sub-select, as a function or as a type.
        {"select k, g from t right join u using (k)",
         "select u.k,u.g\r\nfrom t RIGHT JOIN u on t.k=u.k"},
        {"select count(k) from t left join u using (k) where k < 3 and cast(k as date) > 0 order "
         "by k",
         "select count(t.k)\r\nfrom t LEFT JOIN u on t.k=u.k\r\nwhere t.k<3 and cast(t.k as "
         "date)>0\r\n"
         "order by t.k"},
        {"select h from t natural join w where k in (select k from u) and h <> 'k' group by k",
         "select w.h\r\nfrom t JOIN w on t.k=w.k\r\nwhere t.k in (select k from u) and h<>'k'\r\n"
         "group by t.k"},
        // A shared column of kinds the link rules keep apart, and one of a
        // box an outer join gave nulls for.
        {"select t.a from t join x using (k)", "select t.a\r\nfrom t,x\r\nwhere t.k=x.k"},
        {"select z.q from t left join w on t.k = w.k join z using (h)",
         "select z.q\r\nfrom t INNER JOIN (w JOIN z on w.h=z.h) on t.k=w.k"},
        // A sort column written without its box must not be an alias.
        {"select b as a, t.a from t order by t.a nulls last",
         "select b as a,a\r\nfrom t\r\norder by t.a nulls last"},
        // Positions from a star on count its columns: they stay as written.
        {"select * from t order by 2 desc", "select *\r\nfrom t\r\norder by 2 desc"},
        {"select t.*, u.g from t, u order by 2", "select t.*,u.g\r\nfrom t,u\r\norder by 2"},
        // A bare sort name a star gives, of a column more boxes have, is
        // that result column: bracketed joins would leave it ambiguous.
        {"select w.* from t join u on t.k = u.f join w on u.k = w.k order by k, h desc",
         "select w.*\r\nfrom t JOIN (u JOIN w on u.k=w.k) on t.k=u.f\r\norder by w.k,h desc"},
        {"select t.a, u.* from t join u on t.k = u.f join w on u.k = w.k order by k",
         "select t.a,u.*\r\nfrom t JOIN (u JOIN w on u.k=w.k) on t.k=u.f\r\norder by u.k"},
        {"select t.k, w.* from t join u on t.k = u.f join w on u.k = w.k order by k",
         "select t.k,w.*\r\nfrom t JOIN (u JOIN w on u.k=w.k) on t.k=u.f\r\norder by t.k"},
        // A column with an alias is not named by its column's name.
        {"select w.*, t.k as tk from t join u on t.k = u.f join w on u.k = w.k order by k",
         "select w.*,t.k as tk\r\nfrom t JOIN (u JOIN w on u.k=w.k) on t.k=u.f\r\norder by w.k"},
        // Two result columns of the name: the first (SQLite's reading).
        {"select w.*, t.k from t join u on t.k = u.f join w on u.k = w.k order by k",
         "select w.*,t.k\r\nfrom t JOIN (u JOIN w on u.k=w.k) on t.k=u.f\r\norder by w.k"},
        // A column written bare would be another column's alias.
        {"select b as a, a as b from t order by 1", "select b as a,a as b\r\nfrom t\r\norder by 1"},
        {"select a || b as b from t order by t.b", "select a || b as b\r\nfrom t\r\norder by t.b"},
        // The FROM of IS DISTINCT FROM in the select list is the operator's.
        {"select k, a is distinct from b as d, b is not distinct from 'x' from t",
         "select k,a is distinct from b as d,\r\nb is not distinct from 'x'\r\nfrom t"},
        {"select a from t where k is not distinct from (select max(k) from u)",
         "select a\r\nfrom t\r\nwhere k is not distinct from (select max(k) from u)"},
        // A bare sort name that is another column's alias is that column.
        {"select b as a, a from t order by a", "select b as a,a\r\nfrom t\r\norder by b"},
        {"select b as a, t.a, a as x from t order by 2 desc, a",
         "select b as a,a,a as x\r\nfrom t\r\norder by 2 desc,b"},
        // An equality under an OR is no link; join conditions kept as rows
        // go before a WHERE with an OR in brackets.
        {"select t.a from t, u where t.b = 'x' or u.k = t.k and u.f > 1",
         "select t.a\r\nfrom t,u\r\nwhere t.b='x' or u.k=t.k and u.f>1"},
        {"select t.a from t join u on u.f > t.k where t.b = 'x' or u.g = 'y'",
         "select t.a\r\nfrom t,u\r\nwhere u.f>t.k and (t.b='x' or u.g='y')"},
        // A join condition kept as a row keeps its operands' brackets.
        {"select t.a from t join u on u.k = t.k and (u.f > 0) = (t.k < 5)",
         "select t.a\r\nfrom u JOIN t on u.k=t.k\r\nwhere (u.f > 0)=(t.k < 5)"},
        // The last word of a test or a cast is no alias; a constant is
        // sorted by its position.
        {"select (a is distinct from b), '1' :: int from t order by 1",
         "select (a is distinct from b),'1' :: int\r\nfrom t\r\norder by (a is distinct from b)"},
        {"select 'x', a from t order by 1", "select 'x',a\r\nfrom t\r\norder by 1"},
        // Nor a name in GROUP BY, HAVING or OVER where some databases read
        // the alias.
        {"select rank() over (order by t.k) k, count(*) n from t group by t.k having t.k > 1",
         "select rank() over (order by t.k) as k,count(*) as n\r\nfrom t\r\ngroup by t.k\r\n"
         "having t.k >1"},
        // Joins written before the rows: an OR of the rows goes in brackets.
        {"select t.a from t, u where u.k = t.k and (t.b = 'x' or t.a = 'y')",
         "select t.a\r\nfrom t,u\r\nwhere u.k=t.k and (t.b='x' or t.a='y')"},
        {"select t.a from t, u where u.k = t.k and t.b = 'x' or t.a = 'y'",
         "select t.a\r\nfrom t,u\r\nwhere u.k=t.k and t.b='x' or t.a='y'"},
        // BETWEEN after an operator the analysis cut at keeps its AND.
        {"select a from t where k < case when a = 'x' then 1 end between 0 and k",
         "select a\r\nfrom t\r\nwhere k<case when a = 'x' then 1 end between 0 and k"},
        {"select a from t where k between (select max(k) from u where k between 1 and 2) and 5",
         "select a\r\nfrom t\r\nwhere k between (select max(k) from u where k between 1 and 2) and "
         "5"},
        // A CASE keeps its END whatever the data source.
        {"select case when a = 'x' then 1 end from t",
         "select case when a = 'x' then 1 end\r\nfrom t"},
        // Brackets around the upper bound of BETWEEN are the bound's; a
        // BETWEEN inside brackets has its AND.
        {"select a from t where (k between 0 and (5)) and b = 'x'",
         "select a\r\nfrom t\r\nwhere (k between 0 and (5)) and b='x'"},
        {"select a from t where (f(k between 1 and 2)) and b = 'x'",
         "select a\r\nfrom t\r\nwhere (f(k between 1 and 2) is true) and b='x'"},
        // A NOT before an operand's own brackets, or inside an operand.
        {"select a from t where (not ((k) = 1) or k > 0)",
         "select a\r\nfrom t\r\nwhere (not ((k)=1) or k>0)"},
        {"select a from t where (not (k = 1) or k > 0) = 0",
         "select a\r\nfrom t\r\nwhere (not (k = 1) or k > 0)=0"},
        // Of two columns alike but for case, the one written.
        {"select total from p", "select total\r\nfrom p"},
        // A right or full join after other joins keeps its table's rows
        // against all joined before it: written first, as a left join from
        // its table, with the joins before it in the place of the table it
        // joins.
        {"select t.a, w.h from t join u on u.k = t.k right join w on w.k = u.k",
         "select t.a,w.h\r\nfrom w LEFT JOIN (u JOIN t on u.k=t.k) on w.k=u.k"},
        {"select t.a, w.h from t left join u on u.k = t.k full join w on w.k = u.k",
         "select t.a,w.h\r\nfrom w FULL JOIN (u RIGHT JOIN t on u.k=t.k) on w.k=u.k"},
        // Each later join stands where the one before it was written.
        {"select t.a, x.h from t join u on u.k = t.k right join w on w.k = u.k right join x on "
         "x.h = w.k",
         "select t.a,x.h\r\nfrom x LEFT JOIN (w LEFT JOIN (u JOIN t on u.k=t.k) on w.k=u.k) on "
         "x.h=w.k"},
        // Inner joins before it alone: in any order.
        {"select t.a from t join u on u.k = t.k join w on w.k = t.k right join x on x.h = u.k",
         "select t.a\r\nfrom x LEFT JOIN (u JOIN (w JOIN t on w.k=t.k) on u.k=t.k) on x.h=u.k"},
        {"select t.a from t join u on u.k = t.k right join w on w.k = u.k join x on x.h = w.k",
         "select t.a\r\nfrom x JOIN (w LEFT JOIN (u JOIN t on u.k=t.k) on w.k=u.k) on x.h=w.k"},
        {"select k, t.a from t join u using (k) right join w using (k)",
         "select w.k,t.a\r\nfrom (t JOIN u on t.k=u.k) RIGHT JOIN w on u.k=w.k"},
        // An inner join's further term before it stays in its ON.
        {"select t.a from t join u on u.k = t.k and u.f > 1 right join w on w.k = u.k",
         "select t.a\r\nfrom w LEFT JOIN (u JOIN t on u.k=t.k and u.f > 1) on w.k=u.k"},
        // An inner join after it on a box before it drops the rows it kept.
        {"select t.a from t join u on u.k = t.k right join w on w.k = u.k join x on x.h = t.k",
         "select t.a\r\nfrom (w INNER JOIN u on w.k=u.k) JOIN (x JOIN t on x.h=t.k) on u.k=t.k"},
        // A WITH RECURSIVE table that reads itself stands as a derived table
        // that defines it; the others of the list are sub-queries.
        {"with recursive r(n) as (select 1 union all select n + 1 from r where n < 3) select n "
         "from r",
         "select n\r\nfrom  (with recursive r(n) as (select 1 union all select n + 1 from r where "
         "n < 3) select * from r) r"},
        {"with recursive r(n) as (select 1 union all select n + 1 from r where n < 3) select "
         "t.a, r.n from t join r on r.n = t.k",
         "select t.a,r.n\r\nfrom (with recursive r(n) as (select 1 union all select n + 1 from r "
         "where n < 3) select * from r) r JOIN t on r.n=t.k"},
        {"with recursive r(n) as (select 1 union all select n + 1 from r where n < 3) select t.a "
         "from t where t.k in (select n from r)",
         "select a\r\nfrom t\r\nwhere k in (select n from (with recursive r(n) as (select 1 union "
         "all select n + 1 from r where n < 3) select * from r) r)"},
        // A WITH table first in a join in brackets is the sub-query too.
        {"with x as (select k from u) select t.a from t join (x join w on w.k = x.k) on x.k = t.k",
         "select t.a\r\nfrom (w JOIN (select k from u) x on w.k=x.k) JOIN t on x.k=t.k"},
        // A WITH table's column list names the first part of its union.
        {"with x(c) as (select a from t union select b from u) select c from x",
         "select c\r\nfrom  (select a as c from t union select b from u) x"},
        // A left join against two boxes at once after a cross join: the
        // boxes it keeps all rows of are cross joined where its ON sees them.
        {"select t.k, u.g, count(w.h) from t cross join u left join w on w.k = t.k and w.h = u.g "
         "group by t.k, u.g",
         "select t.k,u.g,count(w.h)\r\nfrom w RIGHT JOIN (t CROSS JOIN u) on w.k=t.k and w.h = u.g"
         "\r\ngroup by t.k,u.g"},
        // ... and after an inner join: written after the boxes its ON names.
        {"select t.a from t inner join u on t.k = u.f left join w on w.k = t.k and u.k = 3",
         "select t.a\r\nfrom w RIGHT JOIN (t INNER JOIN u on t.k=u.f) on w.k=t.k and u.k = 3"},
        {"select t.a, w.h from t join u on u.f = t.k join y on y.k = u.k left join w on w.k = t.k "
         "and w.h > y.h",
         "select t.a,w.h\r\nfrom u JOIN (w RIGHT JOIN (t CROSS JOIN y) on w.k=t.k and w.h > y.h) "
         "on "
         "u.f=t.k\r\nwhere y.k=u.k"},
        // ... a bare name of such a box too: the box named, the join after it.
        {"select t.a from t join u on u.k = t.k left join w on w.k = u.k and b = 'x'",
         "select t.a\r\nfrom w RIGHT JOIN (u JOIN t on u.k=t.k) on w.k=u.k and t.b = 'x'"},
        // An inner join on a box two outer joins gave nulls for makes both inner.
        {"select t.a from t left join u on u.k = t.k right join w on w.k = u.f join x on x.h = "
         "u.k",
         "select t.a\r\nfrom (w INNER JOIN (x JOIN u on x.h=u.k) on w.k=u.f) INNER JOIN t on "
         "u.k=t.k"},
        // A WHERE equality on a box of a join in brackets that an outer join
        // gave nulls for through another of its boxes stays a condition row.
        {"select t.a from t left join (u join w on w.k = u.k) on u.k = t.k, y where y.h = w.h",
         "select t.a\r\nfrom (w JOIN u on w.k=u.k) RIGHT JOIN t on u.k=t.k,y\r\nwhere y.h=w.h"},
        // A right join inside brackets gives nulls to the boxes of its
        // brackets alone: an inner join on a box outside leaves it outer.
        {"select t.a from t left join (u right join w on w.k = u.k) on u.f = t.k join y on y.a = "
         "t.a",
         "select t.a\r\nfrom (w LEFT JOIN u on w.k=u.k) RIGHT JOIN (y JOIN t on y.a=t.a) on "
         "u.f=t.k"},
        // A cross join binds as a join: USING after it sees the boxes before.
        {"select t.a, y.a from t cross join y left join w using (k, h)",
         "select t.a,y.a\r\nfrom (t CROSS JOIN y) LEFT JOIN w on t.k=w.k and y.h = w.h"},
        {"select t.a from t cross join y join w using (k)",
         "select t.a\r\nfrom t JOIN w on t.k=w.k,y"},
        // Brackets around a whole ON condition group nothing either.
        {"select t.a from t left join u on ((t.k = u.k and u.f = 1)) join w on (w.k = t.k)",
         "select t.a\r\nfrom (w JOIN t on w.k=t.k) LEFT JOIN u on t.k=u.k and u.f = 1"},
        // The same value under two names: the second in brackets, a text of its own.
        {"select k, count(*) c1, count(*) c2 from t group by k",
         "select k,count(*) as c1,(count(*)) as c2\r\nfrom t\r\ngroup by k"},
        {"select t.k, t.k x, t.k from t natural join w",
         "select t.k,t.k as x,(t.k)\r\nfrom t JOIN w on t.k=w.k"},
        // A derived table of a union whose parts stand in brackets.
        {"select q.k from ((select k from t ) except (select k from u)) q",
         "select k\r\nfrom  ((select k from t ) except (select k from u)) q"},
        // Brackets around the whole list of tables group nothing.
        {"select A.k, B.h from ((select k from t) as A, (select k, h from w) B) where A.k = B.k",
         "select A.k,B.h\r\nfrom  (select k from t) A, (select k, h from w) B\r\nwhere A.k=B.k"},
        // The statement after a WITH list may stand in brackets.
        {"with x as (select a from t where b = 'x') (select a from x)",
         "select a\r\nfrom  (select a from t where b = 'x') x"},
        // A bare GROUP BY name that several boxes have is the result column
        // of that name (MySQL's reading; the others refuse it).
        {"select u.k, count(*) from t right join u on t.k = u.k group by k",
         "select u.k,count(*)\r\nfrom t RIGHT JOIN u on t.k=u.k\r\ngroup by u.k"},
        // A first part in brackets with its own order and row limit keeps
        // them in a derived table; the design's would take the whole union.
        {"(select a from t order by b desc limit 2) union all (select a from u limit 1)",
         "select *\r\nfrom  (select a from t order by b desc limit 2) Q1\r\nunion all\r\n"
         "(select a from u limit 1)"},
        {"(select a from t order by a) union select a from u order by 1",
         "select *\r\nfrom  (select a from t order by a) Q1\r\nunion\r\nselect a from u order "
         "by 1"},
    };
    for (const auto& c : cases) {
        const TRun run = Rebuild(QString::fromUtf8(c.Sql));
        EXPECT_TRUE(run.Result.Ok) << c.Sql;
        EXPECT_EQ(run.Result.NotCarried, QStringList()) << c.Sql;
        EXPECT_EQ(run.Messages, QStringList()) << c.Sql;
        EXPECT_EQ(run.Result.Sql.SQL, QString::fromUtf8(c.Regenerated)) << c.Sql;
    }
}

// Under NOT, "x is true" would turn a null's unknown into true: such a
// truth value stays unread, and the rebuild says so.
TEST(RebuildShapes, ATruthValueUnderNotIsAnnouncedNotRewritten) {
    for (const char* sql : {"select a from t where not (b)", "select a from t where not (k = 1 or b)",
                            "select a from t where k = 2 and not ((b) and k = 1)"}) {
        const TRun run = Rebuild(QString::fromUtf8(sql));
        EXPECT_FALSE(run.Result.Ok) << sql;
        EXPECT_TRUE(run.Result.NotCarried.contains("b")) << sql;
    }
    const QueryDesign d = Rebuild("select a from t where not t.b").Result.Design;
    EXPECT_EQ(d.ConditionRows.value(0), QStringList({"", "not", "t.b", ""}));
    // Said by the rebuild itself, where the words come back elsewhere (in
    // the links NATURAL makes).
    const TRun natural = Rebuild("select t.a from t natural join w where not (t.a = 'x' and t.k)");
    EXPECT_TRUE(natural.Result.NotCarried.contains("t.k )"))
        << natural.Result.NotCarried.join(u'|').toStdString();
}

// Where the data source knows no IS TRUE, a truth value alone (SQL Server's
// CONTAINS, Oracle's REGEXP_LIKE) cannot be given one: announced.
TEST(RebuildShapes, ATruthValueAloneTakesIsTrueOnlyWhereTheDataSourceKnowsIt) {
    const char* sql = "select a from t where k = 1 and contains(t.b, 'x')";
    for (const int kind : {dsAccess, dsSqlServer, dsSybase, dsOracle, dsExcel}) {
        const TRun run = RebuildIn(TSqlDialect(kind), QString::fromUtf8(sql));
        EXPECT_FALSE(run.Result.Ok) << kind;
        EXPECT_TRUE(run.Result.NotCarried.contains("contains(t.b, 'x')")) << kind;
    }
    for (const TSqlDialect& dialect : {TSqlDialect(dsOther), TSqlDialect::Postgres()}) {
        const TRun run = RebuildIn(dialect, QString::fromUtf8(sql));
        EXPECT_TRUE(run.Result.Ok);
        EXPECT_TRUE(run.Result.Sql.SQL.contains("contains(b, 'x') is true"))
            << run.Result.Sql.SQL.toStdString();
    }
}

TEST(RebuildShapes, ExistsIsARowOfItsOwnAndExceptAUnionOperator) {
    const QueryDesign exists =
        Rebuild("select a from t where b = 'x' and not exists (select 1 from u)").Result.Design;
    EXPECT_EQ(exists.ConditionRows.value(1), QStringList({"", "not exists", "(select 1 from u)", ""}));

    for (const auto& [kind, op] : {std::pair{dsOther, "except"}, std::pair{dsOracle, "minus"}}) {
        const QueryDesign d = Rebuild("select a from t except select g from u", kind).Result.Design;
        EXPECT_EQ(d.UnionRows.value(0).value(3), QString::fromLatin1(op)) << kind;
        ASSERT_EQ(d.UnionSets.size(), 1);
        EXPECT_EQ(d.UnionSets[0].SQL, "select g from u");
    }
}

TEST(RebuildShapes, StarOverJoinsThatShareColumnsListsThemInTheDataSourcesOrder) {
    // SQLite keeps a shared column where the left side has it; MySQL shows
    // the shared ones first in the left side's order (the joined box's
    // after a right join), the others in the USING list's. Null: not
    // carried, "*" named.
    const struct {
        const char* Sql;
        const char* Sqlite;
        const char* MySql;
        const char* Others;
    } cases[] = {
        {"select * from t join u using (k)", "t.k,t.a,t.b,u.f,u.g", "t.k,t.a,t.b,u.f,u.g",
         "t.k,t.a,t.b,u.f,u.g"},
        {"select * from x join w using (h, k)", "x.k,x.h", "x.k,x.h", "x.h,x.k"},
        {"select * from t natural join y", "t.k,t.a,t.b,y.h", "t.a,t.k,t.b,y.h", "t.a,t.k,t.b,y.h"},
        {"select * from u natural join y natural join t", "u.k,u.f,u.g,y.a,y.h,t.b",
         "u.k,y.a,u.f,u.g,y.h,t.b", "u.k,y.a,u.f,u.g,y.h,t.b"},
        {"select * from t left join w using (k), y", "t.k,t.a,t.b,w.h,y.a,y.h",
         "t.k,t.a,t.b,w.h,y.a,y.h", "t.k,t.a,t.b,w.h,y.a,y.h"},
        {"select *, 1 from y join x using (h)", "y.a,y.h,x.k,1", "y.h,y.a,x.k,1", "y.h,y.a,x.k,1"},
        {"select * from y join t on y.a = t.a join w using (k)", "y.a,y.h,t.k,t.a,t.b,w.h",
         "t.k,y.a,y.h,t.a,t.b,w.h", "t.k,y.a,y.h,t.a,t.b,w.h"},
        // After a right join the merged value is the joined box's column;
        // MySQL reads the join from that side.
        {"select * from t right join u using (k)", "u.k,t.a,t.b,u.f,u.g", "u.k,u.f,u.g,t.a,t.b",
         "u.k,t.a,t.b,u.f,u.g"},
        {"select * from t natural right join y", "t.k,y.a,t.b,y.h", "y.a,y.h,t.k,t.b",
         "y.a,t.k,t.b,y.h"},
        // A box lacks the column, or the column is ambiguous on the left.
        // After a full join it is the first of the two that is not null
        // (MySQL has no full join).
        {"select * from t full join u using (k)", "coalesce(t.k, u.k) as k,t.a,t.b,u.f,u.g",
         nullptr, "coalesce(t.k, u.k) as k,t.a,t.b,u.f,u.g"},
        {"select * from t natural full join y", "t.k,coalesce(t.a, y.a) as a,t.b,y.h", nullptr,
         "coalesce(t.a, y.a) as a,t.k,t.b,y.h"},
        // ... unless that name is another column's alias.
        {"select *, t.b as a from t natural full join y", nullptr, nullptr, nullptr},
        {"select * from x join y using (h, a)", nullptr, nullptr, nullptr},
        {"select * from t join u on t.k = u.k join w using (k)", nullptr, nullptr, nullptr},
        // A box with two columns of one name: a reference means the first.
        {"select * from p natural join t", nullptr, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        const std::pair<TSqlDialect, const char*> expected[] = {
            {TSqlDialect::Sqlite(), c.Sqlite},
            {TSqlDialect::MySql(), c.MySql},
            {TSqlDialect::Postgres(), c.Others}};
        for (const auto& [dialect, columns] : expected) {
            const TRun run = RebuildIn(dialect, QString::fromUtf8(c.Sql));
            if (!columns) {
                EXPECT_FALSE(run.Result.Ok) << c.Sql;
                EXPECT_TRUE(run.Result.NotCarried.contains("*")) << c.Sql;
                continue;
            }
            EXPECT_TRUE(run.Result.Ok) << c.Sql << run.Result.NotCarried.join('|').toStdString();
            const QString select = run.Result.Sql.SQL.section("\r\n", 0, 0).remove('`');
            EXPECT_EQ(select, "select " + QString::fromUtf8(columns)) << c.Sql;
        }
    }
}

TEST(RebuildShapes, WhatCannotBeDrawnIsRefusedWithAReason) {
    const struct {
        const char* Sql;
        const char* Says;
    } cases[] = {
        {"with x as (select k, random() r from t) select x.k from x, x y", "被使用了2次"},
        // A table read before it is defined.
        {"with recursive r(n) as (select k from q), q(k) as (select k from t) select n from r",
         "WITH RECURSIVE"},
        {"with x(c, d) as (select * from t) select c from x", "列名列表"},
        // The body would read the new names: its ORDER BY, its windows.
        {"with x(k) as (select a from t order by k limit 1) select k from x", "列名列表"},
        {"with x(c, d) as (select a d, k c from t order by d limit 1) select c from x", "列名列表"},
        {"with x(k, n) as (select a, row_number() over (order by k) from t) select n from x",
         "列名列表"},
        // The aliases would hide the names a union's ORDER BY sorts by.
        {"with x(c) as (select a from t union select b from u order by a) select c from x",
         "列名列表"},
        {"select n from (select k, count(*) from t group by k) as c (k) ", "列名列表"},
        {"select distinct on (k) k, a from t order by k", "DISTINCT ON"},
        {"select a from t union SELECT Distinct On(k) k from u", "DISTINCT ON"},
        {"select sql_calc_found_rows a from t limit 3", "SQL_CALC_FOUND_ROWS"},
        {"select distinct SQL_NO_CACHE a from t", "SQL_NO_CACHE"},
        // A sub-query that reads the tables before it.
        {"select t.a, x.n from t cross join lateral (select count(*) n from u where u.k = t.k) x",
         "LATERAL"},
        {"select t.a from t, lateral (select u.g from u where u.k = t.k) x", "LATERAL"},
    };
    for (const auto& c : cases) {
        const TRun run = Rebuild(QString::fromUtf8(c.Sql));
        EXPECT_FALSE(run.Result.Ok) << c.Sql;
        ASSERT_EQ(run.Messages.size(), 1) << c.Sql;
        EXPECT_TRUE(run.Messages.first().contains(QString::fromUtf8(c.Says)))
            << run.Messages.first().toStdString();
    }
}

// MySQL and MariaDB do not all read a name that an inner WITH declares
// again as the standard does: such a statement is refused there.
TEST(RebuildShapes, AWithTableDeclaredAgainInsideIsRefusedOnMySql) {
    const QString sql = QStringLiteral(
        "with m as (select k, a from t) select d.a from (with m as (select t.a from t join m o on "
        "o.k = t.k) select a from m) d");
    const TRun run = RebuildIn(TSqlDialect::MySql(), sql);
    EXPECT_FALSE(run.Result.Ok);
    ASSERT_EQ(run.Messages.size(), 1);
    EXPECT_TRUE(run.Messages.first().contains(QStringLiteral("“m”在内层的WITH中又被定义")))
        << run.Messages.first().toStdString();
}

TEST(RebuildShapes, AFurtherJoinConditionTravelsWithTheLinkThroughTheStateText) {
    const TRun run = Rebuild("select t.a from t left join u on t.k = u.k and u.f > 100");
    ASSERT_EQ(run.Result.Design.Links.size(), 1);
    EXPECT_EQ(run.Result.Design.Links[0].Condition, "u.f > 100");
    const QStringList state = GetSQLSet(run.Result.Design, run.Result.Sql.SQL, dsOther);
    EXPECT_TRUE(state.contains("L1=u.f > 100")) << state.join('\n').toStdString();
    QueryDesign back;
    SetSQLSet(back, state, dsOther, Shop().Hooks());
    ASSERT_EQ(back.Links.size(), 1);
    EXPECT_EQ(back.Links[0].Condition, "u.f > 100");
    EXPECT_EQ(back.Links[0].JoinType, 1);
    // A text without further conditions has no section for them.
    const QStringList plain =
        GetSQLSet(Rebuild("select t.a from t, u where t.k = u.k").Result.Design, "select 1", dsOther);
    EXPECT_FALSE(plain.join('\n').contains("LinkCondition"));
}

// A quote escaped by a backslash, where the data source reads strings so, is
// carried as the doubled quote every reading takes for the same value; a
// MySQL-only way of writing a join as the join.
TEST(RebuildShapes, DialectWaysOfWritingAreCarriedAsTheSameRows) {
    const struct {
        TSqlDialect Dialect;
        const char* Sql;
        const char* Where;
    } cases[] = {
        {TSqlDialect::MySql(), R"(select a from t where b = 'it\'s' or b = "x\"y" or b = 'c\\')",
         R"(where b='it''s' or b="x""y" or b='c\\')"},
        {TSqlDialect::Postgres(), R"(select a from t where b = E'it\'s' and a = 'c\')",
         R"(where b=E'it''s' and a='c\')"},
        {TSqlDialect::Postgres(), "select a from t where b = $$it's$$ and a <> $q$x--y$q$",
         "where b='it''s' and a<>'x--y'"},
        {TSqlDialect::Postgres(), "select a from t where b = 'x'\n  'y' -- z\n 'w'",
         "where b='xyw'"},
        {TSqlDialect::MySql(), "select `o`.a from t as `o` where o.b = 'x'", "where o.b='x'"},
        // PostgreSQL tells "Total" from total: a join reads the one it names.
        {TSqlDialect::Postgres(), "select g from pt join p on pt.\"Total\" = p.total",
         "on pt.\"Total\"=p.total"},
        {TSqlDialect::Postgres(), "select g from pt natural join p", "on pt.\"Total\"=p.\"Total\""},
        {TSqlDialect::Postgres(), "select total from p join pt using (\"Total\")",
         "select p.total\r\nfrom p JOIN pt on p.\"Total\"=pt.\"Total\""},
        // PostgreSQL's column of an inner USING join is the side it need not
        // convert, the integer key here: grouped by it, its table's other
        // columns may be named.
        {TSqlDialect::Postgres(), "select cn, count(*) from ad join ci using (ck) group by ck",
         "group by ci.ck"},
        {TSqlDialect::Postgres(), "select cn, count(*) from ci join ad using (ck) group by ck",
         "group by ci.ck"},
        {TSqlDialect::Postgres(), "select ck from ad left join ci using (ck) group by ck",
         "select ad.ck\r\nfrom ad LEFT JOIN ci on ad.ck=ci.ck\r\ngroup by ad.ck"},
        {TSqlDialect::Sqlite(), "select cn, count(*) from ad join ci using (ck) group by ck",
         "group by ad.ck"},
        // A sort or group name is the column or alias it names as the data
        // source reads names: PostgreSQL's b is no "B", and neither
        // PostgreSQL nor SQLite folds letters beyond A-Z (Ä is no ä).
        {TSqlDialect::Postgres(), "select a as \"B\", b from t order by b limit 2",
         "from t\r\norder by 2"},
        {TSqlDialect::Sqlite(), "select k as Ä, ä from tu order by ä limit 2",
         "from tu\r\norder by 2"},
        {TSqlDialect::Sqlite(), "select sum(k) from tu group by Ä", "group by Ä"},
        // A shared column written bare in a sub-select names the join's
        // column where the sub-select's tables lack it, else their own.
        {TSqlDialect::Sqlite(),
         "select t.a from t join u using (k) where exists (select 1 from y where y.h = k)",
         "where exists (select 1 from y where y.h = t.k)"},
        {TSqlDialect::Sqlite(),
         "select t.a from t join u using (k) where exists (select 1 from w where w.h = k)",
         "where exists (select 1 from w where w.h = k)"},
        // A table's name in a sub-select that spells a shared column stays.
        {TSqlDialect::Sqlite(),
         "select t.a from t join u using (k) where t.a in (select k.h from w k)",
         "(select k.h from w k)"},
        {TSqlDialect::Sqlite(),
         "select k from t where (case when k between 1 and 3 then 2 end = 2) and exists (select 1 "
         "from u)",
         "end=2) and exists (select 1 from u)"},
        // AND and OR inside CASE belong to its WHEN; a CASE as the lower
        // bound of BETWEEN leaves the AND after it the BETWEEN's.
        {TSqlDialect::Sqlite(),
         "select k from t where case when k between 2 and 3 then 1 else 0 end = 1",
         "where case when k between 2 and 3 then 1 else 0 end=1"},
        {TSqlDialect::Sqlite(),
         "select k from t where k between case when k = 1 then 1 else 0 end and (k)",
         "where k between case when k=1 then 1 else 0 end and (k)"},
        // A name in brackets that another column's alias would take sorts by
        // its position; a number's dot keeps its blanks.
        {TSqlDialect::Sqlite(), "select (t.k) as x, length(t.a) as k from t order by 1",
         "order by 1"},
        {TSqlDialect::Sqlite(), "select 5. x, case when .5 > k then 1 end from t",
         "select 5. as x,case when .5 > k then 1 end"},
        {TSqlDialect::Sqlite(), "select k from t where k > 5. and a > 1. order by 1",
         "where k>5. and a>1.\r\norder by k"},
        // A position is no name: not the "2" of the constant 1.2, and a
        // constant, also in brackets, sorts by its position.
        {TSqlDialect::Sqlite(), "select 1.2, a from t group by 2", "group by 2"},
        {TSqlDialect::Sqlite(), "select a, (10) as n from t order by 2, a", "order by 2,"},
        {TSqlDialect::Postgres(), "select 'a' as x, 'a' as y from t order by 2", "order by 2"},
        {TSqlDialect::Postgres(), "select tu.k from tu join t on t.k = tu.Ä", "on t.k=tu.Ä"},
        // PostgreSQL tells a quoted WITH name from the bare one.
        {TSqlDialect::Postgres(),
         "with \"M\" as (select k from t), m as (select a from t) select m.a from m",
         "from  (select a from t) m"},
        {TSqlDialect::Postgres(),
         "with m as (select a from t), \"M\" as (select k from t) select \"M\".k from \"M\"",
         "from  (select k from t) \"M\""},
        // MySQL's CROSS JOIN with ON is an inner join.
        {TSqlDialect::MySql(), "select t.a from t cross join u on t.k = u.k where u.g = 'x'",
         "from t JOIN u on t.k=u.k\r\nwhere u.g='x'"},
        // An apostrophe in MySQL's double-quoted string, a line break in a
        // string: the same characters come back.
        {TSqlDialect::MySql(), "select * from (select a as \"d'x\" from t where b = \"it's\") q",
         "(select a as \"d'x\" from t where b = \"it's\") q"},
        {TSqlDialect::Sqlite(), "select 'a\nb' x, a from t where b <> 'c\r\nd'",
         "select 'a\nb' as x,a\r\nfrom t\r\nwhere b<>'c\r\nd'"},
        // MySQL's && is AND.
        {TSqlDialect::MySql(), "select a from t where not (k = 1) && not (k = 2)",
         "where not (k=1) and not (k=2)"},
        // In MySQL "2" after '1' is a string the server joins to it.
        {TSqlDialect::MySql(), "select '1' \"2\" from t", "select '1' \"2\""},
        {TSqlDialect::MySql(), "select \"1\" as \"2\" from t order by 1", "order by 1"},
        // In MySQL "--" before no blank is two minus signs, not a comment.
        {TSqlDialect::MySql(), "select\n  --k,\n  a from t where k > 1500 --1\n order by 1",
         "select - -k,a\r\nfrom t\r\nwhere k>1500 - -1"},
        // MySQL's join that only fixes the order is an inner join.
        {TSqlDialect::MySql(), "select t.a from t straight_join u on u.k = t.k where u.g = 'x'",
         "from u JOIN t on u.k=t.k\r\nwhere u.g='x'"},
        // PostgreSQL names a CASE after its ELSE column, a cast after what
        // it casts: a sort column of that name keeps its position.
        {TSqlDialect::Postgres(),
         "select case when a = 'x' then b else t.a end, a from t order by t.a", "order by 2"},
        {TSqlDialect::Postgres(), "select (t.k)::text, a, k from t order by t.k desc",
         "order by 3 desc"},
        {TSqlDialect::Postgres(), "select cast(t.k as text), k from t order by t.k", "order by 2"},
        {TSqlDialect::Sqlite(),
         "select case when a = 'x' then b else t.a end, a from t order by t.a", "order by a"},
        // A bare sort name is first a result column's name, also one
        // without an alias (not in SQLite, which reads only aliases so).
        {TSqlDialect::Postgres(), "select u.k, t.a from t left join u on t.k = u.k order by k",
         "order by u.k"},
        {TSqlDialect::MySql(), "select u.k, t.a from t left join u using (k) order by k desc",
         "order by u.k desc"},
        {TSqlDialect::Postgres(), "select t.a, u.k from u right join t using (k) order by k, a",
         "order by u.k,t.a"},
        {TSqlDialect::Sqlite(), "select u.k, t.a from t left join u using (k) order by k",
         "order by t.k"},
        // An alias in quotes the data source reads, written in its own.
        {TSqlDialect::Sqlite(), "select a as `x y`, b as [z] from t",
         "select a as \"x y\",b as \"z\""},
        {TSqlDialect::MySql(), "select a as 'x y', b as `z` from t", "select a as `x y`,b as `z`"},
        // MySQL's words that steer how the server finds the rows go.
        {TSqlDialect::MySql(),
         "select distinctrow sql_no_cache high_priority t.a from t force index (k, g) join u use "
         "key for join (k), ignore index (g) on u.k = t.k",
         "select distinct t.a\r\nfrom u JOIN t on u.k=t.k"},
        // So do SQL Server's table and query hints, but not a name in
        // brackets that a hint's word names, nor a limit of recursion.
        {TSqlDialect(dsSqlServer),
         "select x.a from t x with (nolock, index = ix_t) join u with (index(ix_u), "
         "forceseek) on u.k = x.k where x.a in (nolock) option (maxdop 1, recompile);",
         "from u JOIN t x on u.k=x.k\r\nwhere x.a in (nolock)"},
        {TSqlDialect(dsSqlServer), "select max(nolock) as m from t as x (nolock), u (holdlock)",
         "select max(nolock) as m\r\nfrom t x,u"},
        {TSqlDialect(dsSqlServer),
         "select t.a from t inner loop join u on u.k = t.k left outer hash join w on w.k = u.k",
         "from (w RIGHT OUTER JOIN u on w.k=u.k) INNER JOIN t on u.k=t.k"},
        {TSqlDialect(dsSqlServer), "select t.a from t where t.k > 1 option (maxrecursion 5)",
         "where k>1 option (maxrecursion 5)"},
        // SQLite's comma with ON is an inner join.
        {TSqlDialect::Sqlite(), "select t.a from t, u as x on x.k = t.k, w where w.k = t.k",
         "from u x JOIN (w INNER JOIN t on w.k=t.k) on x.k=t.k"},
        // PostgreSQL's standard row limit is the design's LIMIT; WITH TIES
        // keeps more rows than a LIMIT and stays as written.
        {TSqlDialect::Postgres(), "select t.a from t offset 5 rows;",
         "from t\r\nlimit all offset 5"},
        {TSqlDialect::Postgres(), "select t.a from t fetch first row only", "from t\r\nlimit 1"},
        {TSqlDialect::Postgres(),
         "select t.a from t order by t.a offset 2 rows fetch next (1 + 2) rows only",
         "order by a\r\nlimit (1 + 2) offset 2"},
        {TSqlDialect::Postgres(), "select t.a from t order by t.a fetch first 3 rows with ties",
         "order by a fetch first 3 rows with ties"},
        // MySQL's DUAL names no table.
        {TSqlDialect::MySql(), "select now() as x, 2 from dual", "select now() as x,2"},
        // A name in quotes the database reads as the bare one is that name:
        // the outer join's condition naming it bare is its link.
        {TSqlDialect::Postgres(), "select o.a from t \"o\" left join u on o.k = u.k",
         "from t o LEFT JOIN u on o.k=u.k"},
        {TSqlDialect::Sqlite(), "select q.k from (select k from w) \"q\" right join u on q.k = u.k",
         "from (select k from w) q RIGHT JOIN u on q.k=u.k"},
        {TSqlDialect::Postgres(), "select \"O\".a from t \"O\" left join u on \"O\".k = u.k",
         "from t \"O\" LEFT JOIN u on \"O\".k=u.k"},
        // Where bare names fold, a quoted one keeps its letter case: "Total"
        // and total are two columns.
        {TSqlDialect::Postgres(), "select count(*) from p x group by x.\"total\"",
         "group by x.total"},
        {TSqlDialect::Postgres(), "select count(*) from p x group by x.\"Total\"",
         "group by x.\"Total\""},
        // A column named by a key word stays a column where its box's name
        // goes; MariaDB's own key words are quoted.
        {TSqlDialect::Postgres(),
         "select x.k from (select k, a as null, b as user from t) x where x.null is null and "
         "x.user = 'q'",
         "where \"null\" is null and \"user\"='q'"},
        {TSqlDialect::MySql(), "select sql_cache.a from t sql_cache where sql_cache.k > 1",
         "select sql_cache.a\r\nfrom t sql_cache\r\nwhere sql_cache.k>1"},
        {TSqlDialect::MySql(),
         "select `portion`.a from t `portion` left join u on u.k = `portion`.k",
         "from u RIGHT JOIN t `portion` on u.k=`portion`.k"},
        // A word SQLite reads as a table's name where one stands is that name.
        {TSqlDialect::Sqlite(), "select first.h from t natural join w first",
         "from t JOIN w first on t.k=first.k"},
        {TSqlDialect::Sqlite(),
         "select offset.h from t left join w offset on offset.k = t.k and offset.h > 'm' left "
         "join u on u.k = offset.k",
         "RIGHT JOIN t on \"offset\".k=t.k and \"offset\".h > 'm'"},
        {TSqlDialect::Sqlite(), "select window.a from t as window order by 1 limit 2 offset 1",
         "from t \"window\"\r\norder by \"window\".a\r\nlimit 2 offset 1"},
        // PostgreSQL folds a bare alias: the quoted one is folded as well.
        {TSqlDialect::Postgres(), "select a as Total$ from t order by Total$",
         "select a as \"total$\"\r\nfrom t\r\norder by Total$"},
        {TSqlDialect::MySql(), "select a as Total$ from t", "select a as `Total$`"},
        // A word operator or MySQL's prefix BINARY before the last word: that
        // word is an operand, no alias; so is a column after "t. ".
        {TSqlDialect::MySql(), "select null regexp \"a\", a div k, a mod k from t",
         "select null regexp \"a\",a div k,a mod k\r\nfrom t"},
        {TSqlDialect::MySql(), "select binary a, a xor k, a not rlike b from t",
         "select binary a,a xor k,a not rlike b\r\nfrom t"},
        {TSqlDialect::Sqlite(), "select a glob b, a match b, t. a from t",
         "select a glob b,a match b,a\r\nfrom t"},
        {TSqlDialect::Postgres(), "select a ilike b, a similar to b, t.mod x from t",
         "select a ilike b,a similar to b,mod as x\r\nfrom t"},
        // PostgreSQL's operators of symbols, units of an interval, types of
        // several words and AT TIME ZONE take the word after them too; a
        // clause word after AS is an alias, quoted.
        {TSqlDialect::Postgres(), "select a # b, a ? k, @ a, a operator(pg_catalog.+) b from t",
         "select a # b,a ? k,@ a,a operator(pg_catalog.+) b\r\nfrom t"},
        {TSqlDialect::Postgres(), "select interval '1' year, k::interval day from t",
         "select interval '1' year,k::interval day\r\nfrom t"},
        {TSqlDialect::Postgres(), "select a::double precision, b::character varying from t",
         "select a::double precision,b::character varying\r\nfrom t"},
        {TSqlDialect::Postgres(), "select k at time zone a, k::time with time zone from t",
         "select k at time zone a,k::time with time zone\r\nfrom t"},
        {TSqlDialect::Postgres(), "select a as limit, b as union from t",
         "select a as \"limit\",b as \"union\"\r\nfrom t"},
        {TSqlDialect::MySql(), "select a as limit from t", "select a as `limit`\r\nfrom t"},
        // An alias after a type that ends in "time zone", any alias after
        // AS, a string with a prefix at its position, a row in brackets, a
        // prefix operator after a comparison.
        {TSqlDialect::Postgres(), "select a, k::timestamp with time zone x from t order by 2",
         "k::timestamp with time zone as x\r\nfrom t\r\norder by k::timestamp with time zone"},
        {TSqlDialect::Postgres(), "select a as array, b as isnull from t order by 1, 2",
         "order by a,b"},
        {TSqlDialect::Postgres(), "select a, E'x\\ty' from t order by 2", "order by 2"},
        {TSqlDialect::Postgres(), "select (a, b) from t", "select (a, b)\r\nfrom t"},
        {TSqlDialect::Postgres(), "select array[[a, b], [k, a]], k from t order by 1, 2",
         "order by array[[a, b], [k, a]],k"},
        {TSqlDialect::Postgres(), "select a from t where a = @ b and b <@ k",
         "where a= @ b and b<@ k"},
        // A reserved word written bare is no column (the function user).
        {TSqlDialect::Postgres(), "select user, kid from ku", "select user,kid"},
        // A column named with its table's schema keeps the whole name where
        // the single box's name goes.
        {TSqlDialect::Sqlite(), "select main.t.a, main.t.b x from t where main.t.k > 0",
         "select main.t.a,main.t.b as x\r\nfrom t\r\nwhere main.t.k>0"},
        // A statement in brackets with an ORDER BY or a row limit after it:
        // a derived table when the brackets hold a row limit of their own.
        {TSqlDialect::MySql(), "(select a from t where k = 1) order by 1 desc",
         "select a\r\nfrom t\r\nwhere k=1\r\norder by a desc"},
        {TSqlDialect::MySql(), "(select a, k from t order by a limit 3) order by 2 limit 2",
         "(select a, k from t order by a limit 3) Q1\r\norder by 2\r\nlimit 2"},
        // A sub-select as a bound of BETWEEN keeps its conditions inside it.
        {TSqlDialect::Sqlite(),
         "select a from t where k between (select min(k) from u) and (select max(k) from u "
         "where a = 'x') and b > 1",
         "where k between (select min(k) from u) and (select max(k) from u where a = 'x') and b>1"},
        {TSqlDialect::Sqlite(),
         "select k, count(*) from t group by k having count(*) not between 2 and (select 3 "
         "where 1 = 1)",
         "having count(*) not between 2 and (select 3 where 1 = 1)"},
        // NOT over a group whose brackets the reading took off with a term's
        // or an item's own; a sub-select alone and BETWEEN in ON keep theirs.
        {TSqlDialect::Sqlite(), "select t.a from t left join u on u.k = t.k and not ((t.a) = 1)",
         "and not ((t.a) = 1)"},
        {TSqlDialect::Sqlite(), "select a, (not (a = 1 or b = 2)) from t",
         "select a,not (a = 1 or b = 2)"},
        {TSqlDialect::Sqlite(), "select t.a from t left join u on u.k = t.k and (select 1)",
         "on u.k=t.k and (select 1)"},
        {TSqlDialect::Sqlite(),
         "select t.a from t left join u on u.k = t.k and t.a between 0 and (u.k in (1, 2))",
         "and t.a between 0 and (u.k in (1, 2))"},
        {TSqlDialect::Sqlite(),
         "select t.a from t join u on u.k = t.k and (t.a, t.b) between (1, 0) and (2, 15)",
         "(t.a, t.b) between (1, 0) and (2, 15)"},
        // A hexadecimal constant keeps its ORDER BY position; a collation
        // named binary, END without a CASE and WITH alone are no operators.
        {TSqlDialect::Sqlite(), "select a, 0x1F from t order by 2", "order by 2"},
        {TSqlDialect::Sqlite(), "select b collate binary x, a end from t order by 1",
         "select b collate binary as x,a as end\r\nfrom t\r\norder by b collate binary"},
        {TSqlDialect::Sqlite(), "select a as with from t order by with", "order by with"},
        // SQLite reads a string where a table's name stands as that name.
        {TSqlDialect::Sqlite(), "select x.a from 't' x join 'u' on u.k = x.k",
         "from u JOIN t x on u.k=x.k"},
        // One group of all rows; OFFSET after FETCH.
        {TSqlDialect::Postgres(), "select count(*) from t group by () having count(*) > 1",
         "group by ()\r\nhaving count(*) >1"},
        {TSqlDialect::Postgres(),
         "select t.a from t order by t.a fetch first 5 rows only offset 10",
         "order by a\r\nlimit 5 offset 10"},
        {TSqlDialect::Postgres(),
         "select t.a from t order by t.a fetch next row with ties offset 10 rows",
         "order by a offset 10 fetch next row with ties"},
        // Blanks of a string in double quotes stay inside brackets too.
        {TSqlDialect::MySql(), "select upper(\"  a\") as x, concat(\"b \t  c\", 'd') from t",
         "select upper(\"  a\") as x,concat(\"b \t  c\", 'd')"},
        // A string after an operand names the column; a literal's prefix is
        // no column of a box.
        {TSqlDialect::MySql(), "select k, a 'x', x'41' \"y\" from t order by 2, 3",
         "select k,a as `x`,x'41' as \"y\"\r\nfrom t\r\norder by a,3"},
        {TSqlDialect::MySql(), "select k, N'x' \"y\", k <=> null 'z' from t",
         "select k,N'x' \"y\",k <=> null as `z`"},
        {TSqlDialect::MySql(), "select t.a from t left join u on u.k = t.k and b'1' = b",
         "and b'1' = t.b"},
        // MySQL's || and XOR in brackets in an ON keep their brackets.
        {TSqlDialect::MySql(), "select t.a from t join u on u.k = t.k and (u.k = 1 || t.a = 2)",
         "(u.k=1 || t.a = 2)"},
        // Where double quotes hold strings, ORDER BY "a" sorts by a constant.
        {TSqlDialect::MySql(), "select a from t order by \"a\" desc limit 1",
         "order by \"a\" desc"},
        // MySQL's full-text test is one truth value.
        {TSqlDialect::MySql(), "select a from t where match(a, b) against ('x y') and k = 1",
         "where match(a, b) against ('x y') is true and k=1"},
        {TSqlDialect::MySql(), "select k from sp where `b c(d)` and k - 1",
         "where `b c(d)` is true and (k - 1) is true"},
        // PostgreSQL's operators that answer true or false: rows of theirs.
        {TSqlDialect::Postgres(),
         "select a from t where b @@ to_tsquery('x') and (a ? 'k' or a ?| array['m']) and b && a",
         "where b @@ to_tsquery('x') and (a ? 'k' or a ?| array['m']) and b && a"},
        {TSqlDialect::Postgres(), "select a from t where b ^@ 'x' and k > 1",
         "where b ^@ 'x' and k>1"},
    };
    for (const auto& c : cases) {
        const TForgeResult r = RebuildIn(c.Dialect, QString::fromUtf8(c.Sql)).Result;
        EXPECT_TRUE(r.Ok) << c.Sql;
        EXPECT_EQ(r.NotCarried, QStringList()) << c.Sql;
        EXPECT_TRUE(r.Sql.SQL.contains(QString::fromUtf8(c.Where))) << r.Sql.SQL.toStdString();
    }
}

// MySQL's XOR and || bind more loosely than AND: an ON that mixes them
// with AND outside brackets is announced, as one with OR is.
TEST(RebuildShapes, LooserConnectorsOfMySqlInAnOnAreAnnounced) {
    for (const char* sql : {"select t.a from t join u on u.k = t.k and t.a > 1 xor t.b > 10",
                            "select t.a from t left join u on t.a = 1 || t.b = 2 and u.k = t.k"}) {
        const TForgeResult r = RebuildIn(TSqlDialect::MySql(), QString::fromUtf8(sql)).Result;
        EXPECT_FALSE(r.Ok) << sql;
        EXPECT_FALSE(r.NotCarried.isEmpty()) << sql;
    }
}

// MySQL's || (OR there) joining two truth values: no "is true" can be
// given to them as one, and the rebuild says so.
TEST(RebuildShapes, TruthValuesJoinedByDoubleBarsAreAnnounced) {
    const TForgeResult r =
        RebuildIn(TSqlDialect::MySql(),
                  QStringLiteral("select a from t where not (k = 1) || not (k = 2)"))
            .Result;
    EXPECT_FALSE(r.Ok);
    EXPECT_FALSE(r.NotCarried.isEmpty());
}

// SQLite could compare the columns of a WITH table made of united parts
// with other affinities than those of the same sub-query in FROM: there it
// stays a WITH table, in a derived table of its own.
TEST(RebuildShapes, ASqliteWithTableOfUnitedPartsStaysOne) {
    const QString sql =
        QStringLiteral("with d as (select k from t union all select k from u) select k from d");
    const std::pair<TSqlDialect, const char*> cases[] = {
        {TSqlDialect::Sqlite(), "select k\r\nfrom  (with d as (select k from t union all select k "
                                "from u) select * from d) d"},
        {TSqlDialect::Postgres(),
         "select k\r\nfrom  (select k from t union all select k from u) d"}};
    for (const auto& [dialect, regenerated] : cases) {
        const TRun run = RebuildIn(dialect, sql);
        EXPECT_TRUE(run.Result.Ok) << run.Result.NotCarried.join(u'|').toStdString();
        EXPECT_EQ(run.Result.Sql.SQL, QString::fromUtf8(regenerated));
    }
}

// SQLite reads "x in name" as the rows of that table: a WITH table named
// there is its sub-query.
TEST(RebuildShapes, ASqliteWithTableAfterInIsItsSubQuery) {
    const TRun run = RebuildIn(
        TSqlDialect::Sqlite(),
        "with m as (select k from u where f > 1) select a from t where k in m and k not in m");
    EXPECT_TRUE(run.Result.Ok) << run.Result.NotCarried.join('|').toStdString();
    EXPECT_EQ(run.Result.Sql.SQL, "select a\r\nfrom t\r\nwhere k in (select k from u where f > 1) "
                                  "and k not in (select k from u where f > 1)");
}

// Joins the design would write in another order or nesting, with other
// rows, are announced.
TEST(RebuildShapes, JoinsTheDesignWouldReorderAreAnnounced) {
    const struct {
        const char* Sql;
        const char* Part;
    } cases[] = {
        {"select t.a from t left join (u inner join w on w.k = u.k and u.f < 5) on t.k = u.k",
         "(u inner join w on w.k = u.k and u.f < 5)"},
        // AND binds closer than OR: an ON cut at its ANDs would not.
        {"select t.a from t join u on t.k = u.k and u.f = 1 or u.g = 'x'",
         "on t.k = u.k and u.f = 1 or u.g = 'x'"},
        // What a right or full join after other joins preserves: a comma or
        // a join after it on a box before it would nest it inside the
        // others, and a term of a join before it that names a third box
        // would be written before that box is joined.
        {"select t.a from t, u full outer join w on w.k = u.k", "full outer join w"},
        {"select t.a from t join u on u.k = t.k right join w on w.k = u.k left join x on x.h = t.k",
         "right join w"},
        {"select t.a from t join u on u.k = t.k right join w on w.k = u.k right join x on x.h = "
         "t.k",
         "right join w"},
        {"select t.a from t join u on u.k = t.k join w on w.k = u.k and t.a = 'x' right join x on "
         "x.h = w.k",
         "t.a = 'x'"},
        {"select t.a from t join u on u.k = t.k join w on w.k = u.k and \"t\".a = 'x' right join "
         "x on x.h = w.k",
         "\"t\".a = 'x'"},
        // An inner join on a box a full join gave nulls for, even after
        // another outer join gave it nulls again.
        {"select t.a from t full join u on u.k = t.k right join w on w.k = u.f join x on x.h = "
         "u.k",
         "x.h = u.k"},
        // A left join against two boxes at once whose kept box an outer
        // join before gave nulls: cross joined with it, the other would take
        // them too.
        {"select t.a from t left join u on u.k = t.k cross join y left join w on w.k = u.k and "
         "w.h = y.h",
         "w.k = u.k and w.h = y.h"},
        {"select t.a from t left join u on u.k = t.k cross join y left join w on w.k = u.k and "
         "\"y\".h > 'm'",
         "w.k = u.k and \"y\".h > 'm'"},
        // OR meets AND in an ON after a bracket.
        {"select t.a from t join u on u.k = t.k and (u.f = 1) or u.g = 'x'",
         "on u.k = t.k and (u.f = 1) or u.g = 'x'"},
        // A join whose ON follows another join's nests that join, brackets or not.
        {"select t.a from t left join u join w on w.k = u.k on u.k = t.k",
         "left join u join w on w.k = u.k on"},
        // OR meets AND in the ON of a join in brackets; an inner join's
        // further term in doubled brackets on the side a right join gives
        // nulls for.
        {"select t.a from (t left join u on t.k = u.k and u.f > 1 or u.g = 'x') join w on w.k = "
         "t.k",
         "on t.k = u.k and u.f > 1 or u.g = 'x'"},
        {"select t.a from ((u join w on w.k = u.k and u.f > 1)) right join t on t.k = u.k",
         "((u join w on w.k = u.k and u.f > 1))"},
        // An outer join against two boxes of a join in brackets at once.
        {"select t.a from w right join (u join t on u.k = t.k) on w.k = t.k and w.h = u.g",
         "w.k = t.k and w.h = u.g"},
        // The join text would nest a right join inside the inner join the
        // statement has inside it.
        {"select t.a from ((t join u on t.k = u.k) right join w on t.k = w.k) full join x on u.k = "
         "x.h",
         "((t join u on t.k = u.k) right join w on t.k = w.k)"},
        // A full join against two boxes at once (a left one keeps them).
        {"select t.a from t cross join w full join u on u.k = t.k and u.f = w.k",
         "u.k = t.k and u.f = w.k"},
        // A name two columns take: the design's display page allows it once.
        {"select a as rc, b as rc from t", "t.b as rc"},
        // A ring of links that takes in an outer join: the design writes no
        // statement and says why.
        {"select t.a from t join u on u.k = t.k right join w on w.k = t.k and w.h = u.g",
         "按设计写不出语句：链接有闭路！"},
        // An outer join on no equality of two boxes' columns is named whole.
        {"select t.a from t left join u on t.k - 1 = u.k", "t.k - 1 = u.k"},
        {"select t.a from t right join u on u.k between t.k and t.k + 2",
         "u.k between t.k and t.k + 2"},
        // USING a column that more than one box before it has.
        {"select t.a from t join w on w.k = t.k left join u using (k)", "USING (k)"},
        // An inner join on the side a full join gives nulls for.
        {"select t.a from t full join u on t.k = u.k join w on w.k = u.f", "w.k = u.f"},
        // A shared column no one box stands for: under a full join, or when
        // a result column has its name.
        {"select u.f as k, t.a from t full join u using (k) where k > 1", "k"},
        {"select a as k from t join u using (k) where k = 1", "k"},
        {"select u.k k from t left join u using (k) where k > 1", "k"},
        {"select t.k from t join u using (k) union select k from w order by k", "k"},
        // Some databases fill a box's star from the other side after a right join.
        {"select u.* from u right join t using (k)", "u.*"},
        // NATURAL or USING on a column two boxes before it have that a full
        // join merged (no one box holds it), a table joined to itself
        // without a name, an outer USING the link rules refuse.
        {"select t.a from t full join u using (k) natural join w", "NATURAL JOIN w"},
        {"select a from t natural join t", "t"},
        // NATURAL after a comma joins only what stands after the comma.
        {"select t.a from t, x, u natural join z", "NATURAL JOIN z"},
        {"select t.a from t left join x using (k)", "USING (k)"},
        // USING a column the joined table lacks (the database refuses it).
        {"select t.a, b from t full join w using (b)", "b"},
        {"select b from t join w using (b)", "b"},
        // Brackets further on in a FROM clause say what is joined with
        // what: they stay, and NATURAL or USING inside them is not read.
        {"select t.a from t join (u natural join w) on t.k = u.k", "w"},
        // USING or NATURAL after joins in brackets: no one box to join.
        {"select t.a from w join (t join u on t.k = u.f) using (k)", "k"},
        {"select t.a from w natural join (t join u on t.k = u.f)", "w"},
        // A bare name of a join condition kept as a row that two boxes have.
        {"select t.a from t join u on u.f < k", "u.f < k"},
        // The parts of a union may each give one name its own window.
        {"select a, rank() over w from t window w as (order by k) union all select a, rank() "
         "over w from t window w as (order by a)",
         "window"},
        // A select list of no columns.
        {"select from t where k > 1", "（空的选择列表）"},
        // Without FROM a clause after the select list has no table to stand with.
        {"select 1 as x where 1 = 0", "where 1 = 0"},
        {"select 2 as y order by y desc", "order by y desc"},
    };
    for (const auto& c : cases) {
        const TRun run = Rebuild(QString::fromUtf8(c.Sql));
        EXPECT_FALSE(run.Result.Ok) << c.Sql;
        EXPECT_TRUE(run.Result.NotCarried.contains(QString::fromUtf8(c.Part)))
            << c.Sql << " -> " << run.Result.NotCarried.join(u'|').toStdString();
    }
    // A part two rules find is named once.
    const TRun twice = Rebuild(QStringLiteral(
        "select t.a from t left join u on u.k = t.k right join w on u.k = w.k and t.f < 20"));
    EXPECT_EQ(twice.Result.NotCarried.count(QStringLiteral("t.f < 20")), 1)
        << twice.Result.NotCarried.join(u'|').toStdString();
    // A right join that comes first, and left joins after any join, keep
    // their rows however the design nests them.
    for (const char* sql : {"select t.a from t right join u on u.k = t.k left join w on w.k = u.k",
                            "select t.a from t join u on u.k = t.k left join w on w.k = u.k"}) {
        const TRun run = Rebuild(QString::fromUtf8(sql));
        EXPECT_TRUE(run.Result.Ok) << sql;
        EXPECT_EQ(run.Result.NotCarried, QStringList()) << sql;
    }
}

// An application binds "?" by its place: a design that writes them in
// another order says so; numbered and named ones, and PostgreSQL's "?"
// operator, have no order to keep.
TEST(RebuildShapes, PositionalParametersKeepTheirOrderOrTheRebuildSaysSo) {
    const QString moved = QStringLiteral("?（参数的先后次序）");
    const struct {
        TSqlDialect Dialect;
        const char* Sql;
        bool Moved;
    } cases[] = {
        {TSqlDialect::Sqlite(),
         "select t.a from t left join u on u.k = t.k and u.f = ? left join w on w.k = t.k and "
         "w.h = ? where t.b = ?",
         true},
        {TSqlDialect::MySql(),
         "select ?, t.a from t join u on u.k = t.k and u.f = ? where t.b = ? limit ?", false},
        {TSqlDialect::Sqlite(),
         "select t.a from t left join u on u.k = t.k and u.f = ?2 left join w on w.k = t.k and "
         "w.h = ?1",
         false},
        {TSqlDialect::Postgres(), "select a from t where b ? 'k' and a ?| array['m'] and b = $1",
         false},
    };
    for (const auto& c : cases) {
        const TForgeResult r = RebuildIn(c.Dialect, QString::fromUtf8(c.Sql)).Result;
        EXPECT_EQ(r.NotCarried.contains(moved), c.Moved) << c.Sql;
        EXPECT_EQ(r.Sql.SQL.count(u'?'), QString::fromUtf8(c.Sql).count(u'?')) << c.Sql;
    }
}
