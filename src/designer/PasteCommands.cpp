// The paste commands of the grid menu: a function name, a column of a table
// on the canvas, or a whole statement built in a nested designer, put in at
// the caret of the cell being edited.
#include "designer/ConnectionSession.h"
#include "designer/Frm_Quillary.h"
#include "designer/Paste.h"
#include "designer/QBArea.h"
#include "designer/QBTable.h"
#include "designer/QuillaryDialog.h"
#include "grid/PropertyInplaceEdit.h"
#include "grid/StringGridEx.h"
#include "platform/Clipboard.h"
#include "platform/UserInteraction.h"
#include "sqltext/Common.h"

#include <QCheckBox>

namespace quillary {

void TFrm_Quillary::PasteIntoCellEditor(const QString& text) {
    if (text.isEmpty()) return;
    TClipboard::SetAsText(text);
    if (TPropertyInplaceEdit* editor = ActiveCellEditor()) editor->paste();
}

void TFrm_Quillary::N_PasteFunClick() {
    if (!CheckConnected(m_session, QStringLiteral("源数据源尚未选定！"), QStringLiteral("提示！")))
        return;
    // A data source without a list of its own offers none unless its
    // functions are to be read from the database.
    TADOConnection* functionsFrom =
        m_dialog && m_dialog->IsDatabaseFunctions ? m_session->Connection() : nullptr;
    PasteIntoCellEditor(PasteFunction(GetDSN(), functionsFrom).trimmed());
}

void TFrm_Quillary::N_PasteColumnClick() {
    QStringList tables;
    for (const TQBTable* box : m_canvas->Tables())
        tables << (box->Alias.isEmpty()
                       ? box->TableName
                       : box->TableName + QLatin1Char('(') + box->Alias + QLatin1Char(')'));
    if (tables.isEmpty()) {
        Ui().MessageBox(QStringLiteral("源数据表尚未选定！"), QStringLiteral("提示！"));
        return;
    }
    // The condition page's own pick list: it keeps its blank first line.
    QStringList* columns = ConditionList->PropValues()->Items(0)->PickList();
    PasteIntoCellEditor(PasteColumn(*columns, tables));
}

void TFrm_Quillary::N_PasteSQLClick() {
    if (!CheckConnected(m_session, QStringLiteral("数据源尚未选择"), QStringLiteral("提示")))
        return;
    TQuillaryDialog nested;
    nested.SetConnection(m_session->Connection());
    PrepareNestedRun(nested, pos(), CheckBox2->isChecked(),
                     QStringLiteral("SQL语句生成器--粘贴SQL语句"), true);
    if (nested.Execute()) PasteIntoCellEditor(TrimExp(nested.SQL));
}

} // namespace quillary
