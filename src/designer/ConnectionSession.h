#pragma once
// TConnectionSession: the data source of one designer component — the
// connection it works on (the application's, or one it made itself), the
// connection string, connecting with the login and the wait for a server,
// and the switch to another source. TQuillaryDialog owns one; its designer
// form asks the session, not the dialog, about the connection.

#include "db/ADOConnection.h"

#include <QString>
#include <functional>
#include <memory>

namespace quillary {

class TConnectionSession {
public:
    TConnectionSession();
    ~TConnectionSession();
    TConnectionSession(const TConnectionSession&) = delete;
    TConnectionSession& operator=(const TConnectionSession&) = delete;

    // What a change of the source leaves behind as stale: the statement, or
    // the statement and the design's state text. The owner forgets them.
    enum class TStale { Statement, StatementAndState };
    std::function<void(TStale)> OnStale;

    // The application's connection (not owned), or null.
    TADOConnection* External() const { return m_external; }
    // The connection the session made itself, or null.
    TADOConnection* Own() const { return m_own.get(); }
    // The working connection: the application's when set, else the own one.
    TADOConnection* Connection() const { return m_external ? m_external : m_own.get(); }
    bool Connected() const;
    QString ConnectionString() const { return m_connectionString; }
    // The connection string in use: the application connection's, else
    // ConnectionString.
    QString CSN() const;

    // Another connection of the application replaces the string and the own
    // connection; the statement is stale.
    void SetExternal(TADOConnection* connection);
    // A string that differs beyond letter case replaces the old one and the
    // application's connection; statement and state are stale. `origin`
    // says who wrote it.
    void SetConnectionString(const QString& connectionString,
                             TConnectionOrigin origin = TConnectionOrigin::Application);
    // The previous own connection is closed and freed; null only frees.
    void SetOwn(std::unique_ptr<TADOConnection> connection);

    // Before a designer run: a connection to work on (an own one when the
    // application gave none), connected unless it is already. Without any
    // string and with `promptWhenEmpty`, the data-link prompt chooses one.
    // A failure leaves no own connection (and the message, see Connect).
    void Prepare(bool promptWhenEmpty);
    // A new open connection on `connectionString` for a switch; null (after
    // the message, unless the user gave up) when it fails.
    std::unique_ptr<TADOConnection> OpenNew(const QString& connectionString,
                                            TConnectionOrigin origin);
    // Makes `connection`, opened by OpenNew on `connectionString`, the own
    // working connection in place of everything before.
    void SwitchTo(std::unique_ptr<TADOConnection> connection, const QString& connectionString,
                  TConnectionOrigin origin);

    // Asks for the login of an attempt on `connectionString`: the user ID
    // offered is the string's; a cancel sets esCancel.
    void AskLogin(const QString& connectionString, QString& userID, QString& password,
                  TEventStatus& eventStatus);
    // AskLogin as a connection's before-connect handler. It may stay on a
    // connection that outlives the session: then it does nothing.
    TADOConnection::TWillConnectEvent LoginHandler();
    // A connection's wait for a server through the user-interaction service:
    // "正在连接数据源…" with 取消 once it takes half a second. Giving up sets
    // ConnectCancelled. Guarded like LoginHandler.
    TADOConnection::TConnectWait ConnectWaitHandler();
    // Whether `connectionString` (or the data-link file it names) says
    // "Persist Security Info=true" (any case).
    static bool PersistsSecurityInfo(const QString& connectionString);

    // The last connection attempt: whether the login dialog was shown (a
    // failure before it, a refused or malformed string, is reported with
    // its reason), cancelled, or the user gave up waiting for the server.
    bool LoginAsked = false;
    bool LoginCancelled = false;
    bool ConnectCancelled = false;

private:
    // Connects `connection`: silently first when its string keeps the login
    // (then through the login after a failure only with
    // `loginAfterSilentFailure`), else through the login. False (after the
    // message, unless the login was cancelled or the wait given up) when it
    // fails.
    bool Connect(TADOConnection* connection, bool loginAfterSilentFailure);

    QString m_connectionString;
    TConnectionOrigin m_origin = TConnectionOrigin::Application;
    TADOConnection* m_external = nullptr;
    std::unique_ptr<TADOConnection> m_own;
    // The handlers' guard: they hold it weakly and do nothing once it is gone.
    std::shared_ptr<TConnectionSession*> m_self;
};

inline constexpr char kConnectFailedMessage[] = "连接数据源失败!\r\n";

// Whether `session` (null: none) has an open connection to work on; else
// says why and gives false. Without any connection the message is
// `noSource` with `noSourceCaption`, as each command words it.
bool CheckConnected(const TConnectionSession* session, const QString& noSource,
                    const QString& noSourceCaption);

} // namespace quillary
