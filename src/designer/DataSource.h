#pragma once
// The kind of a connection's data source; field type classes and the alias
// rule, for the designer's use.

#include "db/FieldType.h"
#include "query/FieldClass.h"
#include "sqltext/DataSourceKind.h"

#include <QString>
#include <QStringList>

namespace quillary {

class TADOConnection;

// The kind of the data source behind `connection`: by provider name, else by
// the ODBC driver of the data source (-1 without a connection).
int GetDataSourceType(TADOConnection* connection);
// The kind an ODBC driver name stands for (99 when none).
int DataSourceTypeOfDriver(const QString& odbcDriver);

} // namespace quillary
