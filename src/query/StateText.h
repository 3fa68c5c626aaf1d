#pragma once
// The designer state text: the INI-style lines that describe a whole design
// (boxes with their places, aliases, ticks, links and the pages), from
// which the design is rebuilt in a later run.

#include "query/DesignHooks.h"
#include "query/QueryDesign.h"

#include <QStringList>

namespace quillary {

// The state text of `design`, whose statement `sql` the caller got from
// GetSQL; an empty list when that statement is blank. Union sets are
// embedded with their section names numbered, and the union grid's rows
// (brackets, names, set operators) follow the count in the union section. A
// row limit, and the lack of DISTINCT where the select list itself begins
// with that word, are kept as further entries of the SQL section.
QStringList GetSQLSet(const QueryDesign& design, const QString& sql, int kind);

// Adds the design described by `lines` to `design`: boxes through
// hooks.LoadBox (a box that cannot be loaded is dropped, and links to it
// are skipped), ticks, links (a missing field is reported through
// hooks.Message), compute, condition and group-condition rows, group and
// order columns, distinct, row limit and union sets. Nothing happens for
// empty lines. The union grid gets a row for every union set read: the
// stored row when the text keeps one, else a row named after its part; an
// empty set operator before a part read becomes "union". The stored row of
// the main statement is taken only when the design had no union set yet,
// and rows beyond the parts (left from union sets that are gone) go.
//
// A "T" value is name,left,top,source. A value without comma is a name in
// the older form, placed at left p*150+20, top 50 (p counting the entries
// from 0); a left or top that is missing or not an integer takes that same
// place, and the box is loaded as usual.
void SetSQLSet(QueryDesign& design, const QStringList& lines, int kind, const TDesignHooks& hooks);

// A template file: the state text, then the connection section with the
// connection string of the designer's working connection.
QStringList TemplateLines(const QStringList& state, const QString& connectionString);
// The connection string a template names: the line after the line
// "[Connection]" (letter case and surrounding blanks ignored) without its
// "CSN=" (letter case ignored, blanks allowed around the key and before the
// value).
// False when there is no such section or no line follows it, and also when
// that line is not a "CSN=" line: then *malformed (when given) is set.
// connectionString is left alone whenever the result is false.
bool TemplateConnection(const QStringList& lines, QString& connectionString,
                        bool* malformed = nullptr);

// The number of condition rows the state text keeps.
inline constexpr int kStoredConditionRows = 8;

} // namespace quillary
