#include "designer/QuillaryDialog.h"
#include "db/Dialect.h"
#include "designer/Frm_Quillary.h"
#include "platform/UserInteraction.h"

#include "db/ADOQuery.h"

#include <QCheckBox>
#include <QTabWidget>
#include <QToolBar>

namespace quillary {

TQuillaryDialog::TQuillaryDialog(QObject* owner)
    : QObject(owner), m_session(std::make_unique<TConnectionSession>()),
      LoginCancelled(m_session->LoginCancelled), LoginAsked(m_session->LoginAsked),
      ConnectCancelled(m_session->ConnectCancelled) {
    m_session->OnStale = [this](TConnectionSession::TStale stale) {
        SQL.clear();
        if (stale == TConnectionSession::TStale::StatementAndState) SQLSet.clear();
    };
}

TQuillaryDialog::~TQuillaryDialog() {
    delete m_form;
    m_session->OnStale = nullptr;
}

TFrm_Quillary* TQuillaryDialog::Form() const {
    return m_form;
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
    m_session->AskLogin(connectionString, userID, password, eventStatus);
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

    m_session->Prepare(!IsAllowChangeCSN);

    if (GetConnected()) form.SetDSN(GetDataSourceType(GetConn()));
    form.ResQuery->SetConnection(GetConn());
    if (GetConnected())
        form.ShowTableList(SystemTable);
    else
        form.CheckBox2->setChecked(SystemTable);
    form.ToolBar1->setVisible(IsAllowChangeCSN);
    form.setWindowTitle(Caption.isEmpty() ? QString::fromUtf8(kDefaultDesignerCaption) : Caption);
    form.SetUnionMenuVisible(IsAllowUnion);
    if (GetConnected()) form.RestoreDesign();
    form.PageControl1->setTabVisible(TFrm_Quillary::pgOrder, IsAllowOrderBy);

    form.Opening();
    const int result = Ui().ShowModal(&form);
    const bool confirmed = result == mrOk;
    if (confirmed) SQLSet = form.GetSQLSet(SQL);
    Form_Left = form.x();
    Form_Top = form.y();
    Form_Width = form.width();
    Form_Height = form.height();
    SystemTable = form.CheckBox2->isChecked();
    return confirmed;
}

void PrepareNestedRun(TQuillaryDialog& nested, const QPoint& windowPos, bool systemTables,
                      const QString& caption, bool allowUnion) {
    nested.Form_Left = windowPos.x() + 10;
    nested.Form_Top = windowPos.y() + 10;
    nested.SystemTable = systemTables;
    nested.Caption = caption;
    nested.IsAllowUnion = allowUnion;
}

} // namespace quillary
