#pragma once
// Provider-specific work behind TADOConnection and TADOQuery: opening,
// catalogue, column types and multi-statement execution. Internal to the layer.

#include "db/ADOConnection.h"
#include "db/FieldType.h"

#include <QString>
#include <QStringList>

class QSqlError;
class QSqlQuery;
class QSqlRecord;

namespace quillary {
class TConnectionString;
}

namespace quillary::provider {

TProviderKind KindOf(const QString& providerName);

// Opens the Qt SQL connection `qtName`. Throws EDatabaseError.
void Open(TProviderKind kind, const QString& providerName, const TConnectionString& cs,
          const QString& user, const QString& password, const QString& qtName);
void Close(const QString& qtName);

// Refuses (EDatabaseError naming the key) what a connection string from a
// document may not ask of ODBC: a driver named by anything but its name
// registered with unixODBC, file data sources (FILEDSN, SAVEFILE, a name
// that reads as "*.dsn"), a data source name that is itself a connection
// string, and driver attributes that load libraries; also inside
// "Extended Properties", which goes to ODBC as it is.
void CheckDocumentString(const TConnectionString& cs);

// The tables and views, each as its name parts (schema, name where the
// database has schemas and the table is not on the search path).
QList<QStringList> TableNames(TProviderKind kind, const QString& qtName, bool systemTables);
// The name of a result column exactly as the database gives it.
QString ColumnName(TProviderKind kind, const QSqlQuery& query, const QSqlRecord& record,
                   int column);

// A run that cannot write, where the database can promise it: SQLite's
// query_only, a read-only transaction on PostgreSQL and MySQL (ended by
// EndReadOnly). Throws EDatabaseError.
void BeginReadOnly(TProviderKind kind, const QString& qtName);
void EndReadOnly(TProviderKind kind, const QString& qtName);
// Whether the read-only run lasts while the cursor reads, rather than only
// while the statement starts.
bool ReadOnlyLasts(TProviderKind kind);
// `record` is query.record(), passed in so that wide results stay linear.
TFieldType ColumnType(TProviderKind kind, const QSqlQuery& query, const QSqlRecord& record,
                      int column);
// Runs every statement of `sql`; returns the rows affected. Throws EDatabaseError.
int Execute(TProviderKind kind, const QString& qtName, const QString& sql);

// Whether `sql` is one statement that may return rows, so that it can run
// on a cursor. False for a script of several statements where the database
// runs those whole (SQLite), and for a statement SQLite knows to return no
// columns; other databases tell only once the statement ran.
bool MayReturnRows(TProviderKind kind, const QString& qtName, const QString& sql);

// The database's own text of an error, or the driver's when it has none.
QString ErrorText(const QSqlError& error);

} // namespace quillary::provider
