#include "db/ForeignKeys.h"
#include "db/ADOConnection.h"
#include "db/Dialect.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QVariant>
#include <functional>
#include <sql.h>
#include <sqlext.h>

namespace quillary::dialect {

namespace {

// The parts of a dotted name as statements write it, each without its
// quotes; a text that does not read as a name is one part.
QStringList NameParts(const QString& name) {
    QStringList parts;
    if (!TSqlDialect().ReadName(name, parts)) parts = QStringList{name.trimmed()};
    return parts;
}

bool Same(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The rows of a key query, one column pair a row: from field `at` the
// referring table's schema, name and whether it is named bare, the same of
// the referred table, then the two columns. A new key begins where
// `group` changes.
QList<TForeignKey> GroupedKeys(QSqlQuery& q, int at, const std::function<QString()>& group) {
    QList<TForeignKey> keys;
    QString last;
    while (q.next()) {
        const QString key = group();
        if (keys.isEmpty() || key != last) {
            last = key;
            keys.append(TForeignKey{q.value(at).toString(),
                                    q.value(at + 1).toString(),
                                    q.value(at + 2).toBool(),
                                    {},
                                    q.value(at + 3).toString(),
                                    q.value(at + 4).toString(),
                                    q.value(at + 5).toBool(),
                                    {}});
        }
        keys.back().Columns << q.value(at + 6).toString();
        keys.back().RefColumns << q.value(at + 7).toString();
    }
    return keys;
}

QList<TForeignKey> SqliteKeys(QSqlDatabase db, const QString& table) {
    // A key may leave out the columns it refers to: then they are the
    // referred table's primary key.
    auto primaryKey = [&db](const QString& name) {
        QStringList columns;
        QSqlQuery q(db);
        q.prepare(QStringLiteral("select name from pragma_table_info(?) where pk > 0 order by pk"));
        q.addBindValue(name);
        if (q.exec())
            while (q.next())
                columns << q.value(0).toString();
        return columns;
    };
    QList<TForeignKey> keys;
    auto read = [&](QSqlQuery& q) {
        // Rows: referring table, key id, referred table, column, referred column.
        QString lastTable;
        int lastId = -1;
        while (q.next()) {
            const QString from = q.value(0).toString();
            const int id = q.value(1).toInt();
            if (keys.isEmpty() || from != lastTable || id != lastId) {
                TForeignKey key;
                key.Table = from;
                key.RefTable = q.value(2).toString();
                keys.append(key);
                lastTable = from;
                lastId = id;
            }
            keys.back().Columns << q.value(3).toString();
            keys.back().RefColumns << q.value(4).toString();
        }
        q.finish();
    };
    const QString name = NameParts(table).back();
    QSqlQuery out(db);
    out.prepare(QStringLiteral("select m.name, p.id, p.\"table\", p.\"from\", p.\"to\" "
                               "from sqlite_master m join pragma_foreign_key_list(m.name) p "
                               "where m.type = 'table' and m.name = ? collate nocase "
                               "order by p.id, p.seq"));
    out.addBindValue(name);
    if (out.exec()) read(out);
    QSqlQuery in(db);
    in.prepare(QStringLiteral(
        "select m.name, p.id, p.\"table\", p.\"from\", p.\"to\" "
        "from sqlite_master m join pragma_foreign_key_list(m.name) p "
        "where m.type = 'table' and p.\"table\" = ? collate nocase and m.name <> ? collate nocase "
        "order by m.name, p.id, p.seq"));
    in.addBindValue(name);
    in.addBindValue(name);
    if (in.exec()) read(in);
    for (TForeignKey& key : keys)
        if (std::all_of(key.RefColumns.begin(), key.RefColumns.end(),
                        [](const QString& c) { return c.isEmpty(); }))
            key.RefColumns = primaryKey(key.RefTable);
    keys.removeIf([](const TForeignKey& k) { return k.Columns.size() != k.RefColumns.size(); });
    return keys;
}

QList<TForeignKey> PostgresKeys(QSqlDatabase db, const QString& table) {
    const QString& name = table; // as statements write it, which to_regclass reads
    QSqlQuery q(db);
    q.prepare(QStringLiteral(
        "select k.oid, fn.nspname, fc.relname, pg_catalog.pg_table_is_visible(fc.oid), "
        "pn.nspname, pc.relname, pg_catalog.pg_table_is_visible(pc.oid), fa.attname, pa.attname "
        "from pg_catalog.pg_constraint k "
        "cross join lateral unnest(k.conkey, k.confkey) with ordinality as u(fk, pk, ord) "
        "join pg_catalog.pg_class fc on fc.oid = k.conrelid "
        "join pg_catalog.pg_namespace fn on fn.oid = fc.relnamespace "
        "join pg_catalog.pg_class pc on pc.oid = k.confrelid "
        "join pg_catalog.pg_namespace pn on pn.oid = pc.relnamespace "
        "join pg_catalog.pg_attribute fa on fa.attrelid = k.conrelid and fa.attnum = u.fk "
        "join pg_catalog.pg_attribute pa on pa.attrelid = k.confrelid and pa.attnum = u.pk "
        "where k.contype = 'f' and (k.conrelid = pg_catalog.to_regclass(?) "
        "or k.confrelid = pg_catalog.to_regclass(?)) "
        "order by k.oid, u.ord"));
    q.addBindValue(name);
    q.addBindValue(name);
    if (!q.exec()) return {};
    return GroupedKeys(q, 1, [&q] { return q.value(0).toString(); });
}

// MySQL and MariaDB, by their own driver or by ODBC: the key columns of the
// information schema. A name without its database is in the connection's.
QList<TForeignKey> InformationSchemaKeys(TADOConnection* connection, QSqlDatabase db,
                                         const QString& table) {
    QStringList parts;
    if (!connection->Dialect().ReadName(table, parts)) parts = QStringList{table.trimmed()};
    const QString schema = MySqlText(parts.size() > 1 ? parts[parts.size() - 2] : QString());
    const QString name = MySqlText(parts.back());
    QSqlQuery q(db);
    q.setForwardOnly(true);
    const QString sql = QStringLiteral(
        "select table_schema, table_name, coalesce(table_schema = database(), 0), "
        "referenced_table_schema, referenced_table_name, "
        "coalesce(referenced_table_schema = database(), 0), column_name, referenced_column_name, "
        "constraint_name "
        "from information_schema.key_column_usage where referenced_table_name is not null "
        "and ((table_schema = coalesce(nullif(%1, ''), database()) and table_name = %2) "
        "or (referenced_table_schema = coalesce(nullif(%1, ''), database()) "
        "and referenced_table_name = %2)) "
        "order by table_schema, table_name, constraint_name, ordinal_position");
    if (!q.exec(sql.arg(schema, name))) return {};
    return GroupedKeys(q, 0, [&q] {
        return q.value(0).toString() + QLatin1Char('\n') + q.value(1).toString() +
               QLatin1Char('\n') + q.value(8).toString();
    });
}

QString OdbcText(SQLHSTMT statement, SQLUSMALLINT column) {
    char buffer[512];
    SQLLEN length = 0;
    if (!SQL_SUCCEEDED(SQLGetData(statement, column, SQL_C_CHAR, buffer, sizeof buffer, &length)) ||
        length == SQL_NULL_DATA)
        return {};
    return QString::fromUtf8(buffer,
                             qsizetype(std::min<SQLLEN>(length, SQLLEN(sizeof buffer) - 1)));
}

QList<TForeignKey> OdbcKeys(QSqlDatabase db, const QString& table) {
    QList<TForeignKey> keys;
    const QVariant handle = db.driver()->handle();
    if (handle.metaType() != QMetaType::fromType<void*>()) return keys;
    SQLHDBC connection = *static_cast<const SQLHDBC*>(handle.constData());
    SQLUSMALLINT offered = SQL_FALSE;
    if (!connection ||
        !SQL_SUCCEEDED(SQLGetFunctions(connection, SQL_API_SQLFOREIGNKEYS, &offered)) || !offered)
        return keys;
    QByteArray name = NameParts(table).back().toUtf8();
    auto* text = reinterpret_cast<SQLCHAR*>(name.data());
    // Keys that refer to the table, then keys of the table.
    for (const bool referred : {true, false}) {
        SQLHSTMT statement = SQL_NULL_HSTMT;
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &statement))) break;
        const SQLRETURN rc = referred ? SQLForeignKeys(statement, nullptr, 0, nullptr, 0, text,
                                                       SQL_NTS, nullptr, 0, nullptr, 0, nullptr, 0)
                                      : SQLForeignKeys(statement, nullptr, 0, nullptr, 0, nullptr,
                                                       0, nullptr, 0, nullptr, 0, text, SQL_NTS);
        while (SQL_SUCCEEDED(rc) && SQL_SUCCEEDED(SQLFetch(statement))) {
            const QString refTable = OdbcText(statement, 3);
            const QString from = OdbcText(statement, 7);
            // A key of the table that refers to itself came with the first call.
            if (!referred && Same(refTable, from)) continue;
            if (OdbcText(statement, 9).toInt() <= 1 || keys.isEmpty() ||
                keys.back().Table != from || keys.back().RefTable != refTable)
                keys.append(TForeignKey{OdbcText(statement, 6),
                                        from,
                                        true,
                                        {},
                                        OdbcText(statement, 2),
                                        refTable,
                                        true,
                                        {}});
            keys.back().Columns << OdbcText(statement, 8);
            keys.back().RefColumns << OdbcText(statement, 4);
        }
        SQLFreeHandle(SQL_HANDLE_STMT, statement);
    }
    return keys;
}

} // namespace

QList<TForeignKey> ForeignKeysOf(TADOConnection* connection, const QString& table) {
    if (!connection || !connection->Connected() || table.isEmpty()) return {};
    QSqlDatabase db = QSqlDatabase::database(connection->QtConnectionName(), false);
    if (!db.isValid() || !db.isOpen()) return {};
    if (connection->Dialect().Catalogue() == TSqlCatalogue::InformationSchema)
        return InformationSchemaKeys(connection, db, table);
    switch (connection->ProviderKind()) {
    case TProviderKind::SQLite:
        return SqliteKeys(db, table);
    case TProviderKind::PostgreSQL:
        return PostgresKeys(db, table);
    case TProviderKind::Odbc:
        return OdbcKeys(db, table);
    case TProviderKind::MySql:
    case TProviderKind::Unknown:
        break;
    }
    return {};
}

bool NamesTable(const QString& name, const QString& schema, const QString& table, bool visible) {
    const QStringList parts = NameParts(name);
    if (parts.size() >= 2)
        return Same(parts[parts.size() - 2], schema) && Same(parts.back(), table);
    return visible && Same(parts.back(), table);
}

} // namespace quillary::dialect
