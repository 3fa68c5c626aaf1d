#include "DesignBuilder.h"

#include "query/Links.h"
#include "sqltext/DataSourceKind.h"

#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

namespace {

TCatalogue Tables() {
    TCatalogue c;
    c.Table("A", {"id:3", "name", "price:6", "note:16"})
        .Table("B", {"aid:3", "cost:6", "memo:16", "name"});
    return c;
}

} // namespace

TEST(CheckNewLink, RefusesWithTheTextsOfEachRule) {
    const TCatalogue c = Tables();
    TDesignBuilder b(c);
    b.Box("A").Box("B");
    const TDesignBox& a = b.Design().Boxes[0];
    const TDesignBox& bb = b.Design().Boxes[1];
    const struct {
        bool same;
        int row1, row2;
        const char* text;
        const char* caption;
        bool refused;
    } cases[] = {
        {false, -1, 1, "无法插入链接！链接的字段已不存在！", "提示!", true},
        {false, 0, 1, "", "", true},
        {true, 1, 2, "表不能与自身建立链接！", "", true},
        {false, 1, 2,
         "链接字段类型必须一致！\r\nA的字段id数据类型是整型,\r\n而B的字段cost数据类型是浮点型", "",
         true},
        {false, 0, -1, "无法插入链接！链接的字段已不存在！", "提示!", true},
        {false, 2, 1,
         "链接字段类型必须一致！\r\nA的字段name数据类型是字符型,\r\n而B的字段aid数据类型是整型", "",
         true},
        {false, 4, 3, "", "", false}, // two memo columns: no class on either side
        {false, 1, 1, "", "", false},
    };
    for (const auto& k : cases) {
        const TLinkRefusal r = CheckNewLink(a, k.same ? a : bb, k.same, k.row1, k.row2);
        EXPECT_EQ(r.Refused, k.refused) << k.row1 << "," << k.row2;
        EXPECT_EQ(r.Text, QString::fromUtf8(k.text));
        EXPECT_EQ(r.Caption, QString::fromUtf8(k.caption));
    }
}

TEST(InsertLink, RefusesTheSameColumnsTwiceInEitherDirection) {
    const TCatalogue c = Tables();
    QStringList messages;
    const TDesignHooks hooks = c.Hooks(&messages);
    TDesignBuilder b(c);
    b.Box("A").Box("B");
    EXPECT_EQ(InsertLink(b, 0, 1, 1, 1, hooks), 0);
    EXPECT_EQ(InsertLink(b, 1, 0, 1, 1, hooks), -1);
    EXPECT_EQ(InsertLink(b, 0, 1, 1, 1, hooks), -1);
    EXPECT_EQ(InsertLink(b, 0, 1, 2, 4, hooks), 1); // other columns of the same boxes
    EXPECT_EQ(messages, QStringList({"|These tables are already linked.",
                                     "|These tables are already linked."}));
    EXPECT_EQ(b.Design().Links.size(), 2);
    EXPECT_TRUE(FindOtherLink(b, 0, 0, 2));
    EXPECT_FALSE(FindOtherLink(b, 1, 0, 2));
}

TEST(InsertLink, AColumnBeyondTheBoxIsLinkedAsMissing) {
    const TCatalogue c = Tables();
    QStringList messages;
    TDesignBuilder b(c);
    b.Box("A").Box("B", "bb");
    EXPECT_EQ(InsertLink(b, 0, 1, 1, 9, c.Hooks(&messages)), 0);
    EXPECT_EQ(messages, QStringList{"提示！|表B不存在第10列！"}) << "named by table, not alias";
    const TDesignLink& link = b.Design().Links[0];
    EXPECT_EQ(link.Row2, -1);
    EXPECT_EQ(link.Field2, QString());
    EXPECT_EQ(link.Field1, "id");
}

TEST(IsLinkList, DecidesWhichConditionsAreLinks) {
    const TCatalogue c = Tables();
    const struct {
        QStringList elements;
        int kind, joinType, result;
    } cases[] = {
        {{"", "A.id", "=", "B.aid", "", ""}, dsAccess, -1, 0},
        {{"", "A.id", "=", "B.aid", "", "and"}, dsAccess, 3, 3},
        {{"", "A.id", "=", "B.aid", ""}, dsAccess, -1, -2},
        {{"", "A.id", "=", "B.aid", "", " or "}, dsAccess, -1, -1},
        {{"(", "A.id", "=", "B.aid", "", "and"}, dsAccess, -1, -1},
        {{"(", "A.id", "=", "B.aid", ")", ""}, dsAccess, -1, 0}, // a pair that closes itself
        {{"", "A.id", "*=", "B.aid", "", ""}, dsAccess, -1, -1},
        {{"", "A.id", "*=", "B.aid", "", ""}, dsSqlServer, -1, 1},
        {{"", "A.id", "=*", "B.aid", "", ""}, dsSybase, -1, 2},
        {{"", "A.id(+)", "=", "B.aid", "", ""}, dsOracle, -1, 2},
        {{"", "A.id", "=", "B.aid (+)", "", ""}, dsOracle, -1, 1},
        {{"", "A.id(+)", "=", "B.aid", "", ""}, dsAccess, -1, -1},
        {{"", "A.id", "=", "A.price", "", ""}, dsAccess, -1, -1},
        {{"", "A.id", "=", "1", "", ""}, dsAccess, -1, -1},
        {{"", "A.id", ">", "B.aid", "", ""}, dsAccess, -1, -1},
        {{"", "a.ID", "=", "aid", "", ""}, dsAccess, -1, 0},
    };
    for (const auto& k : cases) {
        TDesignBuilder b(c);
        b.Box("A").Box("B");
        EXPECT_EQ(IsLinkList(b, k.elements, k.kind, k.joinType, {}), k.result)
            << k.elements.join(' ').toStdString() << " kind " << k.kind;
        EXPECT_EQ(b.Design().Links.size(), k.result >= 0 ? 1 : 0);
        if (k.result >= 0) {
            EXPECT_EQ(b.Design().Links[0].JoinType, k.result);
        }
    }
}

TEST(IsLinkList, ABareFieldMatchesInTheLastBox) {
    const TCatalogue c = Tables();
    TDesignBuilder b(c);
    b.Box("A").Box("B").Box("A", "a2");
    EXPECT_EQ(IsLinkList(b, {"", "name", "=", "B.name", "", ""}, dsAccess, -1, {}), 0);
    const TDesignLink& link = b.Design().Links[0];
    EXPECT_EQ(link.Table1, 2);
    EXPECT_EQ(link.Table2, 1);
}

TEST(JudgeNewLink, JudgedOnValuesAlone) {
    TDesignBox box;
    box.TableName = "T";
    box.Fields = {{"*", 0, false},
                  {"id", ftInteger, false},
                  {"d", ftDate, false},
                  {"ts", ftDateTime, false}};
    const QList<TDesignLink> links = {TDesignLink{1, 0, 1, 1, {}, {}, 0, {}}};
    EXPECT_FALSE(JudgeNewLink(box, 0, box, 1, 2, 3, links).Refused) << "dates of two types";
    const TLinkVerdict crossed = JudgeNewLink(box, 0, box, 1, 1, 1, links);
    EXPECT_TRUE(crossed.Refused);
    EXPECT_EQ(crossed.Refusal.Text, "These tables are already linked.");
    const TLinkVerdict missing = JudgeNewLink(box, 0, box, 1, 7, 8, links);
    EXPECT_FALSE(missing.Refused);
    EXPECT_EQ(missing.Row1, -1);
    EXPECT_EQ(missing.Notices.size(), 2);
    EXPECT_TRUE(JudgeNewLink(box, 0, box, 1, 7, 8, {TDesignLink{0, 1, -1, -1, {}, {}, 0, {}}}).Refused)
        << "two missing ends equal another link's";
}
