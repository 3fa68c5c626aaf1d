#pragma once
// A database connection opened from an ADO-style connection string.
//
// Providers: "SQLite" (Data Source = database file), ODBC ("MSDASQL" or no
// provider; DSN= / Data Source= names a data source, or Driver={...}), and
// "PostgreSQL" and "MySQL" (also "MariaDB"; Data Source/Server = host, Port,
// Initial Catalog/Database).
// Any other provider is reported by Provider() but cannot be opened.
// A string "File Name=<path>" reads the connection string from a data-link file.

#include "db/ConnectionString.h"
#include "sqltext/SqlDialect.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace quillary {

class TADOQuery;

enum TEventStatus : int {
    esOK = 0,
    esErrorsOccured = 1,
    esCantDeny = 2,
    esCancel = 3,
    esUnsurpressed = 4,
};

enum TConnectOption : int { coConnectUnspecified = -1, coAsyncConnect = 16 };

enum class TProviderKind { SQLite, Odbc, PostgreSQL, MySql, Unknown };

inline constexpr char kConnectCancelledMessage[] = "用户取消了连接，没有连接数据源";

// Where a connection string comes from. The application (its code, the
// command line, the user's own choice in the data-link prompt) may use every
// form ODBC knows. A document (a template, a designer state text) may name
// ODBC drivers only by their registered names and may not point ODBC at
// files; the text of a data-link file is always held to that rule.
enum class TConnectionOrigin { Application, Document };

class TADOConnection {
public:
    // Called before every connection attempt with the connection string and,
    // by reference, the user ID and password taken from it, the connect
    // options and the status. Setting the status to esCancel makes the attempt
    // fail.
    using TWillConnectEvent = std::function<void(
        TADOConnection* connection, const QString& connectionString, QString& userID,
        QString& password, int& connectOptions, TEventStatus& eventStatus)>;

    TADOConnection();
    explicit TADOConnection(const QString& connectionString,
                            TConnectionOrigin origin = TConnectionOrigin::Application);
    ~TADOConnection();
    TADOConnection(const TADOConnection&) = delete;
    TADOConnection& operator=(const TADOConnection&) = delete;

    QString ConnectionString() const { return m_connectionString; }
    // An open connection is closed first.
    void SetConnectionString(const QString& connectionString,
                             TConnectionOrigin origin = TConnectionOrigin::Application);
    TConnectionOrigin Origin() const { return m_origin; }

    // How the data source writes names and reads quotes (by its provider and
    // driver); kept until the connection string changes.
    const TSqlDialect& Dialect() const;

    // The provider named in the connection string; "MSDASQL" (ODBC) when none is.
    QString Provider() const;
    TProviderKind ProviderKind() const;

    // A connection property as text: "Data Source", "User ID", "Password",
    // "Initial Catalog", "Provider", or any key of the string. A property that
    // cannot be read gives an empty text.
    QString PropertyValue(const QString& name) const;

    bool LoginPrompt() const { return m_loginPrompt; }
    // Kept for compatibility: the connection itself never shows a login
    // dialog; OnWillConnect is the place to ask for one.
    void SetLoginPrompt(bool value) { m_loginPrompt = value; }

    bool Connected() const { return m_connected; }
    // true connects (throwing EDatabaseError with the database's message on
    // failure); false closes.
    void SetConnected(bool value);
    void Open();
    void Close();

    TWillConnectEvent OnWillConnect;

    // Waits while a connection attempt runs on another thread: `finished`
    // tells whether it is over. Returns false when the user gave up waiting.
    using TConnectWait = std::function<bool(const std::function<bool()>& finished)>;
    // Set by a user interface: Open then first tries a database server (ODBC,
    // PostgreSQL, MySQL) with a probe connection of the same parameters on a worker
    // thread and waits for it through this function, so that its event loop
    // keeps running; a wait given up fails with kConnectCancelledMessage.
    // Unset, Open blocks until the server answers or the timeout expires.
    TConnectWait OnConnectWait;

    // Names of the tables and views, system tables included when asked, each
    // as statements write it (quoted where the name needs it). Connects
    // first when needed. Throws EDatabaseError on failure.
    void GetTableNames(QStringList& list, bool systemTables = false);

    // The Qt SQL connection name while connected (for queries of this layer).
    QString QtConnectionName() const { return m_qtName; }

private:
    friend class TADOQuery;
    void Attach(TADOQuery* query);
    void Detach(TADOQuery* query);
    // Read-only runs of this connection's queries: the first begins what the
    // database offers, the last ends it. A statement that may write ends
    // every read-only run first, and the other cursors read to their end.
    void BeginReadOnly();
    void EndReadOnly();
    void EndReadOnlyRuns();
    // Reads every open cursor of the connection to its end, before what
    // would cut its rows short (SQLite: query_only changing, a schema
    // changing).
    void ReadOpenCursors();
    // The connection string with a data-link file resolved, read once and
    // kept until the string changes or the next Open; throws when the file
    // cannot be read, the text is malformed or names what its origin may not.
    const TConnectionString& Effective() const;
    TConnectionString Resolve() const;

    QString m_connectionString;
    TConnectionOrigin m_origin = TConnectionOrigin::Application;
    mutable bool m_resolved = false;
    mutable TConnectionString m_effective;
    mutable std::optional<QString> m_resolveError;
    QString m_qtName;
    TProviderKind m_openKind = TProviderKind::Unknown;
    bool m_loginPrompt = true;
    bool m_connected = false;
    QList<TADOQuery*> m_queries;
    int m_readOnlyRuns = 0;
    mutable std::optional<TSqlDialect> m_dialect;
};

// The value of property `name` (e.g. "USER ID") of a connection string as
// GetProperty reads it; a data-link string is read from its file.
QString ConnectionProperty(const QString& connectionString, const QString& name);

} // namespace quillary
