#include "db/Dialect.h"
#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/DatabaseError.h"
#include "db/OdbcDataSources.h"
#include "sqltext/Common.h"

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

// A name a statement can carry unquoted: letters (any script), digits after
// the first character, "_" and "$", and no key word of the SQL we write.
bool IsPlainIdentifier(const QString& name, bool caseSensitive) {
    if (name.isEmpty()) return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (c.unicode() >= 0x80) {
            if (!c.isLetterOrNumber()) return false;
            continue;
        }
        const bool lower = c >= QLatin1Char('a') && c <= QLatin1Char('z');
        const bool upper = c >= QLatin1Char('A') && c <= QLatin1Char('Z');
        const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        if (upper && caseSensitive) return false;
        if (!(lower || upper || c == QLatin1Char('_') || (i > 0 && (digit || c == '$'))))
            return false;
    }
    static const QStringList keywords =
        sReservedWords +
        QStringList{QStringLiteral("by"),       QStringLiteral("on"),    QStringLiteral("join"),
                    QStringLiteral("union"),    QStringLiteral("limit"), QStringLiteral("table"),
                    QStringLiteral("distinct"), QStringLiteral("case"),  QStringLiteral("end")};
    return !keywords.contains(name, Qt::CaseInsensitive);
}

bool IsQuoted(const QString& name) {
    return name.size() >= 2 &&
           ((name.front() == QLatin1Char('"') && name.back() == QLatin1Char('"')) ||
            (name.front() == QLatin1Char('[') && name.back() == QLatin1Char(']')) ||
            (name.front() == QLatin1Char('`') && name.back() == QLatin1Char('`')));
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

QString OracleTables() {
    return QStringLiteral("select TName from tab");
}

QString OracleSystemTables(const QString& user) {
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
    if (!connection || (kind != dsSqlServer && kind != dsOracle)) return false;
    // Views are looked up by their own name, without an owner prefix.
    const qsizetype dot = tableName.lastIndexOf(QLatin1Char('.'));
    const QString view = tableName.mid(dot + 1);
    QString text;
    if (kind == dsSqlServer) {
        if (!FirstValue(connection,
                        QStringLiteral("select def.text,o.name from sysobjects o,syscomments def "
                                       "where def.id=o.id and o.xtype='V' and o.name='") +
                            view + QLatin1Char('\''),
                        QStringLiteral("text"), text))
            return false;
        int end = 0;
        if (IsBeginWithPhrase(QStringLiteral("create view"), text, end, 1, true) == 0) return false;
        const int as = FindKeyWord(text, QStringLiteral("as"), end);
        if (as <= 0) return false;
        source = text.mid(as + 3 - 1);
        return true;
    }
    QString owner;
    if (dot >= 0) {
        owner = tableName.left(dot);
        owner = owner.mid(owner.lastIndexOf(QLatin1Char('.')) + 1);
    } else {
        owner = connection->PropertyValue(QStringLiteral("User ID"));
    }
    if (!FirstValue(connection,
                    QStringLiteral("select Text from dba_views where owner='") + owner.toUpper() +
                        QStringLiteral("' and VIEW_NAME='") + view + QLatin1Char('\''),
                    QStringLiteral("text"), text))
        return false;
    source = text;
    return true;
}

QString AlterView(int kind, const QString& name, const QString& select) {
    if (kind == dsOracle)
        return QStringLiteral("replace View ") + name + QStringLiteral(" as ") + select;
    if (kind == dsSqlServer)
        return QStringLiteral("alter View ") + name + QStringLiteral(" as ") + select;
    return {};
}

QString CreateView(const QString& name, const QString& select) {
    return QStringLiteral("Create View ") + name + QStringLiteral(" as ") + select;
}

QString TableNameForStatements(TADOConnection* connection, int kind, const QString& name) {
    // Oracle hands out owner.name entries and Excel sheets are quoted whole.
    if (!connection || kind == dsOracle || kind == dsExcel || IsQuoted(name)) return name;
    const TProviderKind provider = connection->ProviderKind();
    const bool caseSensitive = provider == TProviderKind::PostgreSQL;
    const QSqlDatabase db = QSqlDatabase::database(connection->QtConnectionName(), false);
    const QSqlDriver* driver = db.isValid() ? db.driver() : nullptr;
    auto quote = [&](const QString& part) {
        if (IsPlainIdentifier(part, caseSensitive)) return part;
        if (driver) return driver->escapeIdentifier(part, QSqlDriver::TableName);
        QString escaped = part;
        escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        return QLatin1Char('"') + escaped + QLatin1Char('"');
    };
    // Only PostgreSQL lists names with their schema.
    if (provider == TProviderKind::PostgreSQL) {
        const qsizetype dot = name.indexOf(QLatin1Char('.'));
        if (dot > 0) return quote(name.left(dot)) + QLatin1Char('.') + quote(name.mid(dot + 1));
    }
    return quote(name);
}

bool ColumnsOfCreateTable(const QString& sql, QList<TCatalogueColumn>& columns) {
    columns.clear();
    const qsizetype n = sql.size();
    // Quoted names and literals are skipped whole; "[...]" quotes in SQLite too.
    auto skipQuoted = [&](qsizetype i) {
        const QChar open = sql[i];
        const QChar close = open == QLatin1Char('[') ? QLatin1Char(']') : open;
        for (++i; i < n; ++i)
            if (sql[i] == close) {
                if (close != QLatin1Char(']') && i + 1 < n && sql[i + 1] == close) {
                    ++i;
                    continue;
                }
                return i + 1;
            }
        return qsizetype(-1);
    };
    auto isQuote = [](QChar c) {
        return c == QLatin1Char('"') || c == QLatin1Char('\'') || c == QLatin1Char('`') ||
               c == QLatin1Char('[');
    };
    // The column list: from the first "(" outside quotes to its partner.
    qsizetype open = -1;
    for (qsizetype i = 0; i < n && open < 0;) {
        if (isQuote(sql[i])) {
            i = skipQuoted(i);
            if (i < 0) return false;
        } else if (sql[i] == QLatin1Char('(')) {
            open = i;
        } else {
            ++i;
        }
    }
    if (open < 0) return false; // CREATE TABLE ... AS SELECT
    QStringList parts;
    int depth = 0;
    qsizetype start = open + 1;
    qsizetype close = -1;
    for (qsizetype i = open + 1; i < n && close < 0;) {
        const QChar c = sql[i];
        if (isQuote(c)) {
            i = skipQuoted(i);
            if (i < 0) return false;
            continue;
        }
        if (c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(')')) {
            if (depth == 0) {
                parts << sql.mid(start, i - start);
                close = i;
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
    if (close < 0) return false;

    static const QStringList tableConstraints = {
        QStringLiteral("constraint"), QStringLiteral("primary"), QStringLiteral("unique"),
        QStringLiteral("check"), QStringLiteral("foreign")};
    static const QStringList typeEnds = {
        QStringLiteral("constraint"), QStringLiteral("primary"), QStringLiteral("not"),
        QStringLiteral("null"),       QStringLiteral("unique"),  QStringLiteral("check"),
        QStringLiteral("default"),    QStringLiteral("collate"), QStringLiteral("references"),
        QStringLiteral("generated"),  QStringLiteral("as"),      QStringLiteral("on")};
    for (const QString& raw : std::as_const(parts)) {
        const QString part = raw.trimmed();
        if (part.isEmpty()) return false;
        // The column name: quoted, or a word.
        QString name;
        qsizetype i = 0;
        if (isQuote(part[0])) {
            const QChar q = part[0];
            const QChar qc = q == QLatin1Char('[') ? QLatin1Char(']') : q;
            for (i = 1; i < part.size(); ++i) {
                if (part[i] == qc) {
                    if (qc != QLatin1Char(']') && i + 1 < part.size() && part[i + 1] == qc) {
                        name += qc;
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                name += part[i];
            }
        } else {
            while (i < part.size() && !part[i].isSpace() && part[i] != QLatin1Char('('))
                ++i;
            name = part.left(i);
            if (tableConstraints.contains(name, Qt::CaseInsensitive)) break;
        }
        // The declared type: the words up to the first column constraint,
        // with a "(n[,m])" size.
        QStringList words;
        const QString rest = part.mid(i).simplified();
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
                j = end + 1;
                break;
            }
            qsizetype k = j;
            while (k < rest.size() && rest[k] != QLatin1Char(' ') && rest[k] != QLatin1Char('('))
                ++k;
            const QString word = rest.mid(j, k - j);
            if (typeEnds.contains(word, Qt::CaseInsensitive) || isQuote(word[0])) break;
            words << word;
            j = k;
        }
        columns.append({name, FieldTypeFromSqliteDeclaration(words.join(QLatin1Char(' ')))});
    }
    return !columns.isEmpty();
}

QList<TCatalogueTable> ReadColumns(TADOConnection* connection, const QStringList& tables) {
    QList<TCatalogueTable> result;
    result.reserve(tables.size());
    for (const QString& name : tables)
        result.append(TCatalogueTable{name, {}, {}});
    if (!connection || tables.isEmpty()) return result;

    QSqlDatabase db = QSqlDatabase::database(connection->QtConnectionName(), false);
    if (connection->ProviderKind() == TProviderKind::SQLite && db.isValid()) {
        // One read of the catalogue: the columns of a table come from its
        // CREATE TABLE text. Views and tables whose text says too little ask
        // the database; a column without a declared type (a view expression)
        // takes the type of its first value.
        QHash<QString, qsizetype> index;
        for (qsizetype i = 0; i < tables.size(); ++i)
            index.insert(tables[i], i);
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
        for (qsizetype i : std::as_const(askDatabase)) {
            QSqlQuery info(db);
            info.setForwardOnly(true);
            // table_xinfo lists generated columns too, as "select *" does.
            info.prepare(QStringLiteral(
                "select name, type from pragma_table_xinfo(?) where hidden <> 1 order by cid"));
            info.addBindValue(tables[i]);
            bool untyped = false;
            if (info.exec())
                while (info.next()) {
                    const QString declared = info.value(1).toString();
                    result[i].Columns.append(
                        {info.value(0).toString(), FieldTypeFromSqliteDeclaration(declared)});
                    untyped = untyped || declared.isEmpty();
                }
            if (!untyped) continue;
            QSqlQuery values(db);
            values.setForwardOnly(true);
            if (!values.exec(QStringLiteral("select * from ") +
                             TableNameForStatements(connection, dsOther, tables[i]) +
                             QStringLiteral(" limit 1")) ||
                !values.next())
                continue;
            QList<TCatalogueColumn>& columns = result[i].Columns;
            for (int c = 0; c < values.record().count() && c < columns.size(); ++c)
                if (columns[c].Type == ftUnknown)
                    columns[c].Type = FieldTypeFromMetaType(values.value(c).metaType());
        }
        for (TCatalogueTable& table : result)
            if (table.Columns.isEmpty()) table.Error = QStringLiteral("无法读取该表的列");
        return result;
    }

    // Elsewhere: each table's columns from a statement without rows, all in
    // one transaction where the data source offers one.
    const bool transaction = db.isValid() && db.transaction();
    const int kind = GetDataSourceType(connection);
    TADOQuery query;
    query.SetConnection(connection);
    for (TCatalogueTable& table : result) {
        query.SQL() = QStringList{ColumnsOf(TableNameForStatements(connection, kind, table.Name))};
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
    return result;
}

} // namespace dialect
} // namespace quillary
