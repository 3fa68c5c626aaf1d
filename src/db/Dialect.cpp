#include "db/Dialect.h"
#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/DatabaseError.h"
#include "db/OdbcDataSources.h"
#include "sqltext/Common.h"
#include "sqltext/TextHash.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <array>

namespace quillary {

namespace {

struct TKindName {
    const char* Name;
    int Kind;
};

// Provider names, compared exactly.
constexpr std::array<TKindName, 6> kProviders = {{
    {"Microsoft.Jet.OLEDB.4.0", dsAccess},
    {"Microsoft.Jet.OLEDB.3.51", dsAccess},
    {"SQLOLEDB.1", dsSqlServer},
    {"SQLOLEDB", dsSqlServer},
    {"MSDAORA.1", dsOracle},
    {"OraOLEDB.Oracle.1", dsOracle},
}};

// ODBC driver names in the order they are tried, compared exactly.
constexpr std::array<TKindName, 11> kDrivers = {{
    {"Microsoft Access Driver (*.mdb)", dsAccess},
    {"Microsoft dBase Driver (*.dbf)", dsDBase},
    {"Microsoft Visual FoxPro Driver", dsDBase},
    {"Microsoft FoxPro Driver (*.dbf)", dsDBase},
    {"Microsoft Paradox Driver (*.db )", dsParadox},
    {"Microsoft ODBC for Oracle", dsOracle},
    {"Oracle ODBC Driver", dsOracle},
    {"SQL Server", dsSqlServer},
    {"Sybase System 11", dsSybase},
    {"Sybase SQL Anywhere", dsSybase}, // a prefix: a version follows
    {"Microsoft Excel Driver (*.xls)", dsExcel},
}};

// The first row's field `field` of `sql`, or false when there is no row or
// the statement fails.
bool FirstValue(TADOConnection* connection, const QString& sql, const QString& field,
                QString& value) {
    TADOQuery query;
    query.SetConnection(connection);
    query.SQL() = QStringList{sql};
    try {
        query.Open();
        if (query.IsEmpty()) return false;
        value = query.FieldByName(field).AsString();
        return true;
    } catch (const EDatabaseError&) {
        return false;
    }
}

// Whether the MySQL or MariaDB server behind an open connection runs EXCEPT
// and INTERSECT: MariaDB from 10.3, MySQL from 8.0.31. False when it cannot
// tell (not connected yet).
bool RunsSetOperators(TADOConnection* connection) {
    if (!connection->Connected()) return false;
    QSqlQuery q(QSqlDatabase::database(connection->QtConnectionName(), false));
    if (!q.exec(QStringLiteral("select version()")) || !q.next()) return false;
    QString version = q.value(0).toString();
    const bool maria = version.contains(QLatin1String("MariaDB"), Qt::CaseInsensitive);
    // Replication once made MariaDB say "5.5.5-10.x" first.
    if (maria && version.startsWith(QLatin1String("5.5.5-"))) version.remove(0, 6);
    static const QRegularExpression numbers(QStringLiteral("^(\\d+)\\.(\\d+)\\.(\\d+)"));
    const QRegularExpressionMatch m = numbers.match(version);
    if (!m.hasMatch()) return false;
    const std::array<int, 3> v = {m.captured(1).toInt(), m.captured(2).toInt(),
                                  m.captured(3).toInt()};
    return maria ? v >= std::array<int, 3>{10, 3, 0} : v >= std::array<int, 3>{8, 0, 31};
}

} // namespace

int DataSourceTypeOfDriver(const QString& odbcDriver) {
    for (const TKindName& d : kDrivers) {
        const QLatin1StringView name(d.Name);
        const bool prefix = d.Kind == dsSybase && name == QLatin1StringView("Sybase SQL Anywhere");
        if (prefix ? odbcDriver.startsWith(name) : odbcDriver == name) return d.Kind;
    }
    return dsOther;
}

int GetDataSourceType(TADOConnection* connection) {
    if (!connection) return dsNone;
    const QString provider = connection->Provider();
    for (const TKindName& p : kProviders)
        if (provider == QLatin1StringView(p.Name)) return p.Kind;
    // Treated as ODBC: the data source's driver decides.
    const QString dsn = connection->PropertyValue(QStringLiteral("Data Source"));
    return DataSourceTypeOfDriver(OdbcDriverOfDsn(dsn));
}

namespace dialect {

TSqlDialect DialectOf(TADOConnection* connection) {
    if (!connection) return TSqlDialect(dsNone);
    const int kind = GetDataSourceType(connection);
    const auto as = [kind](const TSqlDialect& d) { return d.WithKind(kind); };
    switch (connection->ProviderKind()) {
    case TProviderKind::SQLite:
        return as(TSqlDialect::Sqlite());
    case TProviderKind::PostgreSQL:
        return as(TSqlDialect::Postgres());
    case TProviderKind::MySql:
        return TSqlDialect::MySql(RunsSetOperators(connection)).WithKind(kind);
    case TProviderKind::Odbc: {
        QString driver = connection->PropertyValue(QStringLiteral("Driver"));
        if (driver.isEmpty())
            driver = OdbcDriverOfDsn(connection->PropertyValue(QStringLiteral("Data Source")));
        const auto says = [&driver](const char* word) {
            return driver.contains(QLatin1StringView(word), Qt::CaseInsensitive);
        };
        if (IsFileDatabaseOdbcDriver(driver)) return as(TSqlDialect::Sqlite());
        if (says("postgres") || says("psql")) return as(TSqlDialect::Postgres());
        // By name, or by the library of MariaDB's or MySQL's driver.
        if (says("mysql") || says("mariadb") || says("maodbc") || says("myodbc"))
            return TSqlDialect::MySql(RunsSetOperators(connection)).WithKind(kind);
        break;
    }
    case TProviderKind::Unknown:
        break;
    }
    return TSqlDialect(kind);
}

QString StringLiteral(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

QString MySqlText(const QString& text) {
    return QStringLiteral("convert(X'") + QString::fromLatin1(text.toUtf8().toHex()) +
           QStringLiteral("' using utf8mb4)");
}

QString OracleTables() {
    return QStringLiteral("select TName from tab");
}

QString OracleSystemTables(const QString& login) {
    // The login goes into the statement as a literal.
    QString user = login;
    user.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QStringLiteral("select decode(OWNER,'") + user +
           QStringLiteral("',TABLE_NAME,'PUBLIC',TABLE_NAME,OWNER||'.'||TABLE_NAME) TName ") +
           QStringLiteral("from dba_Tables ") + QStringLiteral("union ") +
           QStringLiteral("select decode(OWNER,'") + user +
           QStringLiteral(
               "',VIEW_NAME,'PUBLIC',VIEW_NAME,OWNER||'.'||VIEW_NAME) TName from dba_Views ") +
           QStringLiteral("union ") + QStringLiteral("select decode(OWNER,'") + user +
           QStringLiteral(
               "',SYNONYM_NAME,'PUBLIC',SYNONYM_NAME,OWNER||'.'||SYNONYM_NAME) TName from "
               "dba_synonyms ") +
           QStringLiteral("order by 1 ");
}

QString ColumnsOf(const QString& tableName) {
    return QStringLiteral("select * from ") + tableName + QStringLiteral(" where 1=0");
}

bool ViewSource(TADOConnection* connection, int kind, const QString& tableName, QString& source) {
    if (!connection) return false;
    const TSqlCatalogue catalogue = connection->Dialect().WithKind(kind).Catalogue();
    if (catalogue == TSqlCatalogue::None) return false;
    // Views are looked up by their own name, without an owner prefix; the
    // name goes into the catalogue statement as a literal.
    QStringList parts;
    if (!connection->Dialect().ReadName(tableName, parts)) parts = QStringList{tableName};
    const QString view = parts.last();
    QString text;
    if (catalogue == TSqlCatalogue::InformationSchema) {
        // A name without schema is in the connection's database.
        if (!connection->Connected()) return false;
        QSqlQuery q(QSqlDatabase::database(connection->QtConnectionName(), false));
        const QString schema = parts.size() > 1 ? parts[parts.size() - 2] : QString();
        if (!q.exec(QStringLiteral("select view_definition from information_schema.views where "
                                   "table_schema = coalesce(nullif(%1, ''), database()) and "
                                   "table_name = %2")
                        .arg(MySqlText(schema), MySqlText(view))) ||
            !q.next())
            return false;
        source = q.value(0).toString();
        return !source.isEmpty();
    }
    if (catalogue == TSqlCatalogue::SqlServer) {
        if (!FirstValue(connection,
                        QStringLiteral("select def.text,o.name from sysobjects o,syscomments def "
                                       "where def.id=o.id and o.xtype='V' and o.name=") +
                            StringLiteral(view),
                        QStringLiteral("text"), text))
            return false;
        int end = 0;
        if (IsBeginWithPhrase(QStringLiteral("create view"), text, end, 1, true) == 0) return false;
        const int as = FindKeyWord(text, QStringLiteral("as"), end);
        if (as <= 0) return false;
        source = text.mid(as + 3 - 1);
        return true;
    }
    const QString owner = parts.size() > 1 ? parts[parts.size() - 2]
                                           : connection->PropertyValue(QStringLiteral("User ID"));
    if (!FirstValue(connection,
                    QStringLiteral("select Text from dba_views where owner=") +
                        StringLiteral(owner.toUpper()) + QStringLiteral(" and VIEW_NAME=") +
                        StringLiteral(view),
                    QStringLiteral("text"), text))
        return false;
    source = text;
    return true;
}

QString AlterView(const TSqlDialect& dialect, const QString& name, const QString& select) {
    switch (dialect.Catalogue()) {
    case TSqlCatalogue::Oracle:
        return QStringLiteral("replace View ") + name + QStringLiteral(" as ") + select;
    case TSqlCatalogue::SqlServer:
    case TSqlCatalogue::InformationSchema:
        return QStringLiteral("alter View ") + name + QStringLiteral(" as ") + select;
    case TSqlCatalogue::None:
        break;
    }
    return {};
}

QString CreateView(const QString& name, const QString& select) {
    return QStringLiteral("Create View ") + name + QStringLiteral(" as ") + select;
}

namespace {

// Quotes of names and literals in a CREATE TABLE text; "[...]" quotes in
// SQLite too.
bool IsQuote(QChar c) {
    return c == QLatin1Char('"') || c == QLatin1Char('\'') || c == QLatin1Char('`') ||
           c == QLatin1Char('[');
}

// The column list of a CREATE TABLE text, from the first "(" outside
// quotes to its partner, cut at its top-level commas; false when there is
// none (AS SELECT) or comments are inside.
bool ColumnDefinitions(const QString& sql, QStringList& parts) {
    const qsizetype n = sql.size();
    qsizetype open = -1;
    for (qsizetype i = 0; i < n && open < 0;) {
        if (IsQuote(sql[i])) {
            i = ReadQuotedText(sql, i, nullptr);
            if (i < 0) return false;
        } else if (sql[i] == QLatin1Char('(')) {
            open = i;
        } else {
            ++i;
        }
    }
    if (open < 0) return false;
    int depth = 0;
    qsizetype start = open + 1;
    for (qsizetype i = open + 1; i < n;) {
        const QChar c = sql[i];
        if (IsQuote(c)) {
            i = ReadQuotedText(sql, i, nullptr);
            if (i < 0) return false;
            continue;
        }
        if (c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(')')) {
            if (depth == 0) {
                parts << sql.mid(start, i - start);
                return true;
            }
            --depth;
        } else if (c == QLatin1Char(',') && depth == 0) {
            parts << sql.mid(start, i - start);
            start = i + 1;
        } else if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
            return false; // comments inside: leave it to the database
        } else if (c == QLatin1Char('/') && i + 1 < n && sql[i + 1] == QLatin1Char('*')) {
            return false;
        }
        ++i;
    }
    return false;
}

// The declared type of a column from what follows its name: the words up
// to the first column constraint, with a "(n[,m])" size; false when the
// size is not closed.
bool DeclaredType(const QString& afterName, QString& type) {
    static const QStringList typeEnds = {
        QStringLiteral("constraint"), QStringLiteral("primary"), QStringLiteral("not"),
        QStringLiteral("null"),       QStringLiteral("unique"),  QStringLiteral("check"),
        QStringLiteral("default"),    QStringLiteral("collate"), QStringLiteral("references"),
        QStringLiteral("generated"),  QStringLiteral("as"),      QStringLiteral("on")};
    QStringList words;
    const QString rest = afterName.simplified();
    qsizetype j = 0;
    while (j < rest.size()) {
        if (rest[j] == QLatin1Char(' ')) {
            ++j;
            continue;
        }
        if (rest[j] == QLatin1Char('(')) {
            const qsizetype end = rest.indexOf(QLatin1Char(')'), j);
            if (end < 0) return false;
            words << rest.mid(j, end - j + 1);
            break;
        }
        qsizetype k = j;
        while (k < rest.size() && rest[k] != QLatin1Char(' ') && rest[k] != QLatin1Char('('))
            ++k;
        const QString word = rest.mid(j, k - j);
        if (typeEnds.contains(word, Qt::CaseInsensitive) || IsQuote(word[0])) break;
        words << word;
        j = k;
    }
    type = words.join(QLatin1Char(' '));
    return true;
}

} // namespace

bool ColumnsOfCreateTable(const QString& sql, QList<TCatalogueColumn>& columns) {
    columns.clear();
    QStringList parts;
    if (!ColumnDefinitions(sql, parts)) return false;
    static const QStringList tableConstraints = {
        QStringLiteral("constraint"), QStringLiteral("primary"), QStringLiteral("unique"),
        QStringLiteral("check"), QStringLiteral("foreign")};
    for (const QString& raw : std::as_const(parts)) {
        const QString part = raw.trimmed();
        if (part.isEmpty()) return false;
        // The column name: quoted, or a word; a table constraint ends the columns.
        QString name;
        qsizetype end = 0;
        if (IsQuote(part[0])) {
            end = ReadQuotedText(part, 0, &name);
            if (end < 0) return false;
        } else {
            while (end < part.size() && !part[end].isSpace() && part[end] != QLatin1Char('('))
                ++end;
            name = part.left(end);
            if (tableConstraints.contains(name, Qt::CaseInsensitive)) break;
        }
        QString type;
        if (!DeclaredType(part.mid(end), type)) return false;
        columns.append({name, FieldTypeFromSqliteDeclaration(type)});
    }
    return !columns.isEmpty();
}

namespace {

// The columns of one SQLite table or view as the database reports them
// (`raw`: its name in the catalogue, `written`: as statements write it).
// table_xinfo lists generated columns too, as "select *" does; a column
// without a declared type (a view expression) takes the type of its first
// value.
void AskSqliteForColumns(QSqlDatabase db, const QString& raw, const QString& written,
                         QList<TCatalogueColumn>& columns) {
    QSqlQuery info(db);
    info.setForwardOnly(true);
    info.prepare(QStringLiteral(
        "select name, type from pragma_table_xinfo(?) where hidden <> 1 order by cid"));
    info.addBindValue(raw);
    bool untyped = false;
    if (info.exec())
        while (info.next()) {
            const QString declared = info.value(1).toString();
            columns.append({info.value(0).toString(), FieldTypeFromSqliteDeclaration(declared)});
            untyped = untyped || declared.isEmpty();
        }
    if (!untyped) return;
    QSqlQuery values(db);
    values.setForwardOnly(true);
    if (!values.exec(QStringLiteral("select * from ") + written + QStringLiteral(" limit 1")) ||
        !values.next())
        return;
    for (int c = 0; c < values.record().count() && c < columns.size(); ++c)
        if (columns[c].Type == ftUnknown)
            columns[c].Type = FieldTypeFromMetaType(values.value(c).metaType());
}

// SQLite: one read of the catalogue, the columns of a table from its
// CREATE TABLE text; views and tables whose text says too little ask the
// database.
void ReadSqliteColumns(QSqlDatabase db, const QStringList& tables, QList<TCatalogueTable>& result) {
    // The list names tables as statements write them; the catalogue holds
    // them as they are.
    const TSqlDialect sqlite = TSqlDialect::Sqlite();
    QStringList raw;
    TTextHash<qsizetype> index;
    for (qsizetype i = 0; i < tables.size(); ++i) {
        QStringList parts;
        raw << (sqlite.ReadName(tables[i], parts) && parts.size() == 1 ? parts.first() : tables[i]);
        index.insert(raw.last(), i);
    }
    QList<qsizetype> askDatabase;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (q.exec(QStringLiteral("select name, type, sql from sqlite_master "
                              "where type in ('table','view')"))) {
        while (q.next()) {
            const auto it = index.constFind(q.value(0).toString());
            if (it == index.constEnd()) continue;
            if (q.value(1).toString() != QLatin1String("table") ||
                !ColumnsOfCreateTable(q.value(2).toString(), result[*it].Columns))
                askDatabase << *it;
        }
        q.finish();
    }
    for (qsizetype i : std::as_const(askDatabase))
        AskSqliteForColumns(db, raw[i], tables[i], result[i].Columns);
    for (TCatalogueTable& table : result)
        if (table.Columns.isEmpty()) table.Error = QStringLiteral("无法读取该表的列");
}

// Elsewhere: each table's columns from a statement without rows, all in
// one transaction where the data source offers one.
void ReadColumnsByStatement(TADOConnection* connection, QSqlDatabase db,
                            QList<TCatalogueTable>& result) {
    const bool transaction = db.isValid() && db.transaction();
    TADOQuery query;
    query.SetConnection(connection);
    for (TCatalogueTable& table : result) {
        query.SQL() = QStringList{ColumnsOf(table.Name)};
        try {
            query.Open();
            const TFieldDefs& defs = query.FieldDefs();
            for (int i = 0; i < defs.Count(); ++i)
                table.Columns.append({defs[i].Name, defs[i].DataType});
            query.Close();
        } catch (const EDatabaseError& e) {
            table.Error = e.Message();
        }
    }
    if (transaction) db.rollback();
}

} // namespace

QList<TCatalogueTable> ReadColumns(TADOConnection* connection, const QStringList& tables) {
    QList<TCatalogueTable> result;
    result.reserve(tables.size());
    for (const QString& name : tables)
        result.append(TCatalogueTable{name, {}, {}});
    if (!connection || tables.isEmpty()) return result;
    QSqlDatabase db = QSqlDatabase::database(connection->QtConnectionName(), false);
    if (connection->ProviderKind() == TProviderKind::SQLite && db.isValid())
        ReadSqliteColumns(db, tables, result);
    else
        ReadColumnsByStatement(connection, db, result);
    return result;
}

} // namespace dialect
} // namespace quillary
