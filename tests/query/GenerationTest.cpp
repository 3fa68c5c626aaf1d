#include "DesignBuilder.h"

#include "query/Generation.h"
#include "sqltext/DataSourceKind.h"

#include <functional>
#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

namespace {

TCatalogue Shop() {
    TCatalogue c;
    c.Table("A", {"id:3", "name", "price:6", "did:3"})
        .Table("B", {"aid:3", "qty:3", "color", "brand"})
        .Table("D", {"id:3", "bid:3"})
        .Table("Emp", {"id:3", "name"});
    return c;
}

QString Sql(QueryDesign& design, int kind = dsAccess, const TConfirm& confirm = {}) {
    return GetSQL(design, kind, confirm).SQL;
}

QString Lines(const QStringList& lines) {
    return lines.join("\r\n");
}

// The two-table design of the worked example, before its condition rows.
TDesignBuilder TwoTables(const TCatalogue& c) {
    TDesignBuilder b(c);
    b.Box("A", "a").Box("B").Tick("a.name").Tick("B.qty").Link("a.id", "B.aid");
    b.Display("1", "a.name").Display("1", "B.qty", "q");
    return b;
}

} // namespace

TEST(GetSQL, WritesTheWorkedExampleOnThreeLines) {
    const TCatalogue c = Shop();
    TDesignBuilder b = TwoTables(c);
    // Link conditions alone leave no connector behind.
    EXPECT_EQ(Sql(b), Lines({"select a.name,B.qty as q", "from A a,B", "where a.id=B.aid"}));
    b.Where({"a.name", "like", "'X%'", ""});
    EXPECT_EQ(Sql(b), Lines({"select a.name,B.qty as q", "from A a,B",
                             "where a.id=B.aid and a.name like 'X%'"}));
    // An OR of the rows, outside brackets, goes in brackets after the links.
    b.Design().ConditionRows[0][3] = "or";
    b.Where({"(B.qty", ">", "1", "or"}).Where({"B.qty", "<", "0)", ""});
    EXPECT_EQ(Sql(b), Lines({"select a.name,B.qty as q", "from A a,B",
                             "where a.id=B.aid and (a.name like 'X%' or (B.qty>1 or B.qty<0))"}));
    b.Design().ConditionRows[0][3] = "and";
    EXPECT_EQ(Sql(b), Lines({"select a.name,B.qty as q", "from A a,B",
                             "where a.id=B.aid and a.name like 'X%' and (B.qty>1 or B.qty<0)"}));
}

TEST(GetSQL, WritesAliasesAfterABlankForSqlServerSybaseAndOracle) {
    const TCatalogue c = Shop();
    const std::pair<int, const char*> cases[] = {{dsAccess, "B.qty as q"}, {dsSqlServer, "B.qty q"},
                                                 {dsSybase, "B.qty q"},    {dsOracle, "B.qty q"},
                                                 {dsOther, "B.qty as q"},  {dsExcel, "B.qty as q"}};
    for (const auto& [kind, item] : cases) {
        TDesignBuilder b = TwoTables(c);
        EXPECT_TRUE(Sql(b, kind).startsWith(QString("select a.name,") + item)) << kind;
    }
}

TEST(GetSQL, StatementsOfOneBox) {
    const TCatalogue c = Shop();
    using Build = std::function<void(TDesignBuilder&)>;
    const Build limited = [](TDesignBuilder& b) {
        b.Box("Emp").Tick("Emp.id").Distinct().Order("Emp.id");
        b.Design().RowLimit = "10";
        b.Design().RowOffset = "20";
    };
    const struct {
        Build build;
        QStringList lines;
        int kind = dsAccess;
    } cases[] = {
        {[](auto& b) { b.Compute("getdate()"); }, {"select getdate()", ""}},
        {[](auto& b) { b.Box("A").Distinct(); }, {}}, // nothing selected
        // Without alias the table's prefix goes, except from the FROM clause.
        {[](auto& b) {
             b.Box("Emp").Tick("Emp.id").Tick("Emp.name").Where({"Emp.id", ">", "3", ""});
             b.Group("Emp.name").Order("Emp.name", true);
         },
         {"select id,name", "from Emp", "where id>3", "group by name", "order by name desc"}},
        {[](auto& b) { b.Box("Emp", "e").Tick("e.id").Tick("e.name"); },
         {"select e.id,e.name", "from Emp e"}},
        // Conditions end before the first row that is not complete.
        {[](auto& b) {
             b.Box("Emp").Tick("Emp.id").Where({"", "", "", "and"}).Where({"id", "=", "1", ""});
         },
         {"select id", "from Emp"}},
        {[](auto& b) {
             b.Box("Emp").Tick("Emp.id").Where({"id", "in", "(1,2)", "or"});
             b.Where({" id", " <> ", " 7 ", ""}).Where({"name", "=", "", ""});
         },
         {"select id", "from Emp", "where id in (1,2) or  id<>7"}},
        // A last operand ending in the letters of a connector stays whole.
        {[](auto& b) {
             b.Box("B").Tick("B.qty").Where({"B.color", "=", "B.brand", ""});
         },
         {"select qty", "from B", "where color=brand"}},
        {limited, {"select distinct top 10 id", "from Emp", "order by id"}, dsSqlServer},
        {limited, {"select distinct id", "from Emp", "order by id", "limit 10 offset 20"}, dsOther},
        {limited, {"select distinct id", "from Emp", "order by id"}, dsAccess},
    };
    for (const auto& k : cases) {
        TDesignBuilder b(c);
        k.build(b);
        EXPECT_EQ(Sql(b, k.kind), Lines(k.lines)) << Lines(k.lines).toStdString();
    }
}

TEST(GetSQL, LongSelectItemsStandOnLinesOfTheirOwn) {
    const TCatalogue c = Shop();
    const QString longA = "coalesce(a.name, 'a rather long default text here') || 'x'";
    const QString longB = "coalesce(a.name, 'another long default text here') || 'y'";
    TDesignBuilder b(c);
    b.Box("A", "a").Tick("a.id").Tick("a.name").Compute(longA).Compute(longB).Compute("a.price*2");
    EXPECT_EQ(Sql(b),
              Lines({"select a.id,a.name,", longA + ",", longB + ",", "a.price*2", "from A a"}));
}

TEST(GetSQL, OrderColumnsBecomePositionsWithUnionSetsOrWhenNumeric) {
    const TCatalogue c = Shop();
    TDesignBuilder plain(c);
    plain.Box("A", "a")
        .Tick("a.id")
        .Tick("a.name")
        .Compute("2")
        .Order("a.name", true)
        .Order("计算列：2");
    EXPECT_TRUE(Sql(plain).endsWith("order by a.name desc,3"));

    TDesignBuilder unioned(c);
    unioned.Box("A", "a").Tick("a.id").Tick("a.name").Order("a.name", true).Order("a.price");
    unioned.Union("select id,name from Emp", {"", "union0", "", "union"});
    unioned.Design().UnionRows.append({"", "union1", "", ""});
    EXPECT_EQ(Sql(unioned), Lines({"select a.id,a.name", "from A a", "union",
                                   "select id,name from Emp", "order by 2 desc,a.price"}));
}

TEST(GetSQL, UnionSetsTakeTheirRowsBracketsAndOperators) {
    const TCatalogue c = Shop();
    TDesignBuilder b(c);
    b.Box("Emp").Tick("Emp.id");
    b.Union("select 1", {"(", "union0", "", "union all"});
    b.Union("select 2", {"", "union1", ")", "minus"});
    b.Design().UnionRows.append({"", "union2", "", ""});
    EXPECT_EQ(Sql(b),
              Lines({"(select id", "from Emp", "union all", "select 1)", "minus", "select 2"}));

    // An empty first set uses up its row but leaves the main part unwrapped.
    b.Design().UnionSets[0].SQL.clear();
    EXPECT_EQ(Sql(b), Lines({"select id", "from Emp", "minus", "select 2"}));
}

TEST(GetSQL, RefusalsNameTheirMessageAndThePage) {
    const TCatalogue c = Shop();
    struct Case {
        const char* alias1;
        const char* alias2;
        const char* message;
    } cases[] = {{"1x", "", "别名不符合命名规范"}, {"n", "n", "别名重复"}};
    for (const Case& k : cases) {
        TDesignBuilder b(c);
        b.Box("Emp").Tick("Emp.id").Tick("Emp.name");
        b.Display("1", "Emp.id", k.alias1).Display("1", "Emp.name", k.alias2);
        const TSqlResult r = GetSQL(b, dsAccess);
        EXPECT_EQ(r.SQL, QString());
        EXPECT_EQ(r.Message, QString::fromUtf8(k.message));
        EXPECT_EQ(r.Caption, "提示");
        EXPECT_EQ(r.Page, kDisplayPage);
    }
}

TEST(GetSQL, LinkGraphFaultsAreRefusedOrAskedAboutByKind) {
    const TCatalogue c = Shop();
    TDesignBuilder ring(c);
    ring.Box("A").Box("B").Box("D").Tick("A.id");
    ring.Link("A.id", "B.aid", 1).Link("B.qty", "D.bid").Link("D.id", "A.did");
    EXPECT_EQ(GetSQL(ring, dsAccess).Message, "链接有闭路！");

    QStringList asked;
    const auto answer = [&](bool yes) {
        return [&asked, yes](const QString& q) { return asked << q, yes; };
    };
    EXPECT_EQ(Sql(ring, dsOracle, answer(false)), QString());
    EXPECT_EQ(asked, QStringList{"链接有闭路！是否继续？"});
    EXPECT_EQ(
        Sql(ring, dsOracle, answer(true)),
        Lines({"select A.id", "from A,B,D", "where A.id=B.aid(+) and B.qty=D.bid and D.id=A.did"}));

    TDesignBuilder apart(c);
    apart.Box("A").Box("B").Box("D").Box("Emp").Tick("A.id");
    apart.Link("A.id", "B.aid", 2).Link("D.id", "Emp.id");
    EXPECT_EQ(GetSQL(apart, dsSqlServer).Message, "至少有两个以上的链接星形网络之间没有关联");
    asked.clear();
    EXPECT_EQ(Sql(apart, dsSybase, answer(true)),
              Lines({"select A.id", "from A,B,D,Emp", "where A.id=*B.aid and D.id=Emp.id"}));
    EXPECT_EQ(asked, QStringList{"至少有两个以上的链接星形网络之间没有关联！是否继续？"});
}

TEST(GetSQL, OldStyleJoinsByJoinType) {
    const TCatalogue c = Shop();
    struct Case {
        int kind, type;
        const char* where;
    } cases[] = {{dsOracle, 0, "where A.id=B.aid"},    {dsOracle, 1, "where A.id=B.aid(+)"},
                 {dsOracle, 2, "where A.id(+)=B.aid"}, {dsOracle, 3, ""},
                 {dsSybase, 1, "where A.id*=B.aid"},   {dsSybase, 3, "where A.id*=*B.aid"},
                 {dsSybase, 5, "where A.id*=B.aid"}};
    for (const Case& k : cases) {
        TDesignBuilder b(c);
        b.Box("A").Box("B").Tick("A.id").Link("A.id", "B.aid", k.type);
        const QString expected =
            Lines({"select A.id", "from A,B"}) + (*k.where ? QString("\r\n") + k.where : QString());
        EXPECT_EQ(Sql(b, k.kind), expected) << k.kind << " " << k.type;
    }
}

TEST(GetSQL, OuterJoinsGoIntoTheFromClauseWithTheUnlinkedBoxes) {
    const TCatalogue c = Shop();
    TDesignBuilder b(c);
    b.Box("A").Box("B").Box("Emp").SubQuery("Q1", "select id from D").Tick("A.id");
    b.Link("A.id", "B.aid", 1);
    EXPECT_EQ(Sql(b),
              Lines({"select A.id", "from A LEFT JOIN B on A.id=B.aid,Emp,(select id from D) Q1"}));
    b.Design().Links.clear();
    EXPECT_EQ(Sql(b), Lines({"select A.id", "from A,B,Emp, (select id from D) Q1"}));
}

TEST(GetSQL, FollowsTheTicksWithoutChangingTheDesign) {
    const TCatalogue c = Shop();
    TDesignBuilder b = TwoTables(c);
    b.Tick("a.price");
    const QueryDesign before = b.Design();
    EXPECT_EQ(Sql(b), Lines({"select a.name,a.price,B.qty as q", "from A a,B", "where a.id=B.aid"}));
    EXPECT_EQ(b.Design(), before) << "the display rows are the caller's to follow";
}
