#include "DesignBuilder.h"

#include "query/ColumnPages.h"
#include "query/DesignTexts.h"
#include "sqltext/DataSourceKind.h"

#include <functional>
#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

namespace {

TCatalogue Tables() {
    TCatalogue c;
    c.Table("T", {"a", "b", "c", "d"});
    return c;
}

// Display rows as "kind column alias" texts.
QStringList Shown(const QueryDesign& d) {
    QStringList list;
    for (const QStringList& row : d.DisplayRows)
        list << QStringList(row.mid(0, 3)).join(QLatin1Char(' '));
    return list;
}

} // namespace

TEST(IsValidExpression, CountsTheEmptyCellsAndThePreviousConnector) {
    const QList<QStringList> rows{{"a", "=", "1", "and"},
                                  {"b", "", "2", ""},
                                  {" ", "", "", ""},
                                  {"c", ">", "0", ""},
                                  {"", "", " ", ""}};
    const int expected[] = {0, 1, -1, 1, -1, -1};
    for (int row = 1; row <= 6; ++row)
        EXPECT_EQ(IsValidExpression(rows, row), expected[row - 1]) << row;
    EXPECT_EQ(IsValidExpression({{"", "", "", ""}}, 1), 1); // a blank first row is incomplete
}

TEST(GetExpression, JoinsTheConnectorOfThePreviousRowAndTheOperator) {
    const QList<QStringList> rows{{"a.qty", " >= ", " 10 ", " or "},
                                  {"a.name ", "not like", "'X%'", ""}};
    EXPECT_EQ(GetExpression(rows, 1), "a.qty>=10");
    EXPECT_EQ(GetExpression(rows, 2), "or a.name  not like 'X%'");
}

TEST(TS_DisplayEnter, KeepsTheUsersRowsAndPlacesNewOnesByTheirNeighbours) {
    const TCatalogue c = Tables();
    TDesignBuilder b(c);
    b.Box("T").Tick("T.a").Tick("T.c").Compute("a+1", "x");
    b.Display("1", "T.c", "cc").Display("0", "a+1", "y").Display("1", "T.a");
    TS_DisplayEnter(b);
    EXPECT_EQ(Shown(b), QStringList({"1 T.c cc", "0 a+1 y", "1 T.a "})) << "matching rows stay";

    b.Tick("T.b").Tick("T.d").Compute("c*2");
    TS_DisplayEnter(b);
    // T.b after the previous ticked field T.a; T.d after T.c; c*2 after a+1.
    EXPECT_EQ(Shown(b),
              QStringList({"1 T.c cc", "1 T.d ", "0 a+1 y", "0 c*2 ", "1 T.a ", "1 T.b "}));

    for (TDesignField& f : b.Design().Boxes[0].Fields)
        f.Checked = false;
    b.Design().ComputeRows.clear();
    TS_DisplayEnter(b);
    EXPECT_EQ(b.Design().DisplayRows, QList<QStringList>{QStringList(4, QString())});
}

TEST(TS_DisplayEnter, AFirstNewFieldGoesBeforeTheSecondAndComputedColumnsAfterTheFields) {
    const TCatalogue c = Tables();
    TDesignBuilder b(c);
    b.Box("T").Tick("T.a").Tick("T.b").Compute("1", "one").Display("1", "T.b");
    TS_DisplayEnter(b);
    EXPECT_EQ(Shown(b), QStringList({"1 T.a ", "1 T.b ", "0 1 one"}));
    EXPECT_TRUE(IsMatch(b));
}

TEST(IsMatch, FindsEachRowAmongTheTicksIgnoringCaseAndChecksComputedAliases) {
    const TCatalogue c = Tables();
    const struct {
        const char* Why;
        QList<QStringList> Rows;
        bool Match;
    } cases[] = {
        {"in another order", {{"0", "a+1", "y"}, {"1", "T.c"}, {"1", "T.a"}}, true},
        {"letter case aside", {{"1", "t.A"}, {"1", "T.C"}, {"0", "A+1", "y"}}, true},
        {"a computed row with another alias", {{"1", "T.a"}, {"1", "T.c"}, {"0", "a+1", "z"}}, false},
        {"a field shown as computed", {{"0", "T.a", ""}, {"1", "T.c"}, {"0", "a+1", "y"}}, false},
        {"a row for no tick", {{"1", "T.a"}, {"1", "T.b"}, {"0", "a+1", "y"}}, false},
        {"one row short", {{"1", "T.a"}, {"0", "a+1", "y"}}, false},
        {"a status of two characters read as one key", {{"1T", ".a"}, {"1", "T.c"}, {"0", "a+1", "y"}},
         true},
        {"a row without cells", {{}, {"1", "T.c"}, {"0", "a+1", "y"}}, false},
    };
    for (const auto& k : cases) {
        TDesignBuilder b(c);
        b.Box("T").Tick("T.a").Tick("T.c").Compute("a+1", "y");
        b.Design().DisplayRows = k.Rows;
        EXPECT_EQ(IsMatch(b), k.Match) << k.Why;
    }
}

TEST(IsValidDisplayCol, ChecksEveryAliasByKind) {
    const struct {
        QStringList aliases;
        int kind, result;
    } cases[] = {{{"x", "y"}, dsAccess, 0},    {{"x", "1y"}, dsAccess, -1},
                 {{"x", "x"}, dsAccess, -2},   {{"x", " x "}, dsAccess, -1},
                 {{"[a b]", ""}, dsAccess, 0}, {{"[a b]", ""}, dsOracle, -1},
                 {{"", ""}, dsAccess, 0}};
    for (const auto& k : cases) {
        QueryDesign d;
        for (const QString& a : k.aliases)
            d.DisplayRows.append({"1", "T.a", a, ""});
        EXPECT_EQ(IsValidDisplayCol(d, k.kind), k.result) << k.aliases.join(',').toStdString();
    }
}

TEST(TS_OrderEnter, OffersComputedColumnsOnceAndForgetsRemovedOnes) {
    QueryDesign d;
    d.ComputeRows = {{"sum(a)", ""}, {"max(b)", ""}, {"", ""}, {"min(c)", ""}};
    d.OrderList = {"T.a", "计算列：old"};
    // min(c) stands after an empty row: it is not offered, but a sort
    // column chosen from it stays while its row is there.
    d.OrderColumn = {{"降序        计算列：max(b)", true},
                     {"降序        计算列：gone", false},
                     {"降序        计算列：min(c)", false}};
    TS_OrderEnter(d);
    EXPECT_EQ(d.OrderList, QStringList({"T.a", "计算列：sum(a)"}));
    const QList<TCheckedItem> chosen{{"降序        计算列：max(b)", true},
                                     {"降序        计算列：min(c)", false}};
    EXPECT_EQ(d.OrderColumn, chosen);
}

namespace {

const QString kDesc = DescendingMarker();

QStringList ChosenTexts(const QueryDesign& d) {
    QStringList texts;
    for (const TCheckedItem& item : d.OrderColumn)
        texts << item.Text + (item.Checked ? "+" : "");
    return texts;
}

} // namespace

TEST(SortAndGroupMoves, ChooseOnceReturnBareIgnoreOutOfRange) {
    const QStringList unchangedChosen = {kDesc + "T.A", kDesc + "t.x+"};
    const struct {
        const char* What;
        std::function<void(QueryDesign&)> Move;
        QStringList Offered, Chosen, Groups, Grouped;
    } cases[] = {
        {"choose descending", [](QueryDesign& d) { ChooseSortColumn(d, 1, true); }, {"t.a"},
         {kDesc + "T.A", kDesc + "t.x+", kDesc + "t.b+"}, {"g.a", "g.b"}, {"G.A"}},
        {"chosen already, letter case aside: stays offered",
         [](QueryDesign& d) { ChooseSortColumn(d, 0); }, {"t.a", "t.b"}, unchangedChosen,
         {"g.a", "g.b"}, {"G.A"}},
        {"returns bare, the tick gone", [](QueryDesign& d) { ReturnSortColumn(d, 1); },
         {"t.a", "t.b", "t.x"}, {kDesc + "T.A"}, {"g.a", "g.b"}, {"G.A"}},
        {"group chosen already", [](QueryDesign& d) { ChooseGroupColumn(d, 0); }, {"t.a", "t.b"},
         unchangedChosen, {"g.a", "g.b"}, {"G.A"}},
        {"group both ways",
         [](QueryDesign& d) {
             ChooseGroupColumn(d, 1);
             ReturnGroupColumn(d, 0);
         },
         {"t.a", "t.b"}, unchangedChosen, {"g.a", "G.A"}, {"g.b"}},
        {"outside the lists",
         [](QueryDesign& d) {
             ChooseSortColumn(d, 2);
             ChooseSortColumn(d, -1);
             ReturnSortColumn(d, 2);
             ChooseGroupColumn(d, 2);
             ReturnGroupColumn(d, -1);
         },
         {"t.a", "t.b"}, unchangedChosen, {"g.a", "g.b"}, {"G.A"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        QueryDesign d;
        d.OrderList = {"t.a", "t.b"};
        d.OrderColumn = {{kDesc + "T.A", false}, {kDesc + "t.x", true}};
        d.GroupList = {"g.a", "g.b"};
        d.GroupColumn = {"G.A"};
        c.Move(d);
        EXPECT_EQ(d.OrderList, c.Offered);
        EXPECT_EQ(ChosenTexts(d), c.Chosen);
        EXPECT_EQ(d.GroupList, c.Groups);
        EXPECT_EQ(d.GroupColumn, c.Grouped);
    }
}

TEST(FindCandidate, WholeTextFirstThenTheColumnAfterTheBoxName) {
    const QStringList list = {"a.id", "b.name", "B.ID", "计算列：sum(x)"};
    EXPECT_EQ(FindCandidate(list, "b.id"), 2);
    EXPECT_EQ(FindCandidate(list, "ID"), 0);
    EXPECT_EQ(FindCandidate(list, "name"), 1);
    EXPECT_EQ(FindCandidate(list, "me"), -1) << "only a whole column part";
    EXPECT_EQ(FindCandidate(list, "sum(x)"), -1) << "computed entries are not columns";
}
