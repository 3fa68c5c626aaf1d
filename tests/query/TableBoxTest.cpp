#include "query/DesignTexts.h"
#include "query/TableBox.h"

#include <gtest/gtest.h>

using namespace quillary;

namespace {

const QString kDesc = DescendingMarker();

QueryDesign Lists() {
    QueryDesign d;
    d.OrderList = {"c.City"};
    d.OrderColumn = {{kDesc + "c.Phone", true}, {kDesc + "cc.Fax", false}};
    d.GroupList = {"c.City", "c.Phone", "cc.Fax"};
    d.GroupColumn = {"c.Name"};
    d.ConditionPickList = {"c.City", "c.Phone", "cc.Fax", "c.Name"};
    return d;
}

QStringList Chosen(const QueryDesign& d) {
    QStringList texts;
    for (const TCheckedItem& item : d.OrderColumn)
        texts << item.Text.mid(kDesc.size());
    return texts;
}

} // namespace

TEST(TickSortCandidates, OfferedOnceNotWhileChosenAndUntickedFromBothLists) {
    const struct {
        const char* What;
        QList<TSortTick> Ticks;
        QStringList Offered, Chosen;
    } cases[] = {
        {"a new tick is offered", {{"c.Name", true}}, {"c.City", "c.Name"}, {"c.Phone", "cc.Fax"}},
        {"offered already, letter case aside", {{"C.CITY", true}}, {"c.City"},
         {"c.Phone", "cc.Fax"}},
        {"chosen already", {{"c.phone", true}}, {"c.City"}, {"c.Phone", "cc.Fax"}},
        {"untick leaves both lists", {{"c.city", false}, {"C.Phone", false}}, {},
         {"cc.Fax"}},
        {"in order: ticked twice is offered once", {{"x.a", true}, {"x.a", true}, {"x.b", true}},
         {"c.City", "x.a", "x.b"}, {"c.Phone", "cc.Fax"}},
        {"ticked then unticked", {{"x.a", true}, {"x.a", false}}, {"c.City"},
         {"c.Phone", "cc.Fax"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        QueryDesign d = Lists();
        TickSortCandidates(d, c.Ticks);
        EXPECT_EQ(d.OrderList, c.Offered);
        EXPECT_EQ(Chosen(d), c.Chosen);
        EXPECT_EQ(d.GroupList, Lists().GroupList) << "grouping does not follow ticks";
    }
}

TEST(ColumnLists, BoxesOfferWithdrawAndRenameTheirEntries) {
    QueryDesign d = Lists();
    OfferColumns(d, {"o.Id", "o.Date"});
    EXPECT_EQ(d.GroupList.mid(3), (QStringList{"o.Id", "o.Date"}));
    EXPECT_EQ(d.ConditionPickList.mid(4), (QStringList{"o.Id", "o.Date"}));
    EXPECT_TRUE(d.OrderList == Lists().OrderList) << "offered for sorting only when ticked";

    // "c." is a prefix; "cc." is another box whose name begins alike.
    QueryDesign renamed = d;
    UpdateCriterList(renamed, "c", "k");
    EXPECT_EQ(renamed.OrderList, QStringList{"k.City"});
    EXPECT_EQ(Chosen(renamed), (QStringList{"k.Phone", "cc.Fax"}));
    EXPECT_TRUE(renamed.OrderColumn[0].Checked) << "the tick stays";
    EXPECT_EQ(renamed.GroupColumn, QStringList{"k.Name"});
    EXPECT_EQ(renamed.ConditionPickList,
              (QStringList{"k.City", "k.Phone", "cc.Fax", "k.Name", "o.Id", "o.Date"}));

    WithdrawColumns(d, "c.");
    EXPECT_TRUE(d.OrderList.isEmpty());
    EXPECT_EQ(Chosen(d), QStringList{"cc.Fax"});
    EXPECT_EQ(d.GroupList, (QStringList{"cc.Fax", "o.Id", "o.Date"}));
    EXPECT_TRUE(d.GroupColumn.isEmpty());
    EXPECT_EQ(d.ConditionPickList, (QStringList{"cc.Fax", "o.Id", "o.Date"}));
}
