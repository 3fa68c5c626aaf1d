// The statement of the design, as the rest of the designer sees it. Until the
// SELECT is generated from the canvas and the pages, the statement is the
// text of the SQL page, and the state text is the one the run started with.
#include "designer/Frm_Quillary.h"
#include "designer/QuillaryDialog.h"
#include "sqltext/Common.h"

#include <QPlainTextEdit>

namespace quillary {

QString TFrm_Quillary::GetSQL() {
    return Memo1->toPlainText();
}

QStringList TFrm_Quillary::GetSQLSet() {
    return m_dialog->SQLSet;
}

void TFrm_Quillary::Forge(const QString& text) {
    Memo1->setPlainText(text);
}

void TFrm_Quillary::RestoreDesign() {
    if (!m_dialog->SQLSet.isEmpty() || !TrimSQLElement(m_dialog->SQL).isEmpty()) {
        Forge(m_dialog->SQL);
        m_dialog->SavedSQL = Memo1->toPlainText();
    }
}

} // namespace quillary
