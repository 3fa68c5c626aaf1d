#pragma once
// Writing the SELECT statement of a design.

#include "query/DesignHooks.h"
#include "query/QueryDesign.h"

#include <QString>

namespace quillary {

// What GetSQL gives: the statement, or nothing. A refusal carries the
// message to show with its caption and the page to make active (the
// display-order page, with its grid focused).
struct TSqlResult {
    QString SQL;
    QString Message;
    QString Caption;
    int Page = -1;

    bool Refused() const { return !Message.isEmpty(); }
};

// The page of the display-order list.
inline constexpr int kDisplayPage = 5;

// The statement of `design` in the dialect of data source `kind`, lines
// separated by CR LF. Empty when nothing is selected, when the design is
// refused (with the message), or when the user answers No to one of the
// Sybase and Oracle questions asked through `confirm` (default Yes). The
// select list is the display rows as TS_DisplayEnter leaves them: when they
// no longer show the ticked fields and computed columns, the statement
// follows the ticks; `design` itself is not changed.
TSqlResult GetSQL(const QueryDesign& design, int kind, const TConfirm& confirm = {});
// GetSQL of a design whose display rows TS_DisplayEnter has just brought in
// step: they are not compared with the ticks again.
TSqlResult GetSQLOfFollowed(const QueryDesign& design, int kind, const TConfirm& confirm = {});

} // namespace quillary
