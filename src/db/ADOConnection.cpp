#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/ConnectionString.h"
#include "db/DatabaseError.h"
#include "db/Providers.h"
#include "platform/DataLinkFile.h"

#include <atomic>

namespace quillary {

namespace {

QString NextQtConnectionName() {
    static std::atomic<quint64> counter{0};
    return QStringLiteral("quillary-connection-%1").arg(++counter);
}

bool IsDataLinkString(const QString& text) {
    return text.trimmed().startsWith(QLatin1String("File Name="), Qt::CaseInsensitive);
}

} // namespace

TADOConnection::TADOConnection() = default;

TADOConnection::TADOConnection(const QString& connectionString)
    : m_connectionString(connectionString) {}

TADOConnection::~TADOConnection() {
    Close();
    const QList<TADOQuery*> queries = m_queries;
    for (TADOQuery* query : queries)
        query->ConnectionGone();
}

void TADOConnection::SetConnectionString(const QString& connectionString) {
    if (m_connected) Close();
    m_connectionString = connectionString;
}

TConnectionString TADOConnection::Effective() const {
    if (!IsDataLinkString(m_connectionString)) return TConnectionString::Parse(m_connectionString);
    const TConnectionString outer = TConnectionString::Parse(m_connectionString);
    const QString file = outer.Value("File Name");
    const QString stored = ReadDataLinkFile(file);
    if (stored.isEmpty())
        throw EDatabaseError(
            QStringLiteral("Cannot read a connection string from the data-link file %1").arg(file));
    return TConnectionString::Parse(stored);
}

QString TADOConnection::Provider() const {
    TConnectionString cs;
    try {
        cs = Effective();
    } catch (const EDatabaseError&) {
        // Unreadable text: report what a plain look-up finds.
        const qsizetype at =
            m_connectionString.indexOf(QLatin1String("Provider="), 0, Qt::CaseInsensitive);
        if (at < 0) return QStringLiteral("MSDASQL");
        const qsizetype start = at + qsizetype(qstrlen("Provider="));
        const qsizetype end = m_connectionString.indexOf(QLatin1Char(';'), start);
        return m_connectionString.mid(start, end < 0 ? -1 : end - start).trimmed();
    }
    const QString provider = cs.Value("Provider");
    return provider.isEmpty() ? QStringLiteral("MSDASQL") : provider;
}

TProviderKind TADOConnection::ProviderKind() const {
    return provider::KindOf(Provider());
}

QString TADOConnection::PropertyValue(const QString& name) const {
    TConnectionString cs;
    try {
        cs = Effective();
    } catch (const EDatabaseError&) {
        return {};
    }
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
    const TConnectionString cs = Effective();
    const QString providerName = Provider();
    const TProviderKind kind = provider::KindOf(providerName);

    QString userID = cs.Value({"User ID", "UID", "User"});
    QString password = cs.Value({"Password", "PWD"});
    int options = coConnectUnspecified;
    TEventStatus status = esOK;
    if (OnWillConnect) OnWillConnect(this, m_connectionString, userID, password, options, status);
    if (status == esCancel)
        throw EDatabaseError(QStringLiteral("Connection cancelled by the user"));

    const QString qtName = NextQtConnectionName();
    provider::Open(kind, providerName, cs, userID, password, qtName);
    m_qtName = qtName;
    m_openKind = kind;
    m_connected = true;
}

void TADOConnection::Close() {
    // Datasets go first: their cursors belong to this connection.
    const QList<TADOQuery*> queries = m_queries;
    for (TADOQuery* query : queries)
        query->Close();
    if (!m_qtName.isEmpty()) provider::Close(m_qtName);
    m_qtName.clear();
    m_connected = false;
}

void TADOConnection::GetTableNames(QStringList& list, bool systemTables) {
    Open();
    list = provider::TableNames(m_openKind, m_qtName, systemTables);
}

void TADOConnection::Attach(TADOQuery* query) {
    if (!m_queries.contains(query)) m_queries.append(query);
}

void TADOConnection::Detach(TADOQuery* query) {
    m_queries.removeAll(query);
}

} // namespace quillary
