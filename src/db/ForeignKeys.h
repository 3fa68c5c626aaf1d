#pragma once
// The foreign keys a database declares, read through its driver: SQLite's
// foreign key pragma, PostgreSQL's catalogue, the information schema of
// MySQL and MariaDB, and ODBC's SQLForeignKeys where the driver offers it.
// Kinds of data source whose driver tells none give none.

#include <QList>
#include <QString>
#include <QStringList>

namespace quillary {

class TADOConnection;

namespace dialect {

// Columns of Table refer to RefColumns of RefTable, pair by pair in key
// order. Schema is the table's schema where the database has schemas;
// Visible says whether a statement reaches the table without it (on the
// search path, or a database without schemas).
struct TForeignKey {
    QString Schema;
    QString Table;
    bool Visible = true;
    QStringList Columns;
    QString RefSchema;
    QString RefTable;
    bool RefVisible = true;
    QStringList RefColumns;
    bool operator==(const TForeignKey&) const = default;
};

// The keys between `table` (a name as the table list gives it) and any
// table, in either direction, each once. Empty when the table has none, the
// driver tells none, or the catalogue cannot be read.
QList<TForeignKey> ForeignKeysOf(TADOConnection* connection, const QString& table);

// Whether the name a table box holds — perhaps quoted, perhaps with its
// schema — names the table `table` of `schema`, ignoring letter case. A
// name without schema names only a visible table.
bool NamesTable(const QString& name, const QString& schema, const QString& table, bool visible);

} // namespace dialect
} // namespace quillary
