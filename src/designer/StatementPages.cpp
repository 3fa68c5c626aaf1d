// Commands on whole statements: the result page, the execute page, the SQL
// memo's menu (clipboard, INSERT and UPDATE skeletons) and new views.
#include "db/ADOQuery.h"
#include "db/DatabaseError.h"
#include "db/QueryModel.h"
#include "designer/ConnectionSession.h"
#include "designer/Frm_Quillary.h"
#include "designer/QuillaryDialog.h"
#include "designer/SqlHighlighter.h"
#include "platform/Clipboard.h"
#include "platform/UserInteraction.h"
#include "query/Skeletons.h"
#include "sqltext/Common.h"
#include "sqltext/SqlStatements.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QTableView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolButton>
#include <QToolTip>

namespace quillary {

namespace {

// How many rows `statement` gives, asked of the database without reading
// them; -1 when it cannot tell (the statement is no query it can wrap, or
// the database refused).
int CountRows(TADOConnection* connection, QString statement) {
    // A trailing separator or line comment must not swallow the bracket.
    statement = statement.trimmed();
    while (statement.endsWith(QLatin1Char(';')))
        statement = statement.chopped(1).trimmed();
    // Only a single query can be wrapped; anything else is not counted.
    if (!connection || statement.isEmpty() ||
        !SingleSelectFault(statement, connection->Dialect().Readings()).isEmpty())
        return -1;
    TADOQuery count;
    count.SetConnection(connection);
    count.SetReadOnly(true);
    count.SQL() = QStringList{QStringLiteral("select count(*) from (\n") + statement +
                              QStringLiteral("\n) quillary_rows")};
    try {
        count.Open();
        bool ok = false;
        const qlonglong n = count.Fields(0).Value().toLongLong(&ok);
        return ok && n >= 0 && n <= std::numeric_limits<int>::max() ? int(n) : -1;
    } catch (const EDatabaseError&) {
        return -1;
    }
}

} // namespace

// --- page 7 -------------------------------------------------------------------------

void TFrm_Quillary::TS_QueryEnter() {
    if (m_keepResult) { // the rows of a statement run on page 8
        m_keepResult = false;
        return;
    }
    Memo2->hide();
    Panel3->setFixedHeight(25);
    DBGrid1->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    const QString sql = GetSQL();
    if (sql.isEmpty()) {
        Panel3Text->clear();
        return;
    }
    ResQuery->Close();
    // Counted first: some databases end a pending cursor when another
    // statement runs on the connection.
    const int count = CountRows(ResQuery->Connection(), sql);
    ResQuery->SQL() = QStringList{sql};
    try {
        ResQuery->Open();
    } catch (const EDatabaseError& e) {
        // The error takes the page.
        Panel3->setFixedHeight(TS_Query->height());
        Panel3Text->clear();
        Panel3Fetched->clear();
        Memo2->setPlainText(e.Message());
        Memo2->show();
        return;
    }
    ShowResultCount(count);
}

void TFrm_Quillary::ShowResultCount(int count) {
    m_countFetched = count < 0;
    if (ResQuery->IsEmpty())
        Panel3Text->setText(QStringLiteral("未查到任何记录"));
    else if (!m_countFetched)
        Panel3Text->setText(QStringLiteral("共") + QString::number(count) +
                            QStringLiteral("条记录"));
    UpdateFetchedRows();
}

void TFrm_Quillary::UpdateFetchedRows() {
    if (!ResQuery->Active()) {
        Panel3Fetched->clear();
        return;
    }
    const int fetched = DataSource1->rowCount();
    Panel3Fetched->setText(QStringLiteral("已读取") + QString::number(fetched) +
                           QStringLiteral("条"));
    // Without a count the rows read so far are all we know.
    if (m_countFetched && fetched > 0)
        Panel3Text->setText(QStringLiteral("共") + QString::number(fetched) +
                            QStringLiteral("条记录"));
}

// --- page 8 -------------------------------------------------------------------------

void TFrm_Quillary::ExecuteStatement() {
    // Comments end at a carriage return; the editor's lines end in LF only.
    QString text = MExcuteSQL->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    if (TrimExp(text).trimmed().isEmpty()) return;
    const QString statement = MExcuteSQL->toPlainText();
    // Statements that sweep data away run only when the user says so, each
    // asked before anything runs.
    if (m_dialog->IsConfirmChanges)
        for (const TSweepingStatement& s : SweepingStatements(statement, Dialect().Readings()))
            if (Ui().MessageBox(SweepingQuestion(s), QStringLiteral("提示"),
                                TMsgButtons::YesNoDefaultNo, TMsgIcon::Warning) != mrYes)
                return;
    ResQuery->Close();
    // A statement the database can count is a query; counting runs nothing else.
    const int count = CountRows(ResQuery->Connection(), statement);
    ResQuery->SQL() = QStringList{statement};
    int affected = 0;
    bool rows = false;
    try {
        rows = ResQuery->Run(affected);
    } catch (const EDatabaseError& e) {
        Ui().MessageBox(e.Message(), windowTitle(), TMsgButtons::Ok, TMsgIcon::Error);
        return;
    }
    if (!rows) {
        // Said beside the button: a message box would stop every statement run.
        QToolTip::showText(Sp_Select->mapToGlobal(QPoint(0, Sp_Select->height())),
                           QStringLiteral("语句已执行，影响了") + QString::number(affected) +
                               QStringLiteral("条记录"),
                           Sp_Select);
        return;
    }
    Memo2->hide();
    Panel3->setFixedHeight(25);
    m_keepResult = PageControl1->currentIndex() != pgQuery;
    PageControl1->setCurrentIndex(pgQuery);
    m_keepResult = false;
    ShowResultCount(count);
}

// --- the SQL memo's menu --------------------------------------------------------------

void TFrm_Quillary::N_CopySQLClick() {
    if (!Memo1->toPlainText().trimmed().isEmpty()) TClipboard::SetAsText(Memo1->toPlainText());
}

void TFrm_Quillary::N_Copy2Click() {
    Memo1->copy();
}

void TFrm_Quillary::N_Cut2Click() {
    Memo1->cut();
}

void TFrm_Quillary::N_Paste2Click() {
    Memo1->paste();
}

void TFrm_Quillary::N5Click() {
    Memo1->selectAll();
}

void TFrm_Quillary::PopupMenu2Change() {
    // "应用所作修改" is offered exactly while the apply button is.
    const bool apply = !Sp_ApplySQL->isHidden();
    N_ApplySQL->setVisible(apply);
    N_ApplySQLLine->setVisible(apply);
}

namespace {

void ShowSkeleton(TFrm_Quillary& form, const TSkeletonResult& skeleton) {
    if (skeleton.Refused()) {
        Ui().MessageBox(skeleton.Message, QString::fromUtf8(kSkeletonCaption));
        return;
    }
    TSqlHighlighter::SetText(form.Memo1, skeleton.Text);
    form.Sp_ApplySQL->hide();
}

} // namespace

void TFrm_Quillary::MenuItem2Click() {
    ShowSkeleton(*this, InsertSkeleton(ReadDesign()));
}

void TFrm_Quillary::MenuItem3Click() {
    ShowSkeleton(*this, UpdateSkeleton(ReadDesign(), GetDSN()));
}

// --- views ----------------------------------------------------------------------------------

void TFrm_Quillary::TB_CreateViewClick() {
    TQuillaryDialog nested;
    nested.SetConnection(m_session->Connection());
    nested.IsAllowChangeCSN = false;
    nested.IsAllowUnion = true;
    nested.IsCreateView = true;
    nested.Caption = QStringLiteral("SQL语句生成器，创建新视图");
    nested.SystemTable = CheckBox2->isChecked();
    if (!nested.Execute()) return;
    // The new view joins the table list.
    CheckBox2Click();
}

} // namespace quillary
