#pragma once
// The column pages of the design: the ticked fields, the display-order list
// and how it follows the ticks and computed columns, the order page's
// computed candidates, and the reading of one condition row.

#include "query/QueryDesign.h"

#include <QString>
#include <QStringList>

namespace quillary {

// The ticked fields of every box in canvas order, as name.field (name from
// GetTableName), or the bare field names when `bare`.
QStringList GetCheckedItems(const QueryDesign& design, bool bare);

// True when the display rows show exactly the ticked fields and the computed
// columns (with the computed columns' aliases).
bool IsMatch(const QueryDesign& design);

// Merges the display rows with the ticked fields and computed columns,
// keeping the user's order and aliases for rows that stay. Nothing happens
// while IsMatch holds.
void TS_DisplayEnter(QueryDesign& design);

// 0 when every display alias is acceptable, -1 when one breaks the alias
// rule of data source `kind`, -2 when two are equal.
int IsValidDisplayCol(const QueryDesign& design, int kind);

// Whether `op` is an operator of one operand (EXISTS, NOT EXISTS, NOT), which
// stands in the operator column with its operand in the value column.
bool IsUnaryOperator(QStringView op);

// For grid row `row` (from 1) of a condition grid: 0 complete, 1 incomplete,
// -1 empty (blank after a row without connector).
int IsValidExpression(const QList<QStringList>& rows, int row);
// The predicate of condition row `row`, led by the previous row's connector.
QString GetExpression(const QList<QStringList>& rows, int row);
// The same, written at the end of `text`.
void AppendExpression(const QList<QStringList>& rows, int row, QString& text);

// The moves between the candidate and chosen lists of the order and group
// pages, by index into the list moved from (an index outside it changes
// nothing). A candidate chosen already, letter case aside, stays offered;
// a sort column is chosen with the descending marker before its text and
// its tick saying descending, and comes back bare.
void ChooseSortColumn(QueryDesign& design, qsizetype candidate, bool descending = false);
void ReturnSortColumn(QueryDesign& design, qsizetype chosen);
void ChooseGroupColumn(QueryDesign& design, qsizetype candidate);
void ReturnGroupColumn(QueryDesign& design, qsizetype chosen);

// The candidate a statement's text names: equal to it, letter case aside,
// else the first whose column part (after its box name and ".") is it; -1
// when none.
qsizetype FindCandidate(const QStringList& candidates, const QString& text);

// Brings the computed-column entries of the order lists into line with the
// compute rows.
void TS_OrderEnter(QueryDesign& design);

} // namespace quillary
