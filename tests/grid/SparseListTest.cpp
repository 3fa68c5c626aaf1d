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

// Which of `items` stands at each of the given positions (-1: none).
template <class List>
std::vector<int> At(const List& list, Item* items, std::initializer_list<int> positions) {
    std::vector<int> out;
    for (int p : positions)
        out.push_back(list.Get(p) ? int(list.Get(p) - items) : -1);
    return out;
}

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

    // The read cache follows writes.
    Item b{2};
    small.Put(7, &a);
    EXPECT_EQ(small.Get(7), &a); // cached now
    small.Put(7, &b);
    EXPECT_EQ(small.Get(7), &b);
    small.Put(7, nullptr);
    EXPECT_EQ(small.Get(7), nullptr);
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
    EXPECT_EQ(At(list, items, {0, 10, 19, 39}), (std::vector<int>{0, -1, 2, 4}));
    list.Insert(0, &items[1]); // everything moves up again
    EXPECT_EQ(At(list, items, {0, 1, 20, 40}), (std::vector<int>{1, 0, 2, 4}));
    list.Exchange(0, 1);
    EXPECT_EQ(At(list, items, {0, 1}), (std::vector<int>{0, 1}));
    EXPECT_THROW(list.Delete(-1), EListError);
    EXPECT_THROW(list.Delete(list.Count()), EListError);

    // Move rotates only the range between.
    TSparseList<Item> four(TSPAQuantum::SPASmall);
    for (int i = 0; i < 4; ++i)
        four.Put(i, &items[i]);
    four.Move(0, 2);
    EXPECT_EQ(At(four, items, {0, 1, 2, 3}), (std::vector<int>{1, 2, 0, 3}));
    four.Move(3, 0);
    EXPECT_EQ(At(four, items, {0, 1, 2, 3}), (std::vector<int>{3, 1, 2, 0}));

    // Far apart in a sparse list: empty positions move as well.
    TSparseList<Item> sparse(TSPAQuantum::SPALarge);
    sparse.Put(5, &items[0]);
    sparse.Put(100000, &items[1]);
    sparse.Move(5, 99999);
    EXPECT_EQ(At(sparse, items, {5, 99999, 100000}), (std::vector<int>{-1, 0, 1}));
    sparse.Move(100000, 0);
    EXPECT_EQ(At(sparse, items, {0, 100000}), (std::vector<int>{1, 0}));
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
