#pragma once
// How a box learns its columns from the data source, with or without a
// window: the designer's canvas and the headless statement check read them
// the same way.

#include "query/QueryDesign.h"

namespace quillary {

class TADOConnection;

// Reads the kind and columns of `box` (TableName, Kind, SourceText as the
// design holds them) on `connection`, a data source of `kind`: a table the
// catalogue shows to be a view becomes one with its SELECT text, and the
// columns ("*" first, then each with its type) come from a read-only
// statement of the table without rows, or from a sub-query box's own text.
// False when the source cannot be read; the size is left to the caller.
bool ReadBoxColumns(TADOConnection* connection, int kind, TDesignBox& box);

} // namespace quillary
