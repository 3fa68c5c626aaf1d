// The sparse cell storage: sections allocated on demand, the read cache,
// shifting moves, and the cell records of a row.
#include "grid/SparseList.h"

#include <QObject>
#include <gtest/gtest.h>
#include <vector>

using namespace quillary;

namespace {

struct Item {
    int value;
};

} // namespace

TEST(SparsePointerArray, AllocatesOnlyTheSectionsWritten) {
    TSparsePointerArray<Item> small(TSPAQuantum::SPASmall);
    TSparsePointerArray<Item> large(TSPAQuantum::SPALarge);
    EXPECT_EQ(small.SectionSize(), 16);
    EXPECT_EQ(large.SectionSize(), 256);
    Item a{1};
    EXPECT_EQ(small.Get(1000000), nullptr); // reading allocates nothing
    EXPECT_EQ(small.DirectorySize(), 0u);
    EXPECT_EQ(small.HighBound(), -1);

    small.Put(1000, &a);
    large.Put(1000, &a);
    EXPECT_EQ(small.SectionCount(), 1u);
    EXPECT_EQ(small.DirectorySize(), std::size_t(1000 / 16 + 1));
    EXPECT_EQ(large.DirectorySize(), std::size_t(1000 / 256 + 1));
    EXPECT_EQ(small.Get(1000), &a);
    EXPECT_EQ(small.Get(1001), nullptr);
    EXPECT_EQ(small.HighBound(), 1000);

    // Clearing a slot in an absent section allocates nothing.
    small.Put(5000, nullptr);
    EXPECT_EQ(small.SectionCount(), 1u);
    EXPECT_THROW(small.Put(-1, &a), EListError);
    EXPECT_EQ(small.Get(-1), nullptr);
}

TEST(SparsePointerArray, CacheFollowsWrites) {
    TSparsePointerArray<Item> array(TSPAQuantum::SPASmall);
    Item a{1}, b{2};
    array.Put(7, &a);
    EXPECT_EQ(array.Get(7), &a); // cached now
    array.Put(7, &b);
    EXPECT_EQ(array.Get(7), &b);
    array.Put(7, nullptr);
    EXPECT_EQ(array.Get(7), nullptr);
}

TEST(SparsePointerArray, ForAllVisitsInOrderAndStopsOnNonZero) {
    TSparsePointerArray<Item> array(TSPAQuantum::SPASmall);
    Item items[4] = {{0}, {1}, {2}, {3}};
    array.Put(300, &items[3]);
    array.Put(2, &items[0]);
    array.Put(17, &items[1]);
    array.Put(40, &items[2]);
    std::vector<int> seen;
    const int result = array.ForAll([&](int index, Item* item) {
        seen.push_back(index);
        return item->value == 2 ? 99 : 0;
    });
    EXPECT_EQ(result, 99);
    EXPECT_EQ(seen, (std::vector<int>{2, 17, 40}));
}

TEST(SparseList, DeleteInsertExchangeAndMoveShiftLikeAList) {
    TSparseList<Item> list(TSPAQuantum::SPASmall);
    Item items[5] = {{0}, {1}, {2}, {3}, {4}};
    for (int i = 0; i < 5; ++i)
        list.Put(i * 10, &items[i]); // 0,10,20,30,40
    EXPECT_EQ(list.Count(), 41);

    list.Delete(10); // items behind move down by one
    EXPECT_EQ(list.Count(), 40);
    EXPECT_EQ(list.Get(10), nullptr);
    EXPECT_EQ(list.Get(19), &items[2]);
    EXPECT_EQ(list.Get(39), &items[4]);

    list.Insert(0, &items[1]); // everything moves up again
    EXPECT_EQ(list.Get(0), &items[1]);
    EXPECT_EQ(list.Get(1), &items[0]);
    EXPECT_EQ(list.Get(20), &items[2]);
    EXPECT_EQ(list.Get(40), &items[4]);

    list.Exchange(0, 1);
    EXPECT_EQ(list.Get(0), &items[0]);
    EXPECT_EQ(list.Get(1), &items[1]);
    EXPECT_THROW(list.Delete(-1), EListError);
    EXPECT_THROW(list.Delete(list.Count()), EListError);
}

TEST(SparseList, MoveRotatesOnlyTheRangeBetween) {
    TSparseList<Item> list(TSPAQuantum::SPASmall);
    Item a{0}, b{1}, c{2}, d{3};
    list.Put(0, &a);
    list.Put(1, &b);
    list.Put(2, &c);
    list.Put(3, &d);
    list.Move(0, 2); // a to 2: b, c, a, d
    EXPECT_EQ(list.Get(0), &b);
    EXPECT_EQ(list.Get(1), &c);
    EXPECT_EQ(list.Get(2), &a);
    EXPECT_EQ(list.Get(3), &d);
    list.Move(3, 0); // d to 0: d, b, c, a
    EXPECT_EQ(list.Get(0), &d);
    EXPECT_EQ(list.Get(1), &b);
    EXPECT_EQ(list.Get(3), &a);

    // Far apart in a sparse list: empty positions move as well.
    TSparseList<Item> sparse(TSPAQuantum::SPALarge);
    sparse.Put(5, &a);
    sparse.Put(100000, &b);
    sparse.Move(5, 99999);
    EXPECT_EQ(sparse.Get(5), nullptr);
    EXPECT_EQ(sparse.Get(99999), &a);
    EXPECT_EQ(sparse.Get(100000), &b);
    sparse.Move(100000, 0);
    EXPECT_EQ(sparse.Get(0), &b);
    EXPECT_EQ(sparse.Get(100000), &a);
    EXPECT_EQ(sparse.Count(), 100001);
}

TEST(StringSparseList, CellRecordsComeAndGoWithTheirContents) {
    TStringSparseList row(TSPAQuantum::SPASmall);
    QObject object;
    EXPECT_EQ(row.Get(3), QString());
    EXPECT_EQ(row.GetObject(3), nullptr);

    row.Put(3, QStringLiteral("文本"));
    EXPECT_EQ(row.Get(3), QStringLiteral("文本"));
    EXPECT_NE(row.List().Get(3), nullptr);

    // Clearing the text of a cell without object frees its record.
    row.Put(3, QString());
    EXPECT_EQ(row.List().Get(3), nullptr);

    // An object alone makes a record with empty text; the text keeps it.
    row.PutObject(5, &object);
    EXPECT_EQ(row.Get(5), QString());
    EXPECT_EQ(row.GetObject(5), &object);
    row.Put(5, QStringLiteral("x"));
    EXPECT_EQ(row.GetObject(5), &object);
    row.Put(5, QString());
    EXPECT_NE(row.List().Get(5), nullptr); // the object keeps the record
    EXPECT_EQ(row.GetObject(5), &object);

    // A null object on an empty slot creates nothing.
    row.PutObject(9, nullptr);
    EXPECT_EQ(row.List().Get(9), nullptr);

    row.Put(0, QStringLiteral("a"));
    row.Put(1, QStringLiteral("b"));
    row.Move(0, 1);
    EXPECT_EQ(row.Get(0), QStringLiteral("b"));
    EXPECT_EQ(row.Get(1), QStringLiteral("a"));
    row.Clear();
    EXPECT_EQ(row.Count(), 0);
    EXPECT_EQ(row.Get(1), QString());
}
