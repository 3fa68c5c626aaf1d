#include "DesignBuilder.h"

#include "query/DesignTexts.h"
#include "query/Generation.h"
#include "query/IniReader.h"
#include "query/StateText.h"
#include "sqltext/DataSourceKind.h"

#include <QPoint>
#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

namespace {

TCatalogue Shop() {
    TCatalogue c;
    c.Table("Emp", {"id:3", "name", "dept:3"}).Table("Dept", {"id:3", "title"});
    return c;
}

QStringList StateOf(QueryDesign& design, int kind = dsAccess) {
    return GetSQLSet(design, GetSQL(design, kind).SQL, kind);
}

QueryDesign Restored(const QStringList& lines, const TCatalogue& c, QStringList* messages = nullptr,
                     int kind = dsAccess) {
    QueryDesign d;
    SetSQLSet(d, lines, kind, c.Hooks(messages));
    return d;
}

} // namespace

TEST(GetSQLSet, WritesTheWorkedExampleLineByLine) {
    const TCatalogue c = Shop();
    TDesignBuilder b(c);
    b.Box("Emp", "e", 20, 50).Tick("e.id").Tick("e.name");
    EXPECT_EQ(StateOf(b),
              QStringList({"[Table]\t\t\t#原表：名称", "T1=Emp,20,50,", "[ByName]\t\t\t#原表别名",
                           "B1=e", "[Link]\t\t\t#原表间的链接", "[Column]\t\t#源表列", "C0=e.id",
                           "C1=e.name", "[ComputeColumn]\t\t#计算列", "[Where]\t\t\t#where条件",
                           "[Group]\t\t\t#分组列", "[Having]\t\t#组内条件", "[Order]\t\t\t#排序列",
                           "", "[SQL]\t\t\t#SQL语法", "SQL=select e.id,e.name from Emp e"}));
    EXPECT_EQ(GetSQLSet(b, " \r\n ", dsAccess), QStringList());
}

TEST(GetSQLSet, KeepsCompleteConditionRowsUpToTheEighthAndQuotesQuotedValues) {
    const TCatalogue c = Shop();
    TDesignBuilder b(c);
    b.Box("Emp").Tick("Emp.id").Compute("'abc'").Compute("'abc'", "x").Group("'g'");
    for (int i = 1; i <= 9; ++i)
        b.Where({"Emp.id", "<>", QString::number(i), "and"});
    const QStringList lines = StateOf(b);
    const auto section = [&](const char* header, const char* next) {
        const qsizetype from = lines.indexOf(QString::fromUtf8(header)) + 1;
        return lines.mid(from, lines.indexOf(QString::fromUtf8(next)) - from);
    };
    EXPECT_EQ(section("[ComputeColumn]\t\t#计算列", "[Where]\t\t\t#where条件"),
              QStringList({"C1=''abc''", "C2='abc'|||x"}));
    EXPECT_EQ(section("[Where]\t\t\t#where条件", "[Group]\t\t\t#分组列").size(), 8);
    EXPECT_EQ(section("[Group]\t\t\t#分组列", "[Having]\t\t#组内条件"), QStringList{"G0=''g''"});

    b.Design().ConditionRows[2][3].clear(); // row 3 has no connector: row 4 is not complete
    const QStringList cut = StateOf(b);
    EXPECT_EQ(cut.mid(cut.indexOf("[Where]\t\t\t#where条件") + 1, 4),
              QStringList({"W1=Emp.id|||<>|||1|||and", "W2=Emp.id|||<>|||2|||and",
                           "W3=Emp.id|||<>|||3|||", "[Group]\t\t\t#分组列"}));

    const QueryDesign back = Restored(lines, c);
    EXPECT_EQ(back.ComputeRows, QList<QStringList>({{"'abc'", ""}, {"'abc'", "x"}}));
    EXPECT_EQ(back.GroupColumn, QStringList{"'g'"});
    EXPECT_EQ(back.ConditionRows.size(), kStoredConditionRows);
}

// One line per value: a comment a line break ended must not take the rest.
TEST(GetSQLSet, StoresAValueOfSeveralLinesOnOneLineThatMeansTheSame) {
    const TCatalogue c = Shop();
    // A cell's lines end in CR LF or, typed in an editor, in LF alone.
    for (const char* breakText : {"\r\n", "\n"}) {
        TDesignBuilder b(c);
        b.Box("Emp").Tick("Emp.id").Compute(QStringLiteral("Emp.id -- one%1+ 2").arg(breakText),
                                            "y");
        const QStringList lines = StateOf(b);
        const QString compute = Restored(lines, c).ComputeRows.value(0).join('|');
        EXPECT_EQ(compute.simplified(), "Emp.id + 2|y") << lines.join('\n').toStdString();
    }
}

TEST(StateText, RestoresARichDesign) {
    const TCatalogue c = Shop();
    TDesignBuilder nested(c);
    nested.Box("Dept").Tick("Dept.title");
    QStringList nestedState; // as a union set holds it once it was restored
    bool inByName = false;
    for (const QString& line : StateOf(nested)) {
        if (line.startsWith('[')) inByName = line.startsWith("[ByName]");
        if (!inByName && !line.isEmpty()) nestedState << line;
    }

    TDesignBuilder b(c);
    b.Box("Emp", "e", 10, 10).Box("Dept", {}, 170, 10).SubQuery("Q1", "select id from Emp");
    b.Tick("e.id").Tick("e.name").Tick("Dept.title").Tick("Q1.id").Tick("e.*");
    b.Link("e.dept", "Dept.id", 1).Link("e.id", "Q1.id", 0);
    b.Compute("count(*)", "n").Compute("'x'");
    b.Where({"e.name", "like", "'A%'", "or"}).Where({"Dept.id", ">", "3", ""});
    b.Group("e.id").Group("e.name").Group("Dept.title");
    b.Having({"count(*)", ">", "1", ""});
    b.Order("e.name", true).Order("Dept.title");
    b.Union("select title from Dept").Distinct();
    b.Design().UnionRows = {{"", "union0", "", "union"}, {"", "union1", "", ""}};
    b.Design().UnionSets[0].SQLSet = nestedState;
    b.Design().RowLimit = "5";
    b.Design().RowOffset = "2";

    const QStringList lines = StateOf(b, dsOracle);
    EXPECT_TRUE(lines.contains("[Table1]\t\t\t#原表：名称"));
    EXPECT_TRUE(lines.contains("[SQL1]\t\t\t#SQL语法"));
    EXPECT_EQ(lines.mid(lines.indexOf("[Union]   #联合的数目"), 3),
              QStringList({"[Union]   #联合的数目", "Count=1", "UnionType=union"}));
    EXPECT_EQ(lines.at(lines.indexOf("[Table1]\t\t\t#原表：名称") - 1), "#下面是联合语句部分");

    QueryDesign back = Restored(lines, c, nullptr, dsOracle);
    EXPECT_EQ(GetSQL(back, dsOracle).SQL, GetSQL(b, dsOracle).SQL);
    // A chosen order column stays offered too.
    EXPECT_TRUE(back.OrderList.contains("e.name"));
    back.OrderList = b.Design().OrderList;
    EXPECT_EQ(back, b.Design());
}

TEST(TIniText, ReadsWithTheRulesOfTheStateText) {
    const TIniText ini({"x=before any section", "[One] comment", "B=2", "a=1", "not an entry",
                        " A = 3", "[one]", "a=4", "[Two]", "q='quoted'", "r=''", "s='", "[bad",
                        "t=5\r", "u=6\r\r\r", "v=a --x\rb"});
    EXPECT_EQ(ini.ReadString("ONE", "a"), "1");
    QStringList keys;
    for (const TIniText::TEntry& e : ini.Entries("one"))
        keys << e.Key + "=" + e.Value;
    EXPECT_EQ(keys, QStringList({"B=2", "a=1", "A= 3"})); // text order, first section only
    EXPECT_EQ(ini.ReadString("Two", "Q"), "quoted");
    EXPECT_EQ(ini.ReadString("Two", "r"), "");
    EXPECT_EQ(ini.ReadString("Two", "s"), "'");
    EXPECT_EQ(ini.ReadString("Two", "t"), "5");
    // A line read and written again keeps what it held.
    EXPECT_EQ(ini.ReadString("Two", "u"), "6");
    EXPECT_EQ(ini.Entries("Two")[4].Line, "u=6");
    // A carriage return inside a value: read as the value would be written.
    EXPECT_EQ(ini.ReadString("Two", "v").simplified(), "a b");
    EXPECT_EQ(ini.ReadString("Three", "a", "d"), "d");
}

TEST(SetSQLSet, PlacesOlderAndDamagedTableEntries) {
    const TCatalogue c = Shop();
    const QueryDesign d =
        Restored({"[Table]", "T1=Emp", "T2=Dept,30,40", "T3=Emp,x,7", "T4=Dept,12", "T5=Emp,1,2,",
                  "[ByName]", "B1=e", "B3=f", "B4=d"},
                 c);
    QList<QPoint> places;
    QStringList names;
    for (const TDesignBox& box : d.Boxes)
        places << QPoint(box.Left, box.Top), names << box.GetTableName();
    EXPECT_EQ(places, QList<QPoint>({{20, 50}, {30, 40}, {320, 7}, {12, 50}, {1, 2}}));
    EXPECT_EQ(names, QStringList({"e", "Dept", "f", "d", "Emp"}));
}

TEST(SetSQLSet, DropsWhatNoLongerExists) {
    const TCatalogue c = Shop();
    QStringList messages;
    const QueryDesign d = Restored({"[Table]", "T1=Gone,1,1,", "T2=Emp,1,1,", "T3=Dept,1,1,",
                                    "[Link]", "L1=Gone,id,Emp,id,1", "L2=Emp,zz,Dept,id,1",
                                    "L3=Emp,id,Dept,qq", "L4=Emp,dept,Dept,id,9", "[Column]",
                                    "C0=Gone.id", "C1=emp.NAME", "[Union]", "Count=99999999"},
                                   c, &messages);
    EXPECT_EQ(d.Boxes.size(), 2);
    EXPECT_EQ(messages, QStringList({"提示!|表“Emp”的zz字段已不存在！无法插入链接！",
                                     "提示!|表“Dept”的qq字段已不存在！无法插入链接！"}));
    ASSERT_EQ(d.Links.size(), 1);
    EXPECT_EQ(d.Links[0].JoinType, 0); // not a join keyword's type
    EXPECT_TRUE(d.Boxes[0].Fields[2].Checked);
    EXPECT_LE(d.UnionSets.size(), 14);
}

TEST(SetSQLSet, TakesDistinctFromTheStatementUnlessTold) {
    const TCatalogue c = Shop();
    EXPECT_TRUE(Restored({"[SQL]", "SQL= select   DISTINCT a from t"}, c).Distinct);
    EXPECT_FALSE(Restored({"[SQL]", "SQL=select distinctive from t"}, c).Distinct);
    EXPECT_FALSE(Restored({"[SQL]", "SQL=select distinct a from t", "Distinct=0"}, c).Distinct);

    TDesignBuilder b(c);
    b.Box("Emp").Compute("distinct id");
    const QStringList lines = StateOf(b);
    EXPECT_EQ(lines.last(), "Distinct=0");
    EXPECT_FALSE(Restored(lines, c).Distinct);
}

TEST(StateText, KeepsTheUnionGridRowsWithTheUnionSets) {
    const TCatalogue c = Shop();
    TDesignBuilder b(c);
    b.Box("Emp").Tick("Emp.id");
    b.Design().UnionRows = {{"(", "union0", "", "union all"}};
    b.Union("select id from Dept", {"", "union1", ")", "minus"});
    b.Union("select 3", {"", "union2", "", ""});
    // As rebuilt from a statement: no state text of their own, only the statement.
    const QStringList lines = StateOf(b, dsOracle);
    EXPECT_EQ(lines.mid(lines.indexOf("[Union]   #联合的数目"), 6),
              QStringList({"[Union]   #联合的数目", "Count=2", "UnionType=union",
                           "Row1=(|||union0||||||union all", "Row2=|||union1|||)|||minus",
                           "Row3=|||union2||||||"}));
    const QueryDesign back = Restored(lines, c, nullptr, dsOracle);
    EXPECT_EQ(back.UnionRows, b.Design().UnionRows);
    QueryDesign copy = back;
    EXPECT_EQ(GetSQL(copy, dsOracle).SQL,
              "(select id\r\nfrom Emp\r\nunion all\r\nselect id from Dept)\r\nminus\r\nselect 3");

    // Rows as reading makes them anyway are not written.
    b.Design().UnionRows = {
        {"", "union0", "", "union"}, {"", "union1", "", "union"}, {"", "union2", "", ""}};
    const QStringList usual = StateOf(b, dsAccess);
    EXPECT_EQ(usual.mid(usual.indexOf("[Union]   #联合的数目"), 2),
              QStringList({"[Union]   #联合的数目", "Count=2"}));
    EXPECT_FALSE(usual.join('\n').contains("Row1="));
    EXPECT_EQ(Restored(usual, c, nullptr, dsAccess).UnionRows, b.Design().UnionRows);

    // A design without union sets writes no union section at all.
    TDesignBuilder plain(c);
    plain.Box("Emp").Tick("Emp.id");
    plain.Design().UnionRows = {{"(", "union0", ")", "union"}};
    EXPECT_FALSE(StateOf(plain).join('\n').contains("Union"));
}

TEST(StateText, UnionSetsWithoutStoredRowsAreJoinedByUnion) {
    const TCatalogue c = Shop();
    const QStringList older = {"[Table]",  "T1=Emp,1,1,",  "[Column]",     "C0=Emp.id",
                               "[Table1]", "[SQL1]",       "SQL=select 1", "[Table2]",
                               "[SQL2]",   "SQL=select 2", "[Union]",      "Count=2"};
    QueryDesign d;
    // As a designer holds it after its union sets were freed.
    d.UnionRows = {{"", "union0", "", ""}, {"(", "union1", "", ""}, {"", "union2", "", ""}, {}};
    SetSQLSet(d, older, dsAccess, c.Hooks());
    EXPECT_EQ(d.UnionRows, QList<QStringList>({{"", "union0", "", "union"},
                                               {"", "union1", "", "union"},
                                               {"", "union2", "", ""}}));
    EXPECT_EQ(GetSQL(d, dsAccess).SQL,
              "select id\r\nfrom Emp\r\nunion\r\nselect 1\r\nunion\r\nselect 2");

    // Read again into the same design: the new parts follow the old ones.
    SetSQLSet(d, older, dsAccess, c.Hooks());
    ASSERT_EQ(d.UnionRows.size(), 5);
    EXPECT_EQ(d.UnionRows[2], QStringList({"", "union2", "", "union"}));
    EXPECT_EQ(d.UnionRows[4], QStringList({"", "union4", "", ""}));
}

TEST(Template, NamesItsConnectionAfterTheStateText) {
    const QStringList state = {"[SQL]\t\t\t#SQL语法", "SQL=select 1"};
    const QStringList lines = TemplateLines(state, "Provider=SQLite;Data Source=a.db");
    EXPECT_EQ(lines.mid(2), QStringList({"[CONNECTION]", "CSN=Provider=SQLite;Data Source=a.db"}));
    QString csn;
    EXPECT_TRUE(TemplateConnection(lines, csn));
    EXPECT_EQ(csn, "Provider=SQLite;Data Source=a.db");
    EXPECT_TRUE(TemplateConnection({" [connection] ", "csn=Data Source=b.db"}, csn));
    EXPECT_EQ(csn, "Data Source=b.db");
    csn = "kept";
    EXPECT_FALSE(TemplateConnection({"SQL=1", "[Connection]"}, csn)) << "nothing follows";
    EXPECT_FALSE(TemplateConnection(state, csn));
    EXPECT_EQ(csn, "kept");
}

TEST(Template, TakesOnlyACsnLineAfterTheConnectionSection) {
    // line after the section, connection string named (null: malformed)
    const std::pair<const char*, const char*> cases[] = {
        {"CSN=Provider=SQLite", "Provider=SQLite"},
        {"  csn =  Data Source=b.db", "Data Source=b.db"},
        {"Csn=", ""},
        {"Provider=SQLite;Data Source=x.db", nullptr},
        {"CSNX=Provider=SQLite", nullptr},
        {"", nullptr},
    };
    for (const auto& [line, named] : cases) {
        QString csn = "kept";
        bool malformed = true;
        EXPECT_EQ(TemplateConnection({"SQL=1", "[CONNECTION]", line}, csn, &malformed),
                  named != nullptr)
            << line;
        EXPECT_EQ(malformed, named == nullptr) << line;
        EXPECT_EQ(csn, named ? QString::fromUtf8(named) : QStringLiteral("kept")) << line;
    }
    bool malformed = false;
    QString csn;
    EXPECT_FALSE(TemplateConnection({"SQL=1", "[Connection]"}, csn, &malformed));
    EXPECT_FALSE(malformed) << "a section with no line after it: no connection named";
    EXPECT_FALSE(TemplateConnection({"SQL=1"}, csn, &malformed));
    EXPECT_FALSE(malformed) << "no section at all: a state text";
}
