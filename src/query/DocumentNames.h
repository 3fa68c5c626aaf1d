#pragma once
// Names met in documents — state texts, templates, statements read back —
// made into names that statements can carry. A document is data: a name in
// it never reaches a statement as SQL text, whatever it holds.

#include "sqltext/SqlDialect.h"

#include <QString>
#include <QStringList>

namespace quillary {

// The table `text` names, as statements write it: when `text` reads as a
// name, that name (the list's own spelling when `tables`, the table list as
// statements name its tables, holds it); when the list holds a table whose
// name is the whole text, that table; otherwise the whole text as one
// quoted name, which the database then reports as missing. Empty for a
// blank text.
QString TableFromDocument(const QString& text, const TSqlDialect& dialect,
                          const QStringList& tables);

// An alias or sub-query name from a document: kept when the alias rule of
// the data source accepts it, written as a name when it is one name (a bare
// identifier or a quoted name), else refused (false).
bool AliasFromDocument(const QString& text, const TSqlDialect& dialect, QString& alias);

// A column named in a document: the name inside its quotes when it is one
// quoted name, else the text as it stands.
QString ColumnFromDocument(const QString& text);

// `value` cut at its commas outside quoted names ("...", [...], `...`);
// after `parts` - 1 cuts the rest stays whole (-1: no limit).
QStringList SplitOutsideQuotes(const QString& value, qsizetype parts = -1);

} // namespace quillary
