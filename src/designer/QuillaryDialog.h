#pragma once
// TQuillaryDialog: the component that opens the visual SQL query designer over
// a database connection and hands back the SELECT statement the user designed,
// together with the designer state text from which the design is restored in
// the next run.

#include "db/ADOConnection.h"
#include "designer/ConnectionSession.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>

namespace quillary {

class TFrm_Quillary;

class TQuillaryDialog : public QObject {
    Q_OBJECT
public:
    explicit TQuillaryDialog(QObject* owner = nullptr);
    ~TQuillaryDialog() override;

    // Runs the designer modally; true when the user confirmed with "确定".
    virtual bool Execute();

    // The external connection (not owned), or null.
    TADOConnection* GetConnection() const { return m_session->External(); }
    // The working connection: the external one when set, else the own one.
    TADOConnection* GetConn() const { return m_session->Connection(); }
    bool GetConnected() const { return m_session->Connected(); }
    // The connection string in use: the external connection's, else ConnectionString.
    QString GetCSN() const { return m_session->CSN(); }

    // A different component replaces the connection and clears SQL,
    // ConnectionString and the own connection; SQLSet stays.
    void SetConnection(TADOConnection* connection) { m_session->SetExternal(connection); }
    QString ConnectionString() const { return m_session->ConnectionString(); }
    // A string that differs beyond letter case replaces the old one and clears
    // SQL, SQLSet and the external connection. `origin` says who wrote it: the
    // own connection holds a document's string to the rules for documents.
    void SetConnectionString(const QString& connectionString,
                             TConnectionOrigin origin = TConnectionOrigin::Application) {
        m_session->SetConnectionString(connectionString, origin);
    }

    // The connection, the login and the switch of the data source.
    TConnectionSession& Session() const { return *m_session; }

    // SQL split into lines (a scratch list owned by the component).
    const QStringList& GetSQLS();
    // Copies `list` into SQLSet.
    void FSetSQL(const QStringList& list);

    // Before-connect handler: asks for the login.
    void ADOConnectionWillConnect(TADOConnection* connection, const QString& connectionString,
                                  QString& userID, QString& password, int& connectOptions,
                                  TEventStatus& eventStatus);

    // ADOConnectionWillConnect as a connection's before-connect handler. It
    // may stay on a connection that outlives this component, and does
    // nothing once the component is gone.
    TADOConnection::TWillConnectEvent LoginHandler() { return m_session->LoginHandler(); }
    // Whether `connectionString` says "Persist Security Info=true" (any case).
    static bool PersistsSecurityInfo(const QString& connectionString) {
        return TConnectionSession::PersistsSecurityInfo(connectionString);
    }
    // A connection's wait for a server through the user-interaction service:
    // "正在连接数据源…" with 取消 once it takes half a second. Giving up sets
    // ConnectCancelled. Guarded like LoginHandler.
    TADOConnection::TConnectWait ConnectWaitHandler() { return m_session->ConnectWaitHandler(); }

    // The open designer form, null while Execute is not running.
    TFrm_Quillary* Form() const;

    // Published fields.
    bool IsCreateView = false;
    bool IsAllowUnion = false;
    bool IsAllowOrderBy = true;
    bool IsAllowChangeCSN = false;
    QString SQL;
    QStringList SQLSet;
    int Form_Left = 51;
    int Form_Top = 56;
    int Form_Width = 716;
    int Form_Height = 532;
    bool SystemTable = false;
    QString Version = QStringLiteral("2.0");
    QString Caption;
    // Placing a table links it along the foreign keys between its table and
    // the tables already on the canvas (off: links come from the user and the
    // rebuild only; the quillary program turns it on).
    bool IsAutoLink = false;
    // The execute page asks before a statement that removes or changes data
    // wholesale (DROP, TRUNCATE, ALTER, DELETE or UPDATE without WHERE).
    bool IsConfirmChanges = true;
    // Boxes are laid out along their links after every placement, rebuild
    // and state text read (as the 自动排列 command does).
    bool IsAutoArrange = false;
    // Typing in the search box hides the tables whose names do not hold the
    // text; Esc clears it.
    bool IsFilterTables = false;
    // The function list of the paste dialog, for a data source without a
    // list of its own (SQLite, PostgreSQL, MySQL), is read from the database.
    bool IsDatabaseFunctions = false;
    // The canvas menu and the tool bar also offer the designer's own
    // commands: joins from foreign keys, 自动排列, 适合窗口, 实际大小, 撤销
    // and 重做 (their keys work either way).
    bool IsDesignCommands = false;

    // The connection the component made itself, or null.
    TADOConnection* OwnConnection() const { return m_session->Own(); }
    // Makes `connection` the component's own connection; the previous one is
    // closed and freed. Null only frees.
    void SetOwnConnection(std::unique_ptr<TADOConnection> connection) {
        m_session->SetOwn(std::move(connection));
    }

    // Run-time state.
    QString SavedSQL;

private:
    // Declared before the flags below, which are its own.
    std::unique_ptr<TConnectionSession> m_session;

public:
    // The session's account of the last connection attempt: whether the
    // login was cancelled; whether the login dialog was shown (a failure
    // before it, a refused or malformed string, is reported with its
    // reason); whether the user gave up waiting; like a cancelled login, no
    // failure message follows.
    bool& LoginCancelled;
    bool& LoginAsked;
    bool& ConnectCancelled;

    // Stream defaults of the published properties (the constructor's
    // geometry differs on purpose, so that the geometry is always stored).
    static constexpr int kDefaultFormLeft = 50;
    static constexpr int kDefaultFormTop = 50;
    static constexpr int kDefaultFormWidth = 700;
    static constexpr int kDefaultFormHeight = 500;

private:
    QStringList m_sqls;
    QPointer<TFrm_Quillary> m_form;
};

inline constexpr char kDefaultDesignerCaption[] = "SQL语句生成器";

// Sets `nested` up for a run from a designer window at `windowPos`: a
// little below and right of it, showing system tables as that window does.
void PrepareNestedRun(TQuillaryDialog& nested, const QPoint& windowPos, bool systemTables,
                      const QString& caption, bool allowUnion);

} // namespace quillary
