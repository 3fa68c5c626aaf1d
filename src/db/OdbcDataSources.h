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

} // namespace quillary
