#pragma once
// The design turned into the skeleton of a statement that changes rows: an
// INSERT for the ticked fields of the one table, an UPDATE setting the
// ticked fields of the one table that has any, restricted by the links and
// the condition rows.

#include "query/QueryDesign.h"

#include <QString>

namespace quillary {

// The skeleton, or the reason there is none (shown with kSkeletonCaption).
struct TSkeletonResult {
    QString Text;
    QString Message;
    bool Refused() const { return !Message.isEmpty(); }
};

inline constexpr char kSkeletonCaption[] = "提示!";

// "Insert into T (a,b) values()": the ticked fields of the only box, in the
// order of its field list.
TSkeletonResult InsertSkeleton(const QueryDesign& design);

// "Update T set " and a line "field=," per ticked field of the box with
// ticks (the last "," dropped); for SQL Server and Sybase a FROM line with
// the other boxes; a WHERE line with the links (inner joins only, by table
// names) and the complete condition rows. Lines end in CR LF.
TSkeletonResult UpdateSkeleton(const QueryDesign& design, int kind);

} // namespace quillary
