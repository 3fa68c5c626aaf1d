#pragma once
// Where the boxes of a design stand: a layered layout along the links, so
// that joined boxes sit in neighbouring columns with room between them for
// every link and its end marks.

#include "query/QueryDesign.h"

namespace quillary {

struct TArrangeSpacing {
    int Margin = 10;    // from the canvas edge
    int ColumnGap = 60; // between columns: the links run here
    int RowGap = 40;    // between boxes of a column, and between bands
    // The width the layout should keep within (the visible canvas); groups
    // of boxes that are not joined start a new band below when the next
    // would pass it. 0: no limit.
    int Width = 0;
};

// Places every box: each group of joined boxes as columns by their
// distance along the links from the box with most links, the boxes of a
// column ordered after the boxes they are joined to; groups side by side,
// in bands. Sizes are kept; only Left and Top change. Boxes without a size
// count as 100 x 80.
void ArrangeBoxes(QueryDesign& design, const TArrangeSpacing& spacing = {});

// Whether any two boxes of the design overlap or touch.
bool BoxesOverlap(const QueryDesign& design);

} // namespace quillary
