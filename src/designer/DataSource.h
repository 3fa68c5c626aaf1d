#pragma once
// Data source kinds, field type classes and the alias rule.

#include "db/FieldType.h"

#include <QString>
#include <QStringList>

namespace quillary {

class TADOConnection;

// Kinds of data source; they decide dialect, catalogue queries and quoting.
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

// The kind of the data source behind `connection`: by provider name, else by
// the ODBC driver of the data source (-1 without a connection).
int GetDataSourceType(TADOConnection* connection);
// The kind an ODBC driver name stands for (99 when none).
int DataSourceTypeOfDriver(const QString& odbcDriver);

// Field type classes: mode 1 gives the class name ("字符型", ...), mode 2 its
// code ("1", "3", "6", "11", "5"). A type outside the classes leaves `result`
// as it is; any other mode empties it.
void GetDataType(TFieldType type, int mode, QString& result);

// The reserved words that cannot be aliases; the thirteenth ("as") is allowed.
extern const QStringList sReservedWords;

// Whether `name` may serve as a table alias or sub-query name. `mode` is the
// data source kind: below 2, names in square brackets are accepted.
bool IsValidByName(const QString& name, int mode);

inline constexpr char kInvalidAliasMessage[] = "表的别名必须以字母开头中间可含有数字和字母！";

} // namespace quillary
