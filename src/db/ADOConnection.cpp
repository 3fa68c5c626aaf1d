#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/ConnectProbe.h"
#include "db/ConnectionString.h"
#include "db/DatabaseError.h"
#include "db/Dialect.h"
#include "db/Providers.h"
#include "platform/DataLinkFile.h"
#include "sqltext/Common.h"
#include "sqltext/ConnectionText.h"

#include <atomic>

namespace quillary {

namespace {

QString NextQtConnectionName() {
    static std::atomic<quint64> counter{0};
    return QStringLiteral("quillary-connection-%1").arg(++counter);
}

} // namespace

TADOConnection::TADOConnection() = default;

TADOConnection::TADOConnection(const QString& connectionString, TConnectionOrigin origin)
    : m_connectionString(connectionString), m_origin(origin) {}

TADOConnection::~TADOConnection() {
    Close();
    const QList<TADOQuery*> queries = m_queries;
    for (TADOQuery* query : queries)
        query->ConnectionGone();
}

void TADOConnection::SetConnectionString(const QString& connectionString,
                                         TConnectionOrigin origin) {
    if (m_connected) Close();
    m_connectionString = connectionString;
    m_origin = origin;
    m_resolved = false;
    m_dialect.reset();
}

const TConnectionString& TADOConnection::Effective() const {
    if (!m_resolved) {
        m_effective = TConnectionString();
        m_resolveError.reset();
        try {
            m_effective = Resolve();
        } catch (const EDatabaseError& e) {
            m_resolveError = e.Message();
        }
        m_resolved = true;
    }
    if (m_resolveError) throw EDatabaseError(*m_resolveError);
    return m_effective;
}

TConnectionString TADOConnection::Resolve() const {
    if (!IsDataLinkString(m_connectionString)) {
        TConnectionString cs = TConnectionString::Parse(m_connectionString);
        if (m_origin == TConnectionOrigin::Document) provider::CheckDocumentString(cs);
        return cs;
    }
    const TConnectionString outer = TConnectionString::Parse(m_connectionString);
    const QString file = outer.Value("File Name");
    QString error;
    const QString stored = ReadDataLinkFile(file, &error);
    if (stored.isEmpty()) throw EDatabaseError(error);
    // A data-link file leads to a data source, not to another file (or to
    // itself).
    if (IsDataLinkString(stored))
        throw EDatabaseError(
            QStringLiteral("数据链接文件“%1”中的连接字符串又指向一个数据链接文件：%2")
                .arg(file, TConnectionString::Masked(stored.trimmed())));
    try {
        // Whoever hands us the file's name, its text is a document.
        TConnectionString cs = TConnectionString::Parse(stored);
        provider::CheckDocumentString(cs);
        return cs;
    } catch (const EDatabaseError& e) {
        throw EDatabaseError(QStringLiteral("数据链接文件“%1”中的%2").arg(file, e.Message()));
    }
}

QString TADOConnection::Provider() const {
    const TConnectionString* cs = nullptr;
    try {
        cs = &Effective();
    } catch (const EDatabaseError&) {
        // Unreadable text: what is read before the fault may still name it.
        const QString provider = ExtractProperty(m_connectionString, QStringLiteral("Provider"));
        return provider.isEmpty() ? QStringLiteral("MSDASQL") : provider;
    }
    const QString provider = cs->Value("Provider");
    return provider.isEmpty() ? QStringLiteral("MSDASQL") : provider;
}

TProviderKind TADOConnection::ProviderKind() const {
    return provider::KindOf(Provider());
}

QString TADOConnection::PropertyValue(const QString& name) const {
    const TConnectionString* parsed = nullptr;
    try {
        parsed = &Effective();
    } catch (const EDatabaseError&) {
        return {};
    }
    const TConnectionString& cs = *parsed;
    const QString key = name.trimmed();
    if (key.compare(QLatin1String("Provider"), Qt::CaseInsensitive) == 0) return Provider();
    if (key.compare(QLatin1String("Data Source"), Qt::CaseInsensitive) == 0) {
        // For ODBC the data source is the DSN, however it is spelled.
        if (ProviderKind() == TProviderKind::Odbc) return cs.Value({"Data Source", "DSN"});
        return cs.Value({"Data Source", "Server", "Host"});
    }
    if (key.compare(QLatin1String("User ID"), Qt::CaseInsensitive) == 0)
        return cs.Value({"User ID", "UID", "User"});
    if (key.compare(QLatin1String("Password"), Qt::CaseInsensitive) == 0)
        return cs.Value({"Password", "PWD"});
    if (key.compare(QLatin1String("Initial Catalog"), Qt::CaseInsensitive) == 0)
        return cs.Value({"Initial Catalog", "Database"});
    return cs.Value(key);
}

void TADOConnection::SetConnected(bool value) {
    if (value)
        Open();
    else
        Close();
}

void TADOConnection::Open() {
    if (m_connected) return;
    // A data-link file is read again for every connection, and once only.
    if (IsDataLinkString(m_connectionString)) m_resolved = false;
    const TConnectionString cs = Effective();
    if (cs.IsEmpty())
        throw EDatabaseError(QStringLiteral("连接字符串是空的：没有指明要连接的数据源"));
    const QString providerName = Provider();
    const TProviderKind kind = provider::KindOf(providerName);

    QString userID = cs.Value({"User ID", "UID", "User"});
    QString password = cs.Value({"Password", "PWD"});
    int options = coConnectUnspecified;
    TEventStatus status = esOK;
    if (OnWillConnect) OnWillConnect(this, m_connectionString, userID, password, options, status);
    if (status == esCancel) throw EDatabaseError(QStringLiteral("用户取消了登录，没有连接数据源"));

    if (OnConnectWait && (kind == TProviderKind::Odbc || kind == TProviderKind::PostgreSQL ||
                          kind == TProviderKind::MySql)) {
        // A server that does not answer keeps the probe waiting, not the caller.
        const provider::TConnectProbe probe(kind, providerName, cs, userID, password);
        if (!OnConnectWait([&probe] { return probe.Finished(); }))
            throw EDatabaseError(QString::fromUtf8(kConnectCancelledMessage));
        if (!probe.Error().isEmpty()) throw EDatabaseError(probe.Error());
    }
    const QString qtName = NextQtConnectionName();
    provider::Open(kind, providerName, cs, userID, password, qtName);
    m_qtName = qtName;
    m_openKind = kind;
    m_connected = true;
    // What a server's statements may hold can depend on its version, which
    // is known now.
    if (kind != TProviderKind::SQLite) m_dialect.reset();
}

void TADOConnection::Close() {
    // Datasets go first: their cursors belong to this connection.
    const QList<TADOQuery*> queries = m_queries;
    for (TADOQuery* query : queries)
        query->Close();
    if (!m_qtName.isEmpty()) provider::Close(m_qtName);
    m_qtName.clear();
    m_readOnlyRuns = 0;
    m_connected = false;
}

const TSqlDialect& TADOConnection::Dialect() const {
    if (!m_dialect) m_dialect = dialect::DialectOf(const_cast<TADOConnection*>(this));
    return *m_dialect;
}

void TADOConnection::GetTableNames(QStringList& list, bool systemTables) {
    Open();
    const TSqlDialect& dialect = Dialect();
    list.clear();
    // MySQL's information schema lists the tables of every database, by
    // its own driver or by ODBC.
    const TProviderKind catalogue = dialect.Catalogue() == TSqlCatalogue::InformationSchema
                                        ? TProviderKind::MySql
                                        : m_openKind;
    for (const QStringList& parts : provider::TableNames(catalogue, m_qtName, systemTables))
        list << dialect.QualifiedName(parts);
}

void TADOConnection::BeginReadOnly() {
    if (provider::ReadOnlyLasts(m_openKind) && m_readOnlyRuns++ > 0) return;
    ReadOpenCursors();
    provider::BeginReadOnly(m_openKind, m_qtName);
}

void TADOConnection::EndReadOnly() {
    if (provider::ReadOnlyLasts(m_openKind) && (m_readOnlyRuns == 0 || --m_readOnlyRuns > 0))
        return;
    ReadOpenCursors();
    provider::EndReadOnly(m_openKind, m_qtName);
}

void TADOConnection::ReadOpenCursors() {
    // SQLite expires the statements running when query_only changes: their
    // rows are read to the end first.
    if (m_openKind != TProviderKind::SQLite) return;
    for (TADOQuery* query : std::as_const(m_queries))
        while (query->FetchRow()) {
        }
}

void TADOConnection::EndReadOnlyRuns() {
    const QList<TADOQuery*> queries = m_queries;
    for (TADOQuery* query : queries)
        if (query->m_holdsReadOnly) query->Close();
    ReadOpenCursors(); // what writes may change the schema
}

void TADOConnection::Attach(TADOQuery* query) {
    if (!m_queries.contains(query)) m_queries.append(query);
}

void TADOConnection::Detach(TADOQuery* query) {
    m_queries.removeAll(query);
}

QString ConnectionProperty(const QString& connectionString, const QString& name) {
    return GetProperty(connectionString, name,
                       [](const QString& path) { return ReadDataLinkFile(path); });
}

} // namespace quillary
