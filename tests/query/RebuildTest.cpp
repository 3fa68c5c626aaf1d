#include "DesignBuilder.h"

#include "query/DesignTexts.h"
#include "query/Rebuild.h"
#include "sqltext/DataSourceKind.h"

#include <QPair>
#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

namespace {

TCatalogue Shop() {
    TCatalogue c;
    c.Table("a", {"id:3", "x"}).Table("b", {"id:3", "y"}).Table("t", {"k:3", "v"});
    c.Table("t1", {"a"}).Table("t2", {"b"});
    c.Table("Emp", {"id:3", "name", "dept:3"}).Table("Dept", {"id:3", "title"});
    return c;
}

struct TRun {
    TForgeResult Result;
    QStringList Messages;
};

TRun Rebuild(const QString& sql, int kind = dsAccess, const QueryDesign& current = {}) {
    static const TCatalogue c = Shop();
    TRun run;
    run.Result = Forge(sql, kind, current, c.Hooks(&run.Messages));
    return run;
}

QStringList Ticked(const QueryDesign& d) {
    QStringList list;
    for (const TDesignBox& box : d.Boxes)
        for (const TDesignField& f : box.Fields)
            if (f.Checked) list << box.GetTableName() + "." + f.Name;
    return list;
}

} // namespace

TEST(Forge, DistinctOldStyleLinkAndOrderByPosition) {
    const TRun run =
        Rebuild("select distinct a.x, b.y total from a, b where a.id = b.id order by 2 desc");
    ASSERT_TRUE(run.Result.Ok);
    const QueryDesign& d = run.Result.Design;
    EXPECT_TRUE(d.Distinct);
    EXPECT_EQ(Ticked(d), QStringList({"a.x", "b.y"}));
    ASSERT_EQ(d.Links.size(), 1);
    EXPECT_EQ(d.Links[0].Field1, "id");
    EXPECT_TRUE(TrimCell(GridCell(d.ConditionRows, 1, 0)).isEmpty());
    EXPECT_EQ(d.OrderColumn, QList<TCheckedItem>({{DescendingMarker() + "b.y", true}}));
    EXPECT_EQ(run.Result.Sql.SQL,
              "select distinct a.x,b.y as total\r\nfrom a,b\r\nwhere a.id=b.id\r\n"
              "order by b.y desc");
}

TEST(Forge, StarAndComputedColumnsWithGroupConditions) {
    const QueryDesign star = Rebuild("select * from t").Result.Design;
    EXPECT_EQ(Ticked(star), QStringList{"t.*"});
    EXPECT_EQ(star.DisplayRows, QList<QStringList>({{"1", "t.*", "", ""}}));

    const QueryDesign d =
        Rebuild("select count(*) n from t group by k having count(*) > 1").Result.Design;
    EXPECT_EQ(d.ComputeRows.value(0), QStringList({"count(*)", "n"}));
    EXPECT_EQ(d.DisplayRows, QList<QStringList>({{"0", "count(*)", "n", ""}}));
    EXPECT_TRUE(d.OrderList.contains("计算列：count(*)"));
    EXPECT_EQ(d.HavingRows.value(0), QStringList({"count(*) ", ">", " 1", ""}));
    EXPECT_EQ(d.GroupColumn, QStringList{"t.k"});
    EXPECT_FALSE(d.GroupList.contains("t.k"));
}

TEST(Forge, UnionPartsBecomeUnionSets) {
    const TRun run = Rebuild("select a from t1 union all select b from t2");
    const QueryDesign& d = run.Result.Design;
    EXPECT_EQ(d.UnionRows,
              QList<QStringList>({{"", "union0", "", "union all"}, {"", "union1", "", ""}}));
    ASSERT_EQ(d.UnionSets.size(), 1);
    EXPECT_EQ(d.UnionSets[0].SQL, "select b from t2");
    ASSERT_EQ(d.Boxes.size(), 1);
    EXPECT_EQ(d.Boxes[0].TableName, "t1");
}

TEST(Forge, PlacesBoxesFromLeftToRightAndWraps) {
    const auto places = [](const QList<int>& widths) {
        int next = 0;
        TDesignHooks hooks;
        hooks.LoadBox = [&](TDesignBox& box) {
            box.Fields = {TDesignField{"*"}};
            box.Width = widths[next++];
            box.Height = 100;
            return true;
        };
        QList<QPair<int, int>> list;
        for (const TDesignBox& box :
             Forge("select 1 from t1,t2,t3,t4,t5", dsAccess, {}, hooks).Design.Boxes)
            list.append({box.Left, box.Top});
        return list;
    };
    // The fourth box starts beyond 350: the fifth goes to the next row.
    EXPECT_EQ(places({150, 150, 150, 150, 150}),
              (QList<QPair<int, int>>{{10, 10}, {170, 10}, {330, 10}, {490, 10}, {10, 120}}));
    // 490 + 160 + 10 = 660 wraps to 160, which is not below 160.
    EXPECT_EQ(places({150, 150, 150, 160, 150}),
              (QList<QPair<int, int>>{{10, 10}, {170, 10}, {330, 10}, {490, 10}, {160, 120}}));
}

TEST(Forge, RefusalsKeepTheCurrentDesign) {
    QueryDesign current;
    current.GroupColumn << "kept";
    const struct {
        const char* sql;
        const char* message;
    } cases[] = {{"selec a from t", "提示|not Found KeyWord \"select\" "},
                 {"select (a from t", "提示|括号不匹配！"},
                 {"select a from t where (x = 1))", "提示|括号不匹配！"}};
    for (const auto& k : cases) {
        const TRun run = Rebuild(k.sql, dsAccess, current);
        EXPECT_FALSE(run.Result.Ok) << k.sql;
        EXPECT_EQ(run.Result.Design, current);
        EXPECT_EQ(run.Messages, QStringList{QString::fromUtf8(k.message)});
    }
    TDesignHooks refusing;
    refusing.TestRun = [](const QString&) { return false; };
    EXPECT_FALSE(Forge("select a from t", dsAccess, current, refusing).Ok);

    const TRun empty = Rebuild("  ( ) ", dsAccess, current);
    EXPECT_TRUE(empty.Result.Ok);
    EXPECT_FALSE(empty.Result.Rebuilt);
    EXPECT_EQ(empty.Result.Design, current);
}

TEST(Forge, GivesBackTheStatementsItReads) {
    const struct {
        int kind;
        const char* sql;
    } cases[] = {
        {dsSqlServer, "select distinct top 10 id,name\r\nfrom Emp\r\norder by id desc"},
        {dsSqlServer, "select top 3 e.name,d.title\r\nfrom Emp e LEFT JOIN Dept d on e.dept=d.id"},
        {dsOther, "select id,name\r\nfrom Emp\r\nwhere id>3\r\norder by name\r\nlimit 5 offset 10"},
        {dsOther, "select id\r\nfrom Emp\r\nlimit 7"},
        {dsAccess, "select getdate()\r\n"}, // no FROM clause
        {dsAccess,
         "select Emp.name,Dept.title as t\r\nfrom Emp RIGHT JOIN Dept on Emp.dept=Dept.id\r\n"
         "where Emp.id in (1,2) or Emp.name like 'A%'\r\ngroup by Emp.name,Dept.title"},
        {dsOracle, "select Emp.name,Dept.title\r\nfrom Emp,Dept\r\nwhere Emp.dept=Dept.id(+)"},
    };
    for (const auto& k : cases) {
        const TRun run = Rebuild(k.sql, k.kind);
        EXPECT_EQ(run.Result.Sql.SQL, QString::fromUtf8(k.sql)) << k.sql;
        EXPECT_EQ(run.Messages, QStringList());
    }
    // LIMIT is the row limit, never a table alias; the test run runs it as written.
    QString tried;
    const TCatalogue c = Shop();
    TDesignHooks hooks = c.Hooks();
    hooks.TestRun = [&](const QString& statement) { return tried = statement, true; };
    const QueryDesign limited = Forge("select id from Emp  LIMIT 5", dsOther, {}, hooks).Design;
    EXPECT_EQ(limited.Boxes.value(0).Alias, QString());
    EXPECT_EQ(limited.RowLimit, "5");
    EXPECT_EQ(tried, "select id from Emp LIMIT 5");
}
TEST(Forge, BetweenStaysOneConditionWithTheConditionsAfterIt) {
    const QPair<const char*, const char*> cases[] = {
        {"select a.x from a where a.x between 1 and 5 and a.id = 2",
         "select x\r\nfrom a\r\nwhere x between 1 and 5 and id=2"},
        {"select a.x from a where (not a.x between 'a' and 'b') or a.id = 2",
         "select x\r\nfrom a\r\nwhere (not x between 'a' and 'b') or id=2"},
    };
    for (const auto& [sql, expected] : cases) {
        SCOPED_TRACE(sql);
        EXPECT_EQ(Rebuild(sql).Result.Sql.SQL, expected);
    }
}
