// The designer's files: SQL scripts saved and opened, and interface
// templates (the state text of a design with the connection it was made on).
#include "db/ADOConnection.h"
#include "db/ConnectionString.h"
#include "designer/ConnectionSession.h"
#include "designer/Frm_Quillary.h"
#include "designer/QuillaryDialog.h"
#include "designer/SqlHighlighter.h"
#include "platform/TextFile.h"
#include "platform/UserInteraction.h"
#include "query/StateText.h"

#include <QFileInfo>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QToolButton>

namespace quillary {

namespace {

const QString kScriptFilter =
    QStringLiteral("SQL脚本(*.SQL)|*.SQL|文本文件(*.txt)|*.txt|所有文件(*.*)|*.*");
const QString kTemplateSaveFilter = QStringLiteral("界面模板(*.tmb)|*.tmb");
const QString kTemplateOpenFilter = QStringLiteral("界面模版(*.tmb)|*.tmb");

// A name typed without extension gets the dialog's default one.
QString WithDefaultSuffix(const QString& path, const char* suffix) {
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty()) return path;
    return path + QLatin1Char('.') + QLatin1String(suffix);
}

// The text of a file, or nothing after a message that names the file.
bool ReadFile(const QString& path, QString& text) {
    QString error;
    if (ReadTextFile(path, text, &error)) return true;
    Ui().MessageBox(QStringLiteral("无法读取文件“") + path + QStringLiteral("”：") + error,
                    QStringLiteral("提示！"));
    return false;
}

// Lines as a text file holds them: a line break at the end ends the last line.
QStringList Lines(const QString& text) {
    QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

// Bytes no text file holds: NUL and the other control characters but tab,
// line ends and form feed, or what no encoding we read could decode.
bool LooksBinary(const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r' && u != u'\f') ||
            c == QChar::ReplacementCharacter)
            return true;
    }
    return false;
}

QString FileText(const QStringList& lines) {
    return lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace

bool TFrm_Quillary::SaveScript(const QString& path) {
    const QString text = Memo1->toPlainText();
    if (!WriteTextFile(path, FileText(Lines(text)))) return false;
    m_fileName = path;
    m_dialog->SavedSQL = text;
    setWindowTitle(m_dialog->Caption + QStringLiteral("--") + path);
    return true;
}

void TFrm_Quillary::TB_SAVEClick() {
    TSqlHighlighter::SetText(Memo1, GetSQL());
    Sp_ApplySQL->hide();
    const bool blank = Memo1->toPlainText().trimmed().isEmpty();
    const auto askTarget = [&] {
        if (blank) return QString();
        return WithDefaultSuffix(
            Ui().SaveFileName(this, TB_SAVE->toolTip(), kScriptFilter, QString()), "SQL");
    };
    const QString target = m_fileName.isEmpty() ? askTarget() : m_fileName;
    if (target.isEmpty() || SaveScript(target)) return;
    if (Ui().MessageBox(QStringLiteral("可能因为文件只读，不能保存!另存为...？"),
                        QStringLiteral("提示！"), TMsgButtons::YesNo, TMsgIcon::Question) != mrYes)
        return;
    const QString other = askTarget();
    if (!other.isEmpty() && !SaveScript(other))
        Ui().MessageBox(QStringLiteral("可能因为文件只读，还是不能保存!"),
                        QStringLiteral("提示！"));
}

void TFrm_Quillary::TB_SAVEModelClick() {
    TADOConnection* connection = m_session->Connection();
    // The password goes along only where the string says it may be kept, and
    // then nobody else may read the file.
    const QString stored = TConnectionString::ForStorage(connection ? connection->ConnectionString()
                                                                    : m_session->CSN());
    const QStringList lines = TemplateLines(GetSQLSet(), stored);
    const QString path = WithDefaultSuffix(
        Ui().SaveFileName(this, TB_SAVEModel->toolTip(), kTemplateSaveFilter, QString()), "tmb");
    if (path.isEmpty()) return;
    QString error;
    if (!WriteTextFile(path, FileText(lines), &error,
                       TConnectionString::HoldsPassword(stored) ? TFileAccess::OwnerOnly
                                                                : TFileAccess::Shared))
        Ui().MessageBox(QStringLiteral("无法保存文件“") + path + QStringLiteral("”：") + error,
                        QStringLiteral("提示！"));
}

void TFrm_Quillary::TB_OPENClick() {
    const QString path =
        Ui().OpenFileName(this, TB_OPEN->toolTip(), kTemplateOpenFilter, QString());
    QString text;
    if (path.isEmpty() || !ReadFile(path, text)) return;
    // A file that is not a template, or one whose connection line is
    // damaged, is reported and changes nothing.
    if (LooksBinary(text)) {
        Ui().MessageBox(QStringLiteral("文件“%1”不是界面模板：它是二进制文件").arg(path),
                        QStringLiteral("提示！"));
        return;
    }
    const QStringList lines = Lines(text);
    QString connectionString;
    bool malformed = false;
    const bool named = TemplateConnection(lines, connectionString, &malformed);
    if (malformed) {
        Ui().MessageBox(QStringLiteral("界面模板“%1”有误：[CONNECTION] 的下一行应以“CSN=”开头，"
                                       "写明连接字符串")
                            .arg(path),
                        QStringLiteral("提示！"));
        return;
    }
    m_dialog->SQLSet = lines;
    // A template that names no connection, or one that cannot be opened,
    // stays in the state text without being shown.
    if (!named || ChangeCSN(connectionString, TConnectionOrigin::Document) < 0) return;
    m_dialog->SQLSet = lines; // a switch of connection emptied it
    SetSQLSet();
}

void TFrm_Quillary::Tb_QuillaryClick() {
    if (!m_session->Connected()) {
        Ui().MessageBox(QStringLiteral("请先连接数据源"), QString());
        return;
    }
    if (!GoOnDespiteRewrittenSql(QStringLiteral("SQL语句已经被改写,是否还是要打开新的文件？")))
        return;
    const QString path = Ui().OpenFileName(this, Tb_Quillary->toolTip(), kScriptFilter, QString());
    if (!path.isEmpty()) OpenSqlFile(path);
}

bool TFrm_Quillary::OpenSqlFile(const QString& path) {
    QString text;
    if (!ReadFile(path, text)) return false;
    Forge(text);
    m_fileName = path;
    m_dialog->SavedSQL = Memo1->toPlainText();
    setWindowTitle(m_dialog->Caption + QStringLiteral("--") + path);
    return true;
}

} // namespace quillary
