#include "query/Layout.h"

#include <QRandomGenerator>
#include <QSize>
#include <gtest/gtest.h>

using namespace quillary;

namespace {

// A design of `sizes.size()` boxes (width x height), all at the same place
// as the simple placement leaves them when it runs out of room, joined by
// `joins` (pairs of box indexes).
QueryDesign Design(const QList<QSize>& sizes, const QList<std::pair<int, int>>& joins) {
    QueryDesign design;
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        TDesignBox box;
        box.TableName = QStringLiteral("t%1").arg(i);
        box.Left = 10;
        box.Top = 10;
        box.Width = sizes[i].width();
        box.Height = sizes[i].height();
        design.Boxes << box;
    }
    for (const auto& [a, b] : joins) {
        TDesignLink link;
        link.Table1 = a;
        link.Table2 = b;
        link.Row1 = link.Row2 = 1;
        design.Links << link;
    }
    return design;
}

QList<QSize> Sizes(int n, QSize size = QSize(150, 120)) {
    return QList<QSize>(n, size);
}

// The horizontal room between two boxes; negative when they share columns
// of pixels.
int HorizontalGap(const TDesignBox& a, const TDesignBox& b) {
    return std::max(b.Left - (a.Left + a.Width), a.Left - (b.Left + b.Width));
}

int VerticalGap(const TDesignBox& a, const TDesignBox& b) {
    return std::max(b.Top - (a.Top + a.Height), a.Top - (b.Top + b.Height));
}

struct TShape {
    const char* Name;
    QueryDesign Design;
    bool Tree; // every link joins neighbouring columns
};

QList<TShape> Shapes() {
    QList<TShape> shapes;
    shapes.append({"a chain of four", Design(Sizes(4), {{0, 1}, {1, 2}, {2, 3}}), true});
    QList<std::pair<int, int>> star;
    for (int i = 1; i < 20; ++i)
        star.append({0, i});
    shapes.append({"a star of twenty", Design(Sizes(20), star), true});
    // A snowflake of 200 boxes of different sizes: a random tree.
    QRandomGenerator random(7);
    QList<QSize> sizes;
    QList<std::pair<int, int>> tree;
    for (int i = 0; i < 200; ++i) {
        sizes << QSize(100 + random.bounded(120), 60 + random.bounded(200));
        if (i > 0) tree.append({int(random.bounded(i)), i});
    }
    shapes.append({"a tree of two hundred", Design(sizes, tree), true});
    // Cycles, a link of a box to itself, a link to a box that is not there,
    // two links between the same boxes and boxes joined to nothing.
    shapes.append({"cycles and strays",
                   Design(Sizes(9), {{0, 1}, {1, 2}, {2, 0}, {3, 3}, {4, 40}, {5, 6}, {6, 5}}),
                   false});
    shapes.append({"nothing joined", Design(Sizes(12, QSize(200, 90)), {}), true});
    return shapes;
}

} // namespace

TEST(ArrangeBoxes, NoBoxTouchesAnotherAndEveryLinkHasRoom) {
    for (TShape& shape : Shapes()) {
        SCOPED_TRACE(shape.Name);
        ASSERT_TRUE(BoxesOverlap(shape.Design) || shape.Design.Boxes.size() < 2);
        const QueryDesign before = shape.Design;
        ArrangeBoxes(shape.Design, TArrangeSpacing{10, 60, 40, 1200});
        QueryDesign& d = shape.Design;
        EXPECT_FALSE(BoxesOverlap(d));
        for (qsizetype i = 0; i < d.Boxes.size(); ++i) {
            EXPECT_EQ(d.Boxes[i].Width, before.Boxes[i].Width) << "sizes are kept";
            EXPECT_GE(d.Boxes[i].Left, 10);
            EXPECT_GE(d.Boxes[i].Top, 10);
        }
        for (const TDesignLink& link : d.Links) {
            if (link.Table1 == link.Table2 || link.Table2 >= d.Boxes.size()) continue;
            const TDesignBox& a = d.Boxes[link.Table1];
            const TDesignBox& b = d.Boxes[link.Table2];
            if (shape.Tree)
                EXPECT_GE(HorizontalGap(a, b), 60) << link.Table1 << "-" << link.Table2;
            else
                EXPECT_GE(std::max(HorizontalGap(a, b), VerticalGap(a, b)), 40);
        }
        // Arranging what is arranged changes nothing.
        QueryDesign again = d;
        ArrangeBoxes(again, TArrangeSpacing{10, 60, 40, 1200});
        EXPECT_EQ(again.Boxes, d.Boxes);
    }
}

TEST(ArrangeBoxes, GroupsNotJoinedWrapAtTheWidthAndTheStarSharesItsSides) {
    QueryDesign loose = Design(Sizes(12, QSize(200, 90)), {});
    ArrangeBoxes(loose, TArrangeSpacing{10, 60, 40, 900});
    int right = 0, bottom = 0;
    for (const TDesignBox& box : loose.Boxes) {
        right = std::max(right, box.Left + box.Width);
        bottom = std::max(bottom, box.Top + box.Height);
    }
    EXPECT_LE(right, 900);
    EXPECT_EQ(bottom, 10 + 4 * 90 + 3 * 40) << "three to a band, four bands";

    // The box with most links in the middle, its branches on both sides:
    // half the height of one column of nineteen.
    QList<std::pair<int, int>> star;
    for (int i = 1; i < 20; ++i)
        star.append({i, 0});
    QueryDesign d = Design(Sizes(20), star);
    ArrangeBoxes(d);
    int leftOfHub = 0, rightOfHub = 0;
    for (int i = 1; i < 20; ++i)
        (d.Boxes[i].Left < d.Boxes[0].Left ? leftOfHub : rightOfHub)++;
    EXPECT_EQ(leftOfHub, 9);
    EXPECT_EQ(rightOfHub, 10);
    EXPECT_GT(d.Boxes[0].Top, 10) << "the hub is centred on its columns";
}
