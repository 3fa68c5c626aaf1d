#pragma once
// Kinds of data source, which decide the dialect of the statements written
// and read, and the rule for the names a design may give to tables.

#include <QString>
#include <QStringList>

namespace quillary {

enum TDataSourceKind : int {
    dsNone = -1,
    dsAccess = 0,
    dsSqlServer = 1,
    dsSybase = 2,
    dsParadox = 3,
    dsDBase = 4,
    dsOracle = 5,
    dsExcel = 6,
    dsOther = 99,
};

// The reserved words that cannot be aliases; the thirteenth ("as") is allowed.
extern const QStringList sReservedWords;

// Whether `name` may serve as a table alias or sub-query name: an SQL
// identifier (a letter of any script or "_", then letters, digits or "_")
// that is not one of the reserved words, or one whole quoted name. `mode` is
// the data source kind: below 2, names in square brackets are accepted.
bool IsValidByName(const QString& name, int mode);

inline constexpr char kInvalidAliasMessage[] = "表的别名必须以字母开头中间可含有数字和字母！";

} // namespace quillary
