#include "designer/QuillaryDialog.h"
#include "db/DataLinkPrompt.h"
#include "db/DatabaseError.h"
#include "db/Dialect.h"
#include "designer/Frm_Quillary.h"
#include "designer/LoginParm.h"
#include "platform/UserInteraction.h"
#include "sqltext/Common.h"

#include "db/ADOQuery.h"

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QTabWidget>
#include <QToolBar>

namespace quillary {

TQuillaryDialog::TQuillaryDialog(QObject* owner) : QObject(owner) {}

TQuillaryDialog::~TQuillaryDialog() {
    delete m_form;
    SetOwnConnection(nullptr);
}

void TQuillaryDialog::SetOwnConnection(std::unique_ptr<TADOConnection> connection) {
    if (m_ownConnection) m_ownConnection->Close();
    m_ownConnection = std::move(connection);
}

TFrm_Quillary* TQuillaryDialog::Form() const {
    return m_form;
}

bool TQuillaryDialog::GetConnected() const {
    TADOConnection* connection = GetConn();
    return connection && connection->Connected();
}

QString TQuillaryDialog::GetCSN() const {
    return m_connection ? m_connection->ConnectionString() : m_connectionString;
}

void TQuillaryDialog::SetConnection(TADOConnection* connection) {
    if (connection == m_connection) return;
    m_connection = connection;
    SQL.clear();
    m_connectionString.clear();
    m_connectionOrigin = TConnectionOrigin::Application;
    SetOwnConnection(nullptr);
}

void TQuillaryDialog::SetConnectionString(const QString& connectionString,
                                          TConnectionOrigin origin) {
    // The same text, in any letter case, changes nothing.
    if (connectionString.toLower() == m_connectionString.toLower()) return;
    m_connectionString = connectionString;
    m_connectionOrigin = origin;
    SQL.clear();
    SQLSet.clear();
    if (m_ownConnection) {
        m_ownConnection->Close();
        m_ownConnection->SetConnectionString(connectionString, origin);
    }
    // The external component is no longer used.
    m_connection = nullptr;
}

const QStringList& TQuillaryDialog::GetSQLS() {
    m_sqls.clear();
    if (!SQL.isEmpty()) {
        // Lines as a text editor sees them: CR LF, LF or CR end a line.
        QString text = SQL;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
            .replace(QLatin1Char('\r'), QLatin1Char('\n'));
        if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
        m_sqls = text.split(QLatin1Char('\n'));
    }
    return m_sqls;
}

void TQuillaryDialog::FSetSQL(const QStringList& list) {
    SQLSet = list;
}

void TQuillaryDialog::ADOConnectionWillConnect(TADOConnection*, const QString& connectionString,
                                               QString& userID, QString& password, int&,
                                               TEventStatus& eventStatus) {
    LoginCancelled = false;
    LoginAsked = true;
    QString user = GetProperty(connectionString, QStringLiteral("USER ID"));
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

TADOConnection::TWillConnectEvent TQuillaryDialog::LoginHandler() {
    return [self = QPointer<TQuillaryDialog>(this)](TADOConnection* c, const QString& cs,
                                                    QString& user, QString& pw, int& options,
                                                    TEventStatus& status) {
        if (self) self->ADOConnectionWillConnect(c, cs, user, pw, options, status);
    };
}

TADOConnection::TConnectWait TQuillaryDialog::ConnectWaitHandler() {
    return [self = QPointer<TQuillaryDialog>(this)](const std::function<bool()>& finished) {
        const bool waited = Ui().WaitWithProgress(QStringLiteral("正在连接数据源…"), finished);
        if (!waited && self) self->ConnectCancelled = true;
        return waited;
    };
}

bool TQuillaryDialog::PersistsSecurityInfo(const QString& connectionString) {
    return GetProperty(connectionString, QStringLiteral("PERSIST SECURITY INFO")).toLower() ==
           QLatin1String("true");
}

bool TQuillaryDialog::Connect() {
    TADOConnection* connection = GetConn();
    LoginCancelled = false;
    LoginAsked = false;
    ConnectCancelled = false;
    const auto withLogin = LoginHandler();
    // The window stays responsive while a server is tried; the connection
    // (perhaps the application's) keeps its own wait afterwards.
    struct TWaitScope {
        TADOConnection* Connection;
        TADOConnection::TConnectWait Previous;
        ~TWaitScope() { Connection->OnConnectWait = Previous; }
    } waitScope{connection, connection->OnConnectWait};
    connection->OnConnectWait = ConnectWaitHandler();
    try {
        if (PersistsSecurityInfo(GetCSN())) {
            // Try silently with the stored login first; ask only when that fails.
            try {
                connection->OnWillConnect = nullptr;
                connection->SetConnected(true);
                return true;
            } catch (const EDatabaseError&) {
                if (ConnectCancelled) throw;
                connection->OnWillConnect = withLogin;
                connection->SetConnected(true);
            }
        } else {
            connection->OnWillConnect = withLogin;
            connection->SetConnected(true);
        }
        return true;
    } catch (const EDatabaseError& e) {
        if (!LoginCancelled && !ConnectCancelled)
            Ui().MessageBox(QString::fromUtf8(kConnectFailedMessage) +
                                (LoginAsked ? QString() : e.Message()),
                            QStringLiteral("提示"), TMsgButtons::Ok);
        return false;
    }
}

bool TQuillaryDialog::Execute() {
    SavedSQL = SQL;
    if (m_form) return false; // already running

    // The form is freed on every path out of here.
    struct TFormGuard {
        QPointer<TFrm_Quillary>& form;
        ~TFormGuard() {
            delete form.data();
            form = nullptr;
        }
    } guard{m_form};

    m_form = new TFrm_Quillary(this);
    TFrm_Quillary& form = *m_form;
    form.SetDSN(dsNone);

    if (Form_Width == 0) Form_Width = kDefaultFormWidth;
    if (Form_Height == 0) Form_Height = kDefaultFormHeight;
    form.move(Form_Left, Form_Top);
    form.resize(Form_Width, Form_Height);

    if (!GetConn()) SetOwnConnection(std::make_unique<TADOConnection>());

    if (!GetConnected()) {
        GetConn()->SetLoginPrompt(false);
        if (GetCSN().isEmpty() && !IsAllowChangeCSN) {
            const QString chosen = PromptDataSource(nullptr, QString());
            // The owned connection keeps the chosen string, and so does the
            // component, so that the prompt has an effect.
            if (m_connection)
                m_connection->SetConnectionString(chosen);
            else
                m_connectionString = chosen;
        }
        if (m_ownConnection)
            m_ownConnection->SetConnectionString(m_connectionString, m_connectionOrigin);
        if (!GetCSN().isEmpty() && !Connect()) SetOwnConnection(nullptr);
    }

    if (GetConnected()) form.SetDSN(GetDataSourceType(GetConn()));
    if (form.GetDSN() == dsExcel) SystemTable = true;
    form.ResQuery->SetConnection(GetConn());
    if (GetConnected()) form.GetTablesList(SystemTable);
    if (form.GetDSN() == dsExcel) form.QuoteTableList();
    form.CheckBox2->setChecked(SystemTable);
    form.ToolBar1->setVisible(IsAllowChangeCSN);
    form.setWindowTitle(Caption.isEmpty() ? QString::fromUtf8(kDefaultDesignerCaption) : Caption);
    form.SetUnionMenuVisible(IsAllowUnion);
    if (GetConnected()) form.RestoreDesign();
    form.PageControl1->setTabVisible(TFrm_Quillary::pgOrder, IsAllowOrderBy);

    const int result = Ui().ShowModal(&form);
    const bool confirmed = result == mrOk;
    if (confirmed) SQL = form.GetSQL();
    Form_Left = form.x();
    Form_Top = form.y();
    Form_Width = form.width();
    Form_Height = form.height();
    SystemTable = form.CheckBox2->isChecked();
    if (confirmed) SQLSet = form.GetSQLSet();
    return confirmed;
}

} // namespace quillary
