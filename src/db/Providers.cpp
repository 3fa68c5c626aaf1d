#include "db/Providers.h"
#include "db/ConnectionString.h"
#include "db/DatabaseError.h"
#include "db/OdbcDataSources.h"
#include "sqltext/SqlStatements.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <QUrl>
#include <sqlite3.h>
#include <sys/stat.h>

Q_DECLARE_OPAQUE_POINTER(sqlite3*)
Q_DECLARE_METATYPE(sqlite3*)
Q_DECLARE_OPAQUE_POINTER(sqlite3_stmt*)
Q_DECLARE_METATYPE(sqlite3_stmt*)

namespace quillary::provider {

namespace {

constexpr int kConnectTimeoutSeconds = 15;
const QLatin1StringView kConnectTimeoutKey("Connect Timeout");

[[noreturn]] void Fail(const QString& message) {
    throw EDatabaseError(message);
}

QSqlDatabase Database(const QString& qtName) {
    return QSqlDatabase::database(qtName, false);
}

QSqlDatabase AddDatabase(const char* driver, const QString& qtName) {
    if (!QSqlDatabase::isDriverAvailable(QString::fromLatin1(driver)))
        Fail(QStringLiteral("没有安装 Qt 的数据库驱动 %1，无法打开这类数据源")
                 .arg(QLatin1StringView(driver)));
    return QSqlDatabase::addDatabase(QString::fromLatin1(driver), qtName);
}

// `what` names the data source: "SQLite 数据库“/srv/shop.db”", ...
void OpenOrFail(QSqlDatabase& db, const QString& what) {
    if (!db.open()) Fail(QStringLiteral("无法打开 %1：\n").arg(what) + ErrorText(db.lastError()));
}

// The seconds to wait for a connection: "Connect Timeout" when given, which
// must then be a positive whole number (0 would mean waiting for ever).
int ConnectTimeout(const TConnectionString& cs) {
    if (!cs.Contains(kConnectTimeoutKey)) return kConnectTimeoutSeconds;
    const QString value = cs.Value(kConnectTimeoutKey);
    bool ok = false;
    const int seconds = value.trimmed().toInt(&ok);
    if (!ok || seconds <= 0)
        Fail(QStringLiteral("连接字符串中“%1”的值“%2”不是正整数（等待连接的秒数）")
                 .arg(kConnectTimeoutKey, value));
    return seconds;
}

// A database file that must exist: nothing creates an empty one behind our
// back. Only a regular file (links followed) is a database: a device such
// as /dev/zero would read as an empty one, a pipe would block.
void RequireDatabaseFile(const QString& path, const QString& owner) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        Fail(QStringLiteral("%1的数据库文件“%2”不存在").arg(owner, path));
    if (S_ISDIR(info.st_mode))
        Fail(QStringLiteral("%1的数据库文件“%2”是一个文件夹").arg(owner, path));
    if (!S_ISREG(info.st_mode))
        Fail(QStringLiteral("%1的数据库文件“%2”不是普通文件（而是设备、管道或套接字）")
                 .arg(owner, path));
}

sqlite3* SqliteHandle(const QString& qtName) {
    const QVariant v = Database(qtName).driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0) return nullptr;
    return *static_cast<sqlite3* const*>(v.constData());
}

void OpenSqlite(const TConnectionString& cs, const QString& qtName) {
    const QString path = cs.Value({"Data Source", "Database", "DBQ"});
    if (path.isEmpty())
        Fail(QStringLiteral("SQLite 数据源需要用“Data Source=”给出数据库文件的路径"));
    QString uri;
    const bool readOnly = cs.Value("Mode").compare(QLatin1String("Read"), Qt::CaseInsensitive) == 0;
    if (path == QLatin1String(":memory:")) {
        uri = QStringLiteral("file::memory:");
    } else {
        RequireDatabaseFile(path, QStringLiteral("SQLite 数据源"));
        const QFileInfo info(path);
        // A URI with mode=rw never creates a missing database behind our back.
        uri = QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded) +
              (readOnly ? QStringLiteral("?mode=ro") : QStringLiteral("?mode=rw"));
    }
    QSqlDatabase db = AddDatabase("QSQLITE", qtName);
    db.setDatabaseName(uri);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
    const QString what = QStringLiteral("SQLite 数据库“%1”").arg(path);
    OpenOrFail(db, what);
    // Opening is lazy: a file that is not a database only shows on first read.
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("select count(*) from sqlite_master"))) {
        const QString message = ErrorText(probe.lastError());
        probe = QSqlQuery();
        db.close();
        Fail(QStringLiteral("无法读取 %1：\n").arg(what) + message);
    }
}

// ODBC attribute values containing separators go in braces.
QString OdbcValue(const QString& value) {
    if (value.contains(QLatin1Char(';')) || value.contains(QLatin1Char('{')) ||
        value.contains(QLatin1Char('}')) || value != value.trimmed()) {
        QString v = value;
        v.replace(QLatin1Char('}'), QStringLiteral("}}"));
        return QLatin1Char('{') + v + QLatin1Char('}');
    }
    return value;
}

bool IsAdoOnlyKey(const QString& key) {
    static const QStringList keys = {QStringLiteral("Provider"),
                                     QStringLiteral("Persist Security Info"),
                                     QStringLiteral("User ID"),
                                     QStringLiteral("UID"),
                                     QStringLiteral("Password"),
                                     QStringLiteral("PWD"),
                                     QStringLiteral("DSN"),
                                     QStringLiteral("Data Source"),
                                     QStringLiteral("Extended Properties"),
                                     QString(kConnectTimeoutKey)};
    return keys.contains(key, Qt::CaseInsensitive);
}

void OpenOdbc(const TConnectionString& cs, const QString& user, const QString& password,
              const QString& qtName) {
    const QString driver = cs.Value("Driver");
    const QString dsn = cs.Value({"DSN", "Data Source"});
    QStringList attributes;
    // ADO keeps ODBC attributes in "Extended Properties"; take them along.
    const QString extended = cs.Value("Extended Properties");
    if (!extended.isEmpty()) attributes << extended;
    for (const auto& [key, value] : cs.Items())
        if (!IsAdoOnlyKey(key) && key.compare(QLatin1String("Driver"), Qt::CaseInsensitive) != 0)
            attributes << key + QLatin1Char('=') + OdbcValue(value);
    if (!user.isEmpty()) attributes << QStringLiteral("UID=") + OdbcValue(user);
    if (!password.isEmpty()) attributes << QStringLiteral("PWD=") + OdbcValue(password);

    QString databaseName;
    if (!driver.isEmpty()) {
        QString d = driver;
        d.replace(QLatin1Char('}'), QStringLiteral("}}"));
        databaseName = QStringLiteral("DRIVER={") + d + QLatin1Char('}');
        if (!dsn.isEmpty()) attributes.prepend(QStringLiteral("DSN=") + OdbcValue(dsn));
    } else if (!dsn.isEmpty()) {
        // Qt puts "DSN=" in front of a name that holds no DRIVER= itself.
        databaseName = dsn;
    } else {
        Fail(QStringLiteral("ODBC 数据源需要用“DSN=”（或“Data Source=”）给出数据源名称，"
                            "或者用“Driver={...}”给出驱动程序"));
    }
    // Drivers that keep the database in one file create a missing one,
    // empty: refuse it first, as for the SQLite provider.
    const QString driverName =
        !driver.isEmpty() ? driver : OdbcDsnValue(dsn, QStringLiteral("Driver"));
    if (IsFileDatabaseOdbcDriver(driverName)) {
        QString file = cs.Value("Database");
        if (file.isEmpty() && driver.isEmpty())
            file = OdbcDsnValue(dsn, QStringLiteral("Database"));
        if (!file.isEmpty() && file != QLatin1String(":memory:"))
            RequireDatabaseFile(file, QStringLiteral("ODBC 驱动程序“%1”").arg(driverName));
    }
    if (!attributes.isEmpty()) databaseName += QLatin1Char(';') + attributes.join(QLatin1Char(';'));

    QSqlDatabase db = AddDatabase("QODBC", qtName);
    db.setDatabaseName(databaseName);
    db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1").arg(ConnectTimeout(cs)));
    OpenOrFail(db, !driver.isEmpty() ? QStringLiteral("ODBC 驱动程序“%1”的数据源").arg(driver)
                                     : QStringLiteral("ODBC 数据源“%1”").arg(dsn));
}

// A value in libpq's connection text: in single quotes, with "\\" and "'"
// escaped by a backslash. Qt turns ";" into " " on the way, so none may be
// inside.
QString LibpqValue(const QString& value) {
    Q_ASSERT(!value.contains(QLatin1Char(';')));
    QString quoted = value;
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    quoted.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// One of libpq's SSL modes (any letter case), else refused naming the key.
QString SslMode(const QString& key, const QString& value) {
    static const QStringList modes = {QStringLiteral("disable"),   QStringLiteral("allow"),
                                      QStringLiteral("prefer"),    QStringLiteral("require"),
                                      QStringLiteral("verify-ca"), QStringLiteral("verify-full")};
    const QString mode = value.trimmed().toLower();
    if (!modes.contains(mode))
        Fail(QStringLiteral("连接字符串中“%1”的值“%2”不是 libpq 的 SSL 模式（%3 之一）")
                 .arg(key, value, modes.join(QStringLiteral("、"))));
    return mode;
}

// A database server's host and port: "Data Source" (or Server, Host), and
// "Port" or, when no Port key is given, "host:port" or "host,port". Port -1
// when none is given.
struct TServerAddress {
    QString Host;
    int Port = -1;
    // "（服务器 host:port）" for messages; empty without a host.
    QString Described() const {
        if (Host.isEmpty()) return {};
        return QStringLiteral("（服务器 %1%2）")
            .arg(Host, Port > 0 ? QStringLiteral(":%1").arg(Port) : QString());
    }
};

TServerAddress ServerAddress(const TConnectionString& cs) {
    TServerAddress address{cs.Value({"Data Source", "Server", "Host"})};
    QString port = cs.Value("Port");
    if (port.isEmpty()) {
        const qsizetype sep = std::max(address.Host.lastIndexOf(QLatin1Char(':')),
                                       address.Host.lastIndexOf(QLatin1Char(',')));
        if (sep > 0 && !address.Host.contains(QLatin1Char(']'), Qt::CaseInsensitive)) {
            port = address.Host.mid(sep + 1);
            address.Host.truncate(sep);
        }
    }
    if (!port.isEmpty()) {
        bool ok = false;
        address.Port = port.trimmed().toInt(&ok);
        if (!ok || address.Port <= 0 || address.Port > 65535)
            Fail(QStringLiteral("连接字符串中的端口“%1”不是 1 到 65535 之间的整数").arg(port));
    }
    return address;
}

// Host, port, database and login go to the driver as parameters of their own.
QSqlDatabase AddServerDatabase(const char* driver, const TServerAddress& address,
                               const TConnectionString& cs, const QString& user,
                               const QString& password, const QString& qtName) {
    QSqlDatabase db = AddDatabase(driver, qtName);
    if (!address.Host.isEmpty()) db.setHostName(address.Host);
    if (address.Port > 0) db.setPort(address.Port);
    db.setDatabaseName(cs.Value({"Initial Catalog", "Database"}));
    db.setUserName(user);
    db.setPassword(password);
    return db;
}

void OpenPostgres(const TConnectionString& cs, const QString& user, const QString& password,
                  const QString& qtName) {
    const TServerAddress address = ServerAddress(cs);
    QSqlDatabase db = AddServerDatabase("QPSQL", address, cs, user, password, qtName);
    // Qt appends the options to libpq's connection text: every value goes in
    // quotes, and only values we checked go there at all.
    QStringList options = {
        QStringLiteral("connect_timeout=") + LibpqValue(QString::number(ConnectTimeout(cs))),
        QStringLiteral("application_name=") + LibpqValue(QStringLiteral("Quillary"))};
    const QString sslKey = cs.Contains(QStringLiteral("SSL Mode")) ? QStringLiteral("SSL Mode")
                                                                   : QStringLiteral("sslmode");
    const QString sslMode = cs.Value(sslKey);
    if (!sslMode.isEmpty())
        options << QStringLiteral("sslmode=") + LibpqValue(SslMode(sslKey, sslMode));
    db.setConnectOptions(options.join(QLatin1Char(';')));
    OpenOrFail(db, QStringLiteral("PostgreSQL 数据库“%1”").arg(db.databaseName()) +
                       address.Described());
}

void OpenMySql(const TConnectionString& cs, const QString& user, const QString& password,
               const QString& qtName) {
    // Qt's MySQL driver takes SSL settings only inside its option text, cut
    // at ";" and without quotes: no value of ours goes there. Saying that
    // SSL is off is all the string may do about it.
    for (const auto& [key, value] : cs.Items())
        if (key.startsWith(QLatin1String("ssl"), Qt::CaseInsensitive) &&
            value.trimmed().compare(QLatin1String("disable"), Qt::CaseInsensitive) != 0)
            Fail(QStringLiteral("MySQL 数据源不能用连接字符串中的“%1”设置 SSL；需要 SSL 时请通过 "
                                "MariaDB 的 ODBC 驱动程序连接")
                     .arg(key));
    const TServerAddress address = ServerAddress(cs);
    QSqlDatabase db = AddServerDatabase("QMYSQL", address, cs, user, password, qtName);
    // The only option is a number we made: the wait for the connection and
    // for the server's greeting.
    db.setConnectOptions(QStringLiteral("MYSQL_OPT_CONNECT_TIMEOUT=%1").arg(ConnectTimeout(cs)));
    OpenOrFail(db, QStringLiteral("MySQL 数据库“%1”").arg(db.databaseName()) +
                       address.Described());
}

// ODBC keywords that make the driver manager or a driver read a file or load
// a library: a file data source, one to be written, the SQLite driver's
// extensions, the MySQL family's plug-in folder.
const char* const kFileKeywords[] = {"FILEDSN", "SAVEFILE", "LoadExt", "PLUGIN_DIR"};

// The key as the string spells it, for messages.
QString KeyAsWritten(const TConnectionString& cs, const QString& key) {
    for (const auto& item : cs.Items())
        if (item.first.compare(key, Qt::CaseInsensitive) == 0) return item.first;
    return key;
}

[[noreturn]] void RefuseFromDocument(const QString& key, const QString& reason) {
    Fail(QStringLiteral("来自文档的连接字符串不能这样指明 ODBC 数据源：“%1”%2").arg(key, reason));
}

// The rows of `sql` (visible bare?, schema, name) as table names: bare
// where the first column says so, else schema and name.
QList<QStringList> QualifiedNames(const QString& qtName, const QString& sql) {
    QList<QStringList> names;
    QSqlQuery q(Database(qtName));
    q.setForwardOnly(true);
    if (!q.exec(sql + QStringLiteral(" order by 3, 2"))) Fail(ErrorText(q.lastError()));
    while (q.next())
        names.append(q.value(0).toBool()
                         ? QStringList{q.value(2).toString()}
                         : QStringList{q.value(1).toString(), q.value(2).toString()});
    return names;
}

QStringList QueryColumn(const QString& qtName, const QString& sql) {
    QStringList names;
    QSqlQuery q(Database(qtName));
    q.setForwardOnly(true);
    if (!q.exec(sql)) Fail(ErrorText(q.lastError()));
    while (q.next())
        names << q.value(0).toString();
    return names;
}

} // namespace

QString ErrorText(const QSqlError& error) {
    QString text = error.databaseText().trimmed();
    // SQLite's text for "no error": the driver refused the statement itself.
    if (text.isEmpty() || text.compare(QLatin1String("not an error"), Qt::CaseInsensitive) == 0)
        text = error.driverText().trimmed();
    if (text.isEmpty()) text = QStringLiteral("数据库报告了错误，但没有给出说明");
    return text;
}

TProviderKind KindOf(const QString& providerName) {
    const QString p = providerName.trimmed();
    auto is = [&](const char* name) {
        return p.compare(QLatin1StringView(name), Qt::CaseInsensitive) == 0 ||
               p.startsWith(QLatin1StringView(name) + QLatin1Char('.'), Qt::CaseInsensitive);
    };
    if (is("SQLite") || is("SQLite3")) return TProviderKind::SQLite;
    if (p.isEmpty() || is("MSDASQL") || is("ODBC")) return TProviderKind::Odbc;
    if (is("PostgreSQL") || is("PGSQL")) return TProviderKind::PostgreSQL;
    if (is("MySQL") || is("MariaDB")) return TProviderKind::MySql;
    return TProviderKind::Unknown;
}

void CheckDocumentString(const TConnectionString& cs) {
    if (KindOf(cs.Value("Provider")) != TProviderKind::Odbc) return;
    const QString driver = cs.Value("Driver").trimmed();
    if (cs.Contains(QStringLiteral("Driver"))) {
        const QString key = KeyAsWritten(cs, QStringLiteral("Driver"));
        // unixODBC loads a driver it does not know by name as a library file.
        if (driver.contains(QLatin1Char('/')))
            RefuseFromDocument(key, QStringLiteral("的值“%1”是文件路径；只能写在 unixODBC 中登记的"
                                                   "驱动程序名称")
                                        .arg(driver));
        // The driver manager finds a registered name in any letter case.
        if (!OdbcDriverNames().contains(driver, Qt::CaseInsensitive))
            RefuseFromDocument(
                key, QStringLiteral("的值“%1”不是在 unixODBC 中登记的驱动程序名称").arg(driver));
    }
    for (const char* keyword : kFileKeywords)
        if (cs.Contains(QString::fromLatin1(keyword)))
            RefuseFromDocument(KeyAsWritten(cs, QString::fromLatin1(keyword)),
                               QStringLiteral("会让 ODBC 读写文件或载入程序库"));
    // The data source name goes to ODBC bare: with "=" or ";" in it, Qt
    // would hand it over as a whole connection string.
    for (const char* key : {"DSN", "Data Source"}) {
        const QString dsn = cs.Value(QString::fromLatin1(key));
        if (dsn.contains(QLatin1Char('=')) || dsn.contains(QLatin1Char(';')) ||
            dsn.contains(QLatin1Char('/')))
            RefuseFromDocument(KeyAsWritten(cs, QString::fromLatin1(key)),
                               QStringLiteral("的值“%1”不是数据源名称").arg(dsn));
    }
    // Keywords as the driver manager may read them, wherever they stand in
    // the text: refused even where another reading would see a value.
    static const QRegularExpression hidden(
        QStringLiteral("(?:^|[;{}\\s])(DRIVER|FILEDSN|SAVEFILE|LoadExt|PLUGIN_DIR)\\s*="),
        QRegularExpression::CaseInsensitiveOption);
    const QString extended = cs.Value("Extended Properties");
    if (const QRegularExpressionMatch m = hidden.match(extended); m.hasMatch())
        RefuseFromDocument(
            QStringLiteral("Extended Properties"),
            QStringLiteral("里的“%1”会让 ODBC 载入驱动程序或读写文件").arg(m.captured(1)));
    // Qt reads any text that holds ".dsn" as the name of a file data source.
    for (const auto& [key, value] : cs.Items())
        if (key.contains(QLatin1String(".dsn"), Qt::CaseInsensitive) ||
            value.contains(QLatin1String(".dsn"), Qt::CaseInsensitive))
            RefuseFromDocument(key, QStringLiteral("含有“.dsn”，会被当作文件数据源读取"));
}

void Open(TProviderKind kind, const QString& providerName, const TConnectionString& cs,
          const QString& user, const QString& password, const QString& qtName) {
    try {
        if (kind != TProviderKind::Unknown) ConnectTimeout(cs); // a bad value is refused by all
        switch (kind) {
        case TProviderKind::SQLite:
            OpenSqlite(cs, qtName);
            return;
        case TProviderKind::Odbc:
            OpenOdbc(cs, user, password, qtName);
            return;
        case TProviderKind::PostgreSQL:
            OpenPostgres(cs, user, password, qtName);
            return;
        case TProviderKind::MySql:
            OpenMySql(cs, user, password, qtName);
            return;
        case TProviderKind::Unknown:
            break;
        }
        Fail(QStringLiteral("无法打开提供程序“%1”的数据源：这里只能打开 SQLite、ODBC（MSDASQL）、"
                            "PostgreSQL 和 MySQL 数据源")
                 .arg(providerName));
    } catch (...) {
        Close(qtName);
        throw;
    }
}

void Close(const QString& qtName) {
    if (!QSqlDatabase::contains(qtName)) return;
    {
        QSqlDatabase db = Database(qtName);
        db.close();
    }
    QSqlDatabase::removeDatabase(qtName);
}

QList<QStringList> TableNames(TProviderKind kind, const QString& qtName, bool systemTables) {
    QList<QStringList> names;
    switch (kind) {
    case TProviderKind::SQLite: {
        QString sql =
            QStringLiteral("select name from sqlite_master where type in ('table','view')");
        if (!systemTables) sql += QStringLiteral(" and name not like 'sqlite\\_%' escape '\\'");
        if (systemTables) names.append({QStringLiteral("sqlite_master")});
        for (const QString& name : QueryColumn(qtName, sql + QStringLiteral(" order by name")))
            names.append({name});
        return names;
    }
    case TProviderKind::PostgreSQL: {
        // Tables visible on the search path are named bare, as a statement
        // can use them; others with their schema. Schema and name come
        // apart: either may hold a dot.
        QString sql = QStringLiteral(
            "select pg_catalog.pg_table_is_visible(c.oid), n.nspname, c.relname "
            "from pg_catalog.pg_class c join pg_catalog.pg_namespace n on n.oid = c.relnamespace "
            "where c.relkind in ('r','p','v','m','f') and not c.relispartition "
            "and n.nspname not like 'pg\\_toast%' and n.nspname not like 'pg\\_temp\\_%'");
        if (!systemTables)
            sql += QStringLiteral(" and n.nspname not in ('pg_catalog','information_schema')");
        return QualifiedNames(qtName, sql);
    }
    case TProviderKind::MySql: {
        // The tables of the connection's database are named bare, others
        // with their database; schema and name come apart.
        QString sql = QStringLiteral(
            "select coalesce(table_schema = database(), 0), table_schema, table_name "
            "from information_schema.tables");
        if (!systemTables)
            sql += QStringLiteral(" where table_schema not in "
                                  "('information_schema','mysql','performance_schema','sys')");
        return QualifiedNames(qtName, sql);
    }
    case TProviderKind::Odbc: {
        QSql::TableType types = QSql::TableType(QSql::Tables | QSql::Views);
        if (systemTables) types = QSql::TableType(types | QSql::SystemTables);
        QSqlDatabase db = Database(qtName);
        const QStringList tables = db.tables(types);
        if (db.lastError().isValid() && tables.isEmpty()) Fail(ErrorText(db.lastError()));
        for (const QString& name : tables)
            names.append({name});
        return names;
    }
    case TProviderKind::Unknown:
        break;
    }
    return names;
}

QString ColumnName(TProviderKind kind, const QSqlQuery& query, const QSqlRecord& record,
                   int column) {
    // Qt's SQLite driver takes the double quotes out of names: ask SQLite.
    if (kind == TProviderKind::SQLite) {
        const QVariant h = query.result() ? query.result()->handle() : QVariant();
        if (h.isValid() && qstrcmp(h.typeName(), "sqlite3_stmt*") == 0) {
            sqlite3_stmt* stmt = *static_cast<sqlite3_stmt* const*>(h.constData());
            if (stmt && column < sqlite3_column_count(stmt))
                if (const char* name = sqlite3_column_name(stmt, column))
                    return QString::fromUtf8(name);
        }
    }
    return record.fieldName(column);
}

bool ReadOnlyLasts(TProviderKind kind) {
    // SQLite's query_only lasts too: changing it while a statement runs
    // expires that statement, whose next step would end its rows early.
    return kind == TProviderKind::PostgreSQL || kind == TProviderKind::MySql ||
           kind == TProviderKind::SQLite;
}

void BeginReadOnly(TProviderKind kind, const QString& qtName) {
    QSqlQuery q(Database(qtName));
    if (kind == TProviderKind::SQLite) {
        if (!q.exec(QStringLiteral("pragma query_only = 1"))) Fail(ErrorText(q.lastError()));
    } else if (ReadOnlyLasts(kind)) {
        if (!q.exec(QStringLiteral("start transaction read only"))) Fail(ErrorText(q.lastError()));
    }
}

void EndReadOnly(TProviderKind kind, const QString& qtName) {
    if (!QSqlDatabase::contains(qtName)) return;
    QSqlQuery q(Database(qtName));
    if (kind == TProviderKind::SQLite)
        q.exec(QStringLiteral("pragma query_only = 0"));
    else if (ReadOnlyLasts(kind))
        q.exec(QStringLiteral("rollback"));
}

TFieldType ColumnType(TProviderKind kind, const QSqlQuery& query, const QSqlRecord& record,
                      int column) {
    const QSqlField field = record.field(column);
    TFieldType type = ftUnknown;
    switch (kind) {
    case TProviderKind::SQLite: {
        const QVariant h = query.result() ? query.result()->handle() : QVariant();
        if (h.isValid() && qstrcmp(h.typeName(), "sqlite3_stmt*") == 0) {
            sqlite3_stmt* stmt = *static_cast<sqlite3_stmt* const*>(h.constData());
            if (stmt && column < sqlite3_column_count(stmt))
                type = FieldTypeFromSqliteDeclaration(
                    QString::fromUtf8(sqlite3_column_decltype(stmt, column)));
        }
        break;
    }
    case TProviderKind::Odbc:
        type = FieldTypeFromOdbcType(field.typeID());
        break;
    case TProviderKind::PostgreSQL:
        type = FieldTypeFromPostgresOid(field.typeID());
        break;
    case TProviderKind::MySql:
        type = FieldTypeFromMySqlType(field.typeID(), field.metaType());
        break;
    case TProviderKind::Unknown:
        break;
    }
    return type != ftUnknown ? type : FieldTypeFromMetaType(field.metaType());
}

bool MayReturnRows(TProviderKind kind, const QString& qtName, const QString& sql) {
    if (kind != TProviderKind::SQLite) return true;
    sqlite3* handle = SqliteHandle(qtName);
    if (!handle) return true;
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* statement = nullptr;
    const char* tail = nullptr;
    // A statement SQLite refuses goes to the cursor, which reports the error.
    if (sqlite3_prepare_v2(handle, utf8.constData(), int(utf8.size()), &statement, &tail) !=
        SQLITE_OK)
        return true;
    const bool columns = statement && sqlite3_column_count(statement) > 0;
    sqlite3_finalize(statement);
    // Only blanks, semicolons or comments after the first statement: one statement.
    QByteArray rest = tail ? QByteArray(tail).trimmed() : QByteArray();
    bool more = false;
    while (!rest.isEmpty() && !more) {
        sqlite3_stmt* next = nullptr;
        const char* nextTail = nullptr;
        more = sqlite3_prepare_v2(handle, rest.constData(), int(rest.size()), &next, &nextTail) !=
                   SQLITE_OK ||
               next != nullptr;
        sqlite3_finalize(next);
        if (!nextTail || nextTail == rest.constData()) break; // nothing consumed
        rest = QByteArray(nextTail).trimmed();
    }
    return columns && !more;
}

int Execute(TProviderKind kind, const QString& qtName, const QString& sql) {
    if (kind == TProviderKind::SQLite) {
        // Qt runs only the first statement of a text; SQLite itself runs them all.
        sqlite3* handle = SqliteHandle(qtName);
        if (handle) {
            const int before = sqlite3_total_changes(handle);
            char* message = nullptr;
            const QByteArray utf8 = sql.toUtf8();
            if (sqlite3_exec(handle, utf8.constData(), nullptr, nullptr, &message) != SQLITE_OK) {
                const QString text = message ? QString::fromUtf8(message)
                                             : QString::fromUtf8(sqlite3_errmsg(handle));
                sqlite3_free(message);
                Fail(text);
            }
            return sqlite3_total_changes(handle) - before;
        }
    }
    if (kind == TProviderKind::MySql) {
        // The server runs a text of several statements, but reports only the
        // first one's error: one statement at a time, up to the first error.
        int affected = 0;
        for (const TSqlStatement& statement : SplitStatements(sql, TSqlReading::MySql)) {
            QSqlQuery q(Database(qtName));
            if (!q.exec(sql.mid(statement.Start, statement.End - statement.Start)))
                Fail(ErrorText(q.lastError()));
            affected += std::max(q.numRowsAffected(), 0);
        }
        return affected;
    }
    QSqlQuery q(Database(qtName));
    if (!q.exec(sql)) Fail(ErrorText(q.lastError()));
    const int affected = q.numRowsAffected();
    return affected < 0 ? 0 : affected;
}

} // namespace quillary::provider
