#pragma once
// Everything that differs by kind of data source: recognising the kind, the
// catalogue statements, finding the SELECT text behind a view, the
// statements that change a view, and writing table names the data source
// can read.

#include "db/FieldType.h"
#include "sqltext/DataSourceKind.h"
#include "sqltext/SqlDialect.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace quillary {

class TADOConnection;

// The kind of the data source behind `connection`: by provider name, else by
// the ODBC driver of the data source (-1 without a connection).
int GetDataSourceType(TADOConnection* connection);
// The kind an ODBC driver name stands for (99 when none).
int DataSourceTypeOfDriver(const QString& odbcDriver);

namespace dialect {

// How the data source behind `connection` writes names: by its provider, or
// for ODBC by the driver behind the data source (SQLite, PostgreSQL and
// MySQL drivers as their databases, others by the kind). The rules of kind
// -1 without a connection.
TSqlDialect DialectOf(TADOConnection* connection);

// Oracle: the user's own tables, views and synonyms.
QString OracleTables();
// Oracle with system tables: the user's and public objects by bare name, all
// others as owner.name. `user` is the upper-cased login.
QString OracleSystemTables(const QString& user);

// The statement that reads the columns of a table without rows; `tableName`
// as statements write it (the table list's names are).
QString ColumnsOf(const QString& tableName);

// The SELECT text behind the view `tableName` (as statements write it), for
// the data sources that can tell (SQL Server, Oracle, MySQL and MariaDB);
// false when it is no view, the source cannot tell, or the catalogue cannot
// be read.
bool ViewSource(TADOConnection* connection, int kind, const QString& tableName, QString& source);

// The statement that gives the view `name` (as statements write it) a new
// SELECT text; empty for the data sources where a view is changed in the
// design only.
QString AlterView(const TSqlDialect& dialect, const QString& name, const QString& select);
QString CreateView(const QString& name, const QString& select);

// `text` as an SQL string literal: in single quotes, a quote inside doubled.
QString StringLiteral(const QString& text);
// `text` as a MySQL string expression that reads the same under every
// sql_mode (backslashes or not) and through every driver (bound parameters
// of MariaDB's ODBC driver do not compare equal): its UTF-8 bytes in hex.
QString MySqlText(const QString& text);

// The columns of many tables at once, for listings: one read of the
// catalogue where the provider has one, else one zero-row statement per
// table. A table that cannot be read has Error set.
struct TCatalogueColumn {
    QString Name;
    TFieldType Type = ftUnknown;
};
struct TCatalogueTable {
    QString Name;
    QList<TCatalogueColumn> Columns;
    QString Error;
};
QList<TCatalogueTable> ReadColumns(TADOConnection* connection, const QStringList& tables);
// The columns of a SQLite CREATE TABLE text with their declared types; false
// when the text does not say them plainly (AS SELECT, comments inside, ...).
bool ColumnsOfCreateTable(const QString& sql, QList<TCatalogueColumn>& columns);

} // namespace dialect
} // namespace quillary
