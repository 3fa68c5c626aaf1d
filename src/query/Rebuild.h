#pragma once
// The rebuild of a design from the text of a SELECT statement.

#include "query/DesignHooks.h"
#include "query/Generation.h"
#include "query/QueryDesign.h"

#include <QString>

namespace quillary {

struct TForgeResult {
    // False when the text was refused; the message has been shown and the
    // caller keeps its design.
    bool Ok = false;
    // False when there was nothing to rebuild (an empty text): Design is the
    // current one and Sql is not computed.
    bool Rebuilt = false;
    QueryDesign Design;
    // GetSQL of the new design, for the SQL page.
    TSqlResult Sql;
    // The parts of the text (literals, column references, clauses) that the
    // regenerated statement does not carry; empty when it carries them all.
    QStringList NotCarried;
};

// Rebuilds the design of data source `kind` from `sql`: boxes loaded through
// hooks.LoadBox and placed from (10, 10) on, ticked fields, links from the
// joins and from WHERE conditions that equate fields of two boxes, the
// pages' rows and lists, union sets, and TOP n (SQL Server) or
// LIMIT n [OFFSET m] (other kinds) as the row limit. The first statement is
// run through hooks.TestRun before anything is built. Messages go through
// hooks.Message with caption "提示"; a text whose parentheses do not balance
// is refused with "括号不匹配！". The new design starts from `current`
// emptied as the designer resets it (its grids keep their rows). When the
// regenerated statement does not carry the whole text (NotCarried), the
// design is kept only when hooks.Confirm says so to the question that lists
// what is missing; otherwise, and without a Confirm hook, the result is not
// Ok and Design is `current`.
TForgeResult Forge(const QString& sql, int kind, const QueryDesign& current,
                   const TDesignHooks& hooks);

} // namespace quillary
