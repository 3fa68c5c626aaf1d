// A statement read back either comes out whole, or the rebuild says what it
// lacks: never a design that silently returns other rows.
#include "DesignBuilder.h"

#include "query/Carried.h"
#include "query/Rebuild.h"
#include "sqltext/DataSourceKind.h"

#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

TEST(NotCarried, CountsLiteralsNamesAndWordsThatChangeRowsNotHowTheyAreWritten) {
    const struct {
        const char* Original;
        const char* Regenerated;
        const char* Missing; // joined by "|"
    } cases[] = {
        // The same statement written otherwise.
        {"select t.a from t where t.b = 'x'", "select a\r\nfrom t\r\nwhere b='x'", ""},
        {"select a.x from a join b on a.id = b.id", "select a.x from a,b where a.id=b.id", ""},
        {"select a x from t order by 1 desc", "select a as x from t order by a desc", ""},
        {"select a from t left join u on t.k = u.k", "select a from u right join t on u.k=t.k", ""},
        {"select \"a b\" from [t]", "select `a b` from t", ""},
        {"select a from t -- note\nwhere b in(1,2)", "select a from t where b in (1,2)", ""},
        {"select a * 1E0 from t group by a * 1e0", "select a * 1E0 from t group by a * 1E0", ""},
        // After a table's name a word is a column, also one that is a key word elsewhere.
        {"select t.v from t join u on t.\"by\" = u.\"by\"", "select t.v from t join u on t.by=u.by",
         ""},
        {"select t.v from t where t.\"not\" = 1", "select t.v from t where t.not=1", ""},
        {"select t.v from t join u on t.\"by\" = u.\"by\"", "select t.v from t,u", "\"by\""},
        // TOP is a word of the statement only after SELECT.
        {"select \"top\".k from (select k from t) \"top\"",
         "select \"top\".k from (select k from t) top", ""},
        // A string after AS is the column's name; elsewhere it stays a string.
        {"select a as 'it''s' from t", "select a as \"it's\" from t", ""},
        {"select a as 'x' from t where b = 'y'", "select a as \"x\" from t where b=\"y\"", "'y'"},
        // The only box's name before its star may go; a multiplication is
        // no star, nor an old outer-join mark.
        {"select t.* from (select * from u) t where t.x > 5",
         "select *\r\nfrom  (select * from u) t\r\nwhere x>5", ""},
        {"select a*b, count(*) from t where t.k *= u.k",
         "select a*b,count(*) from t left join u on t.k=u.k", ""},
        // Parts lost.
        {"select a from t where exists (select 1 from u) and b = 2", "select a from t",
         "SELECT|EXISTS|1|u|b|2"},
        {"select a from t where not (b = 1 or c = 2)", "select a from t where b=1 or c=2", "NOT"},
        {"select a from t left join u on t.k = u.k and u.f > 100",
         "select a from t left join u on t.k=u.k", "f|100"},
        {"select a from t left join u on t.k = u.k", "select a from t,u where t.k=u.k", "LEFT"},
        {"select a from t where b = 'x' or b = 'y'", "select a from t where b='x'", "b|OR|'y'"},
        {"select a from t except select a from u", "select a from t", "SELECT|a|EXCEPT|u"},
        {"select distinct a from t", "select a from t", "DISTINCT"},
        {"select t.*, u.x from t, u", "select u.x from t,u", "*"},
        {"select a from t order by a desc", "select a from t order by a", "DESC"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NotCarried(QString::fromUtf8(c.Original), QString::fromUtf8(c.Regenerated),
                             TSqlDialect::Sqlite())
                      .join(QLatin1Char('|')),
                  QString::fromUtf8(c.Missing))
            << c.Original;
}

TEST(NotCarried, ARebuildThatLosesPartsIsAppliedOnlyWhenTheUserSaysSo) {
    TCatalogue c;
    c.Table("t", {"k:3", "a", "b"}).Table("u", {"k:3", "f:3"});
    // An outer join on columns of different kinds cannot be drawn.
    const QString sql = QStringLiteral("select t.a from t left join u on t.a = u.k where b = 'x'");
    QStringList messages;
    TDesignHooks hooks = c.Hooks(&messages);
    hooks.Confirm = nullptr; // called by code: nobody to ask
    const QueryDesign before;
    TForgeResult refused = Forge(sql, dsOther, before, hooks);
    EXPECT_FALSE(refused.Ok);
    EXPECT_EQ(refused.Design, before) << "the design stays as it was";
    EXPECT_FALSE(refused.NotCarried.isEmpty());

    QStringList asked;
    hooks.Confirm = [&asked](const QString& q) {
        asked << q;
        return true;
    };
    const TForgeResult applied = Forge(sql, dsOther, before, hooks);
    EXPECT_TRUE(applied.Ok);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked.first(), NotCarriedQuestion(applied.NotCarried));
    EXPECT_TRUE(asked.first().startsWith(QStringLiteral("设计没有包含原语句中的这些部分：")));
}
