#pragma once
// ODBC data sources as unixODBC keeps them: the system store (odbc.ini in
// $ODBCSYSINI, else /etc) and the user store ($ODBCINI, else ~/.odbc.ini).
// unixODBC reads ODBCSYSINI once per process.

#include <QString>
#include <QStringList>

namespace quillary {

// The driver name of a data source: its entry in the [ODBC Data Sources]
// section of the system store, else of the user store; failing both, the
// "Driver" of the data source's own section (system, then user). Empty when
// the data source is not known.
QString OdbcDriverOfDsn(const QString& dsn);

// Every data source name of both stores, sorted, without duplicates.
QStringList OdbcDataSourceNames();

// The names of the drivers registered with unixODBC (the sections of
// odbcinst.ini in $ODBCSYSINI, else /etc).
QStringList OdbcDriverNames();

// An entry of a data source's own section ("Driver", "Database", ...): the
// system store's, else the user store's; empty when there is none.
QString OdbcDsnValue(const QString& dsn, const QString& entry);

// Whether an ODBC driver keeps its database in a single file that it would
// create, empty, when the file is missing: the SQLite drivers, recognised
// by a name or a driver library (odbcinst.ini, or a path given as the
// driver) that says SQLite.
bool IsFileDatabaseOdbcDriver(const QString& driver);

} // namespace quillary
