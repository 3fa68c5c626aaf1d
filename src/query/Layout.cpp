#include "query/Layout.h"

#include <QHash>

#include <algorithm>

namespace quillary {

namespace {

constexpr int kDefaultWidth = 100;
constexpr int kDefaultHeight = 80;

int WidthOf(const TDesignBox& box) {
    return box.Width > 0 ? box.Width : kDefaultWidth;
}

int HeightOf(const TDesignBox& box) {
    return box.Height > 0 ? box.Height : kDefaultHeight;
}

// The boxes each box is joined to, each once; a link of a box to itself
// or to a box that is not there joins nothing.
QList<QList<int>> Neighbours(const QueryDesign& design) {
    const int n = int(design.Boxes.size());
    QList<QList<int>> neighbours(n);
    for (const TDesignLink& link : design.Links) {
        const int a = link.Table1, b = link.Table2;
        if (a < 0 || b < 0 || a >= n || b >= n || a == b || neighbours[a].contains(b)) continue;
        neighbours[a] << b;
        neighbours[b] << a;
    }
    return neighbours;
}

// The boxes reached from `start` along the links, in order of discovery,
// with their distance from it and the root child they were reached through.
struct TReach {
    QList<int> Order;
    QHash<int, int> Depth;
    QHash<int, int> Branch; // the first box after `start` on the way
};

TReach Reach(const QList<QList<int>>& neighbours, int start) {
    TReach reach;
    reach.Order << start;
    reach.Depth.insert(start, 0);
    reach.Branch.insert(start, -1);
    for (qsizetype k = 0; k < reach.Order.size(); ++k) {
        const int box = reach.Order[k];
        for (int next : neighbours[box]) {
            if (reach.Depth.contains(next)) continue;
            // Values first: an insert may move what a reference into the
            // hash points at.
            const int depth = reach.Depth.value(box) + 1;
            const int branch = box == start ? next : reach.Branch.value(box);
            reach.Depth.insert(next, depth);
            reach.Branch.insert(next, branch);
            reach.Order << next;
        }
    }
    return reach;
}

// A group of joined boxes as columns, left to right; its size.
struct TGroup {
    QList<QList<int>> Columns;
    int Width = 0;
    int Height = 0;
    QList<int> ColumnWidths;
    QList<int> ColumnHeights;
};

// The columns of one group: the box with most links in the middle, the
// branches that leave it shared out to its right and left so that the
// sides weigh alike, each box as far from the middle as it is from that
// box along the links. A column keeps its boxes in the order of the boxes
// they are joined to in the column nearer the middle.
TGroup Columns(const QueryDesign& design, const QList<QList<int>>& neighbours,
               const QList<int>& members, const TArrangeSpacing& spacing) {
    int root = members.first();
    for (int box : members)
        if (neighbours[box].size() > neighbours[root].size()) root = box;
    const TReach reach = Reach(neighbours, root);

    // Share the branches out: the heaviest first, each to the lighter side.
    QHash<int, int> branchSize;
    for (int box : reach.Order)
        if (box != root) ++branchSize[reach.Branch[box]];
    QList<int> branches = neighbours[root];
    std::stable_sort(branches.begin(), branches.end(),
                     [&](int a, int b) { return branchSize[a] > branchSize[b]; });
    QHash<int, int> side;
    int right = 0, left = 0;
    for (int branch : branches) {
        const bool toRight = right <= left;
        side.insert(branch, toRight ? 1 : -1);
        (toRight ? right : left) += branchSize[branch];
    }

    QHash<int, int> layer;
    int lowest = 0, highest = 0;
    for (int box : reach.Order) {
        const int l = box == root ? 0 : side[reach.Branch[box]] * reach.Depth[box];
        layer.insert(box, l);
        lowest = std::min(lowest, l);
        highest = std::max(highest, l);
    }
    TGroup group;
    group.Columns.resize(highest - lowest + 1);
    for (int box : reach.Order)
        group.Columns[layer[box] - lowest] << box;

    // Outwards from the middle: order each column after its joins inwards.
    QHash<int, int> position;
    const int middle = -lowest;
    position.insert(root, 0);
    for (int distance = 1; distance <= std::max(-lowest, highest); ++distance)
        for (int direction : {-1, 1}) {
            const int c = middle + direction * distance;
            if (c < 0 || c >= group.Columns.size()) continue;
            QList<int>& column = group.Columns[c];
            QHash<int, double> key;
            for (int box : column) {
                double sum = 0;
                int count = 0;
                for (int other : neighbours[box])
                    if (layer[other] - lowest == c - direction) {
                        sum += position[other];
                        ++count;
                    }
                key.insert(box, count ? sum / count : 0);
            }
            std::stable_sort(column.begin(), column.end(),
                             [&](int a, int b) { return key[a] < key[b]; });
            for (qsizetype k = 0; k < column.size(); ++k)
                position.insert(column[k], int(k));
        }

    for (const QList<int>& column : std::as_const(group.Columns)) {
        int width = 0, height = 0;
        for (int box : column) {
            width = std::max(width, WidthOf(design.Boxes[box]));
            height += HeightOf(design.Boxes[box]);
        }
        height += spacing.RowGap * int(column.size() - 1);
        group.ColumnWidths << width;
        group.ColumnHeights << height;
        group.Width += width;
        group.Height = std::max(group.Height, height);
    }
    group.Width += spacing.ColumnGap * int(group.Columns.size() - 1);
    return group;
}

// Puts the boxes of `group` with its top left corner at (x, y); each
// column centred on the tallest.
void Place(QueryDesign& design, const TGroup& group, int x, int y, const TArrangeSpacing& spacing) {
    for (qsizetype c = 0; c < group.Columns.size(); ++c) {
        int top = y + (group.Height - group.ColumnHeights[c]) / 2;
        for (int box : group.Columns[c]) {
            design.Boxes[box].Left = x;
            design.Boxes[box].Top = top;
            top += HeightOf(design.Boxes[box]) + spacing.RowGap;
        }
        x += group.ColumnWidths[c] + spacing.ColumnGap;
    }
}

} // namespace

void ArrangeBoxes(QueryDesign& design, const TArrangeSpacing& spacing) {
    const QList<QList<int>> neighbours = Neighbours(design);
    QList<bool> placed(design.Boxes.size(), false);
    int x = spacing.Margin, y = spacing.Margin, bandHeight = 0;
    for (int first = 0; first < design.Boxes.size(); ++first) {
        if (placed[first]) continue;
        const QList<int> members = Reach(neighbours, first).Order;
        for (int box : members)
            placed[box] = true;
        const TGroup group = Columns(design, neighbours, members, spacing);
        if (spacing.Width > 0 && x > spacing.Margin && x + group.Width > spacing.Width - spacing.Margin) {
            x = spacing.Margin;
            y += bandHeight + spacing.RowGap;
            bandHeight = 0;
        }
        Place(design, group, x, y, spacing);
        x += group.Width + spacing.ColumnGap;
        bandHeight = std::max(bandHeight, group.Height);
    }
}

bool BoxesOverlap(const QueryDesign& design) {
    const QList<TDesignBox>& boxes = design.Boxes;
    for (qsizetype i = 0; i < boxes.size(); ++i)
        for (qsizetype j = i + 1; j < boxes.size(); ++j) {
            const TDesignBox& a = boxes[i];
            const TDesignBox& b = boxes[j];
            if (a.Left <= b.Left + WidthOf(b) && b.Left <= a.Left + WidthOf(a) &&
                a.Top <= b.Top + HeightOf(b) && b.Top <= a.Top + HeightOf(a))
                return true;
        }
    return false;
}

} // namespace quillary
