// Property columns: the definitions, their link to ColCount and row 0, and
// the grid operations that add, change and delete columns.
#include "GridTestSupport.h"

#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

TEST(CellValueProp, DefaultsPickListAndAssignment) {
    TCellValueProps props;
    EXPECT_EQ(props.Count(), 0); // without a grid, no definitions to start with
    TCellValueProp* d = props.Add();
    EXPECT_EQ(std::make_tuple(d->DropDownRows(), d->Tag(), d->EditMode()),
              std::make_tuple(7u, 0, emSimple));
    EXPECT_FALSE(d->HasPickList());
    EXPECT_TRUE(d->PickList()->isEmpty()); // reading creates it
    EXPECT_TRUE(d->HasPickList());
    d->SetPickList(nullptr);
    EXPECT_FALSE(d->HasPickList());
    const QStringList ops{"=", "<>", "like"};
    d->SetPickList(ops);
    EXPECT_EQ(*d->PickList(), ops);
    EXPECT_EQ(d->Index(), 0);

    TCellValueProp* e = props.AddInfo(4, 9, emEllipsis, &ops);
    EXPECT_EQ(std::make_tuple(e->DropDownRows(), e->Tag(), e->EditMode(), *e->PickList()),
              std::make_tuple(4u, 9, emEllipsis, ops));
    EXPECT_FALSE(props.AddInfo(7, 0, emSimple, nullptr)->HasPickList());

    d->SetPropertyLabel(QStringLiteral("字段"));
    d->SetPropertyValue(QStringLiteral("="));
    e->Assign(*d);
    EXPECT_TRUE(e->SameAs(*d));
    EXPECT_EQ(e->DropDownRows(), 7u);
    EXPECT_EQ(e->PropertyLabel(), QStringLiteral("字段"));

    EXPECT_THROW(props.Items(3), EListError);
    EXPECT_THROW(props.Delete(-1), EListError);
    QString message;
    try {
        props.GetCellValueProp(5);
    } catch (const EListError& error) {
        message = error.Message();
    }
    EXPECT_EQ(message, QStringLiteral("List index out of bounds (5)"));
}

TEST(PropertyColumns, ColCountFollowsTheDefinitionsAndRowZeroTheLabels) {
    TStringGridEx grid;
    EXPECT_EQ(grid.PropValues()->Count(), 2);
    grid.PropValues()->Items(1)->SetPropertyLabel(QStringLiteral("值"));
    EXPECT_EQ(grid.GetCells(1, 0), QStringLiteral("值"));

    grid.PropValues()->Add();
    EXPECT_EQ(grid.ColCount(), 3);
    grid.PropValues()->Delete(0);
    EXPECT_EQ(grid.ColCount(), 2);
    EXPECT_EQ(grid.GetCells(0, 0), QStringLiteral("值"));

    // Setting ColCount directly does not touch the definitions...
    TStringGridEx g2;
    g2.SetColCount(1);
    EXPECT_EQ(g2.PropValues()->Count(), 2);
    // ...until the next row-count change trims them.
    g2.SetRowCount(9);
    EXPECT_EQ(g2.PropValues()->Count(), 1);
    EXPECT_EQ(g2.ColCount(), 1);

    // Growing the grid appends empty definitions.
    TStringGridEx g3;
    g3.SetColCount(6);
    g3.SetRowCount(3);
    EXPECT_EQ(g3.PropValues()->Count(), 6);
    EXPECT_EQ(g3.ColCount(), 6);
}

TEST(PropertyColumns, EveryLabelChangeRunsTheRefreshOnce) {
    TStringGridEx grid;
    int updates = 0;
    auto names = grid.OnPropsUpdate;
    grid.OnPropsUpdate = [&](QObject* s) {
        ++updates;
        names(s);
    };
    grid.PropValues()->Items(0)->SetPropertyLabel(QStringLiteral("a"));
    EXPECT_EQ(updates, 1);
    grid.PropValues()->Items(0)->SetPropertyValue(QStringLiteral("v"));
    EXPECT_EQ(updates, 2);
    // Edit mode, tag and drop-down rows are plain stores.
    grid.PropValues()->Items(0)->SetEditMode(emPickList);
    grid.PropValues()->Items(0)->SetTag(3);
    grid.PropValues()->Items(0)->SetDropDownRows(2);
    EXPECT_EQ(updates, 2);
    // Replacing all definitions is one notification.
    TCellValueProps replacement;
    for (const char* label : {"(", "联合", ")", "关键词"})
        replacement.Add()->SetPropertyLabel(QString::fromUtf8(label));
    grid.SetPropValues(replacement);
    EXPECT_EQ(grid.ColCount(), 4);
    EXPECT_EQ(grid.GetCells(3, 0), QStringLiteral("关键词"));
    EXPECT_EQ(updates, 4); // the collection's notification, then SetPropValues' own
    // Property values never reach the cells.
    EXPECT_EQ(grid.GetCells(0, 1), QString());
}

TEST(PropertyColumns, AddChangeAndDeletePropertyColumns) {
    TStringGridEx grid;
    auto column2 = [&] {
        const TCellValueProp* d = grid.PropValues()->Items(2);
        return std::make_tuple(grid.ColCount(), grid.GetCells(2, 0), d->EditMode(),
                               d->PropertyValue());
    };
    grid.AddPropertyCol(QStringLiteral("关系运算符"), QStringLiteral("="), emPickList);
    EXPECT_EQ(column2(),
              std::make_tuple(3, QStringLiteral("关系运算符"), emPickList, QStringLiteral("=")));
    grid.ChangePropertyCol(2, QStringLiteral("运算符"), QStringLiteral("<>"), emEllipsis);
    EXPECT_EQ(column2(),
              std::make_tuple(3, QStringLiteral("运算符"), emEllipsis, QStringLiteral("<>")));
    EXPECT_THROW(grid.ChangePropertyCol(7, QString(), QString(), emSimple), EListError);

    // Deleting leaves the cells under their column numbers.
    grid.AddPropertyCol(QStringLiteral("逻辑运算符"), QString(), emPickList);
    grid.SetCells(2, 1, QStringLiteral("two"));
    grid.SetCells(3, 1, QStringLiteral("three"));
    grid.DeletePropertyCol(2);
    EXPECT_EQ(grid.ColCount(), 3);
    EXPECT_EQ(grid.GetCells(2, 0), QStringLiteral("逻辑运算符"));
    EXPECT_EQ(grid.PropValues()->Items(2)->EditMode(), emPickList);
    EXPECT_EQ(grid.GetCells(2, 1), QStringLiteral("two"));
    EXPECT_EQ(grid.GetCells(3, 1), QStringLiteral("three")); // no longer shown, still stored

    grid.DeletePropertyCol(0); // column 0 stays
    EXPECT_EQ(grid.ColCount(), 3);
    EXPECT_THROW(grid.DeletePropertyCol(9), EListError);
    EXPECT_EQ(grid.ColCount(), 3);
    TStringGridEx one;
    one.PropValues()->Delete(1);
    ASSERT_EQ(one.ColCount(), 1);
    one.DeletePropertyCol(1); // the last column stays
    EXPECT_EQ(one.ColCount(), 1);
}

TEST(PropertyColumns, TitleColumns) {
    TStringGridEx grid;
    grid.SetFixedTitleRow(false); // labels go to row 0 even when it is not fixed
    grid.PropValues()->Items(1)->SetPropertyLabel(QStringLiteral("值"));
    grid.SetTitleNameColumn(QStringLiteral("属性"));
    EXPECT_EQ(grid.TitleNameColumn(), QStringLiteral("属性"));
    EXPECT_EQ(grid.GetCells(0, 0), QStringLiteral("属性"));
    EXPECT_EQ(grid.PropValues()->Items(0)->PropertyLabel(), QStringLiteral("属性"));

    // The value title becomes definition 0's value; the header of column 1
    // keeps column 1's label.
    grid.SetTitleValueColumn(QStringLiteral("取值"));
    EXPECT_EQ(grid.TitleValueColumn(), QStringLiteral("取值"));
    EXPECT_EQ(grid.PropValues()->Items(0)->PropertyValue(), QStringLiteral("取值"));
    EXPECT_EQ(grid.GetCells(1, 0), QStringLiteral("值"));
}
