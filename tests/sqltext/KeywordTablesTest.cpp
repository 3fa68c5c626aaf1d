#include "SqlTextTestUtil.h"
#include "sqltext/Common.h"

#include <gtest/gtest.h>

using namespace quillary;

TEST(KeywordTables, HoldTheirEntriesInTheOrderCallersWalkThem) {
    // Join types are indexes into sOuterJoin, and longer operators must be
    // tried before the ones they begin with.
    EXPECT_EQ(sOuterJoin, QStringList({"INNER JOIN", "LEFT JOIN", "RIGHT JOIN", "FULL JOIN", "JOIN",
                                       "LEFT OUTER JOIN", "RIGHT OUTER JOIN", "FULL OUTER JOIN"}));
    EXPECT_EQ(sLogical, QStringList({"and", "or"}));
    EXPECT_EQ(sRelaCh1, QStringList({"=*", "*=", "<>", "!=", ">=", "<=", ">", "=", "<"}));
    EXPECT_EQ(sRelaCh2, QStringList({"like", "not like", "in", "not in", "is"}));
    EXPECT_EQ(sUnion, QStringList({"union all", "union", "minus", "intersect"}));
    for (qsizetype i = 0; i < sRelaCh1.size(); ++i)
        for (qsizetype j = i + 1; j < sRelaCh1.size(); ++j)
            EXPECT_FALSE(sRelaCh1[j].size() > 1 && sRelaCh1[j].startsWith(sRelaCh1[i]))
                << sRelaCh1[i].toStdString() << " hides " << sRelaCh1[j].toStdString();
}

TEST(TStack, KeepsCharactersLastInFirstOut) {
    TStack stack;
    EXPECT_EQ(stack.Pop(), QChar()) << "popping an empty stack gives character 0";
    EXPECT_EQ(stack.Gettop(), QChar());
    for (char16_t c : u"('表")
        if (c) stack.Push(c);
    EXPECT_EQ(stack.Gettop(), QChar(u'表'));
    EXPECT_EQ(stack.fcount(), 3) << "Gettop leaves the top in place";
    QString popped;
    for (int i = 0; i < 3; ++i)
        popped += stack.Pop();
    EXPECT_EQ(popped, QStringLiteral("表'("));
    EXPECT_TRUE(stack.IsEmpty());
    EXPECT_EQ(stack.fcount(), 0);
}

TEST(TStack_Str, MovesARepeatedTextToTheTopIgnoringCase) {
    TStack_Str stack;
    EXPECT_EQ(stack.Pop(), QString());
    EXPECT_EQ(stack.Gettop(), QString());
    for (const char* text : {"Orders", "客户", "items", "ORDERS"})
        stack.Push(QString::fromUtf8(text));
    EXPECT_EQ(stack.Gettop(), QStringLiteral("ORDERS"));
    QStringList popped;
    for (int i = 0; i < 3; ++i)
        popped << stack.Pop();
    EXPECT_EQ(popped, QStringList({"ORDERS", "items", "客户"}));
    EXPECT_TRUE(stack.IsEmpty()) << "the old entry is removed, not kept twice";
    stack.Push(QString());
    EXPECT_EQ(stack.fcount(), 1) << "an empty text is an item like any other";
}
