#include "designer/ConnectionSession.h"
#include "db/DataLinkPrompt.h"
#include "db/DatabaseError.h"
#include "designer/LoginParm.h"
#include "platform/UserInteraction.h"

namespace quillary {

TConnectionSession::TConnectionSession() : m_self(std::make_shared<TConnectionSession*>(this)) {}

TConnectionSession::~TConnectionSession() {
    SetOwn(nullptr);
}

bool TConnectionSession::Connected() const {
    TADOConnection* connection = Connection();
    return connection && connection->Connected();
}

QString TConnectionSession::CSN() const {
    return m_external ? m_external->ConnectionString() : m_connectionString;
}

void TConnectionSession::SetExternal(TADOConnection* connection) {
    if (connection == m_external) return;
    m_external = connection;
    m_connectionString.clear();
    m_origin = TConnectionOrigin::Application;
    if (OnStale) OnStale(TStale::Statement);
    SetOwn(nullptr);
}

void TConnectionSession::SetConnectionString(const QString& connectionString,
                                             TConnectionOrigin origin) {
    // The same text, in any letter case, changes nothing.
    if (connectionString.toLower() == m_connectionString.toLower()) return;
    m_connectionString = connectionString;
    m_origin = origin;
    if (OnStale) OnStale(TStale::StatementAndState);
    if (m_own) {
        m_own->Close();
        m_own->SetConnectionString(connectionString, origin);
    }
    // The application's connection is no longer used.
    m_external = nullptr;
}

void TConnectionSession::SetOwn(std::unique_ptr<TADOConnection> connection) {
    if (m_own) m_own->Close();
    m_own = std::move(connection);
}

void TConnectionSession::Prepare(bool promptWhenEmpty) {
    if (!Connection()) SetOwn(std::make_unique<TADOConnection>());
    if (Connected()) return;
    Connection()->SetLoginPrompt(false);
    if (CSN().isEmpty() && promptWhenEmpty) {
        const QString chosen = PromptDataSource(nullptr, QString());
        // The connection keeps the chosen string, and so does the session,
        // so that the prompt has an effect.
        if (m_external)
            m_external->SetConnectionString(chosen);
        else
            m_connectionString = chosen;
    }
    if (m_own) m_own->SetConnectionString(m_connectionString, m_origin);
    if (!CSN().isEmpty() && !Connect(Connection(), true)) SetOwn(nullptr);
}

std::unique_ptr<TADOConnection> TConnectionSession::OpenNew(const QString& connectionString,
                                                            TConnectionOrigin origin) {
    auto connection = std::make_unique<TADOConnection>();
    connection->SetLoginPrompt(false);
    connection->SetConnectionString(connectionString, origin);
    // It keeps waiting through the session when a query opens it again.
    connection->OnConnectWait = ConnectWaitHandler();
    if (!Connect(connection.get(), false)) return nullptr;
    return connection;
}

void TConnectionSession::SwitchTo(std::unique_ptr<TADOConnection> connection,
                                  const QString& connectionString, TConnectionOrigin origin) {
    SetOwn(nullptr);
    SetExternal(nullptr);
    SetConnectionString(connectionString, origin);
    SetOwn(std::move(connection));
}

void TConnectionSession::AskLogin(const QString& connectionString, QString& userID,
                                  QString& password, TEventStatus& eventStatus) {
    LoginCancelled = false;
    LoginAsked = true;
    QString user = ConnectionProperty(connectionString, QStringLiteral("USER ID"));
    QString typedPassword;
    if (GetLoginParm(user, typedPassword, connectionString)) {
        eventStatus = esCancel;
        LoginCancelled = true;
        return;
    }
    userID = user;
    password = typedPassword;
    eventStatus = esOK;
}

TADOConnection::TWillConnectEvent TConnectionSession::LoginHandler() {
    return [self = std::weak_ptr<TConnectionSession*>(m_self)](
               TADOConnection*, const QString& connectionString, QString& userID, QString& password,
               int&, TEventStatus& eventStatus) {
        if (const auto session = self.lock())
            (*session)->AskLogin(connectionString, userID, password, eventStatus);
    };
}

TADOConnection::TConnectWait TConnectionSession::ConnectWaitHandler() {
    return
        [self = std::weak_ptr<TConnectionSession*>(m_self)](const std::function<bool()>& finished) {
            const bool waited = Ui().WaitWithProgress(QStringLiteral("正在连接数据源…"), finished);
            if (const auto session = self.lock(); !waited && session)
                (*session)->ConnectCancelled = true;
            return waited;
        };
}

bool TConnectionSession::PersistsSecurityInfo(const QString& connectionString) {
    return ConnectionProperty(connectionString, QStringLiteral("PERSIST SECURITY INFO"))
               .compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

bool TConnectionSession::Connect(TADOConnection* connection, bool loginAfterSilentFailure) {
    LoginAsked = false;
    LoginCancelled = false;
    ConnectCancelled = false;
    // The window stays responsive while a server is tried; the connection
    // (perhaps the application's) keeps its own wait afterwards.
    struct TWaitScope {
        TADOConnection* Connection;
        TADOConnection::TConnectWait Previous;
        ~TWaitScope() { Connection->OnConnectWait = Previous; }
    } waitScope{connection, connection->OnConnectWait};
    connection->OnConnectWait = ConnectWaitHandler();
    // A stored login is tried silently first.
    const bool silent = PersistsSecurityInfo(connection->ConnectionString());
    try {
        connection->OnWillConnect = silent ? nullptr : LoginHandler();
        try {
            connection->SetConnected(true);
        } catch (const EDatabaseError&) {
            if (!silent || !loginAfterSilentFailure || ConnectCancelled) throw;
            connection->OnWillConnect = LoginHandler();
            connection->SetConnected(true);
        }
        return true;
    } catch (const EDatabaseError& e) {
        // Without a login asked for, the reason shows: the string failed
        // before anybody could be asked.
        if (!LoginCancelled && !ConnectCancelled)
            Ui().MessageBox(QString::fromUtf8(kConnectFailedMessage) +
                                (LoginAsked ? QString() : e.Message()),
                            QStringLiteral("提示"), TMsgButtons::Ok);
        return false;
    }
}

bool CheckConnected(const TConnectionSession* session, const QString& noSource,
                    const QString& noSourceCaption) {
    if (!session || !session->Connection()) {
        Ui().MessageBox(noSource, noSourceCaption);
        return false;
    }
    if (!session->Connected()) {
        Ui().MessageBox(QStringLiteral("数据源尚未连接成功"), QStringLiteral("提示"));
        return false;
    }
    return true;
}

} // namespace quillary
