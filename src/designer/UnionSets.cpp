// Union sets: further statements, each designed in a nested designer and
// listed on the union panel, whose grid joins them to the main statement.
#include "designer/ConnectionSession.h"
#include "designer/Frm_Quillary.h"
#include "designer/QuillaryDialog.h"
#include "grid/StringGridEx.h"
#include "platform/Exception.h"
#include "platform/UserInteraction.h"
#include "query/DesignTexts.h"

#include <QCheckBox>

namespace quillary {

void TFrm_Quillary::btn_NewClick() {
    if (!CheckConnected(m_session, QStringLiteral("源数据源尚未选择！"), QStringLiteral("提示！")))
        return;
    TQuillaryDialog* set = NewUnionSet();
    PrepareNestedRun(*set, pos(), CheckBox2->isChecked(),
                     QStringLiteral("SQL语句生成器--新建联合子句"), false);
    Pan_Union->hide();
    ReleaseCursor();
    bool confirmed = false;
    try {
        confirmed = set->Execute();
    } catch (const Exception& e) {
        // What the application does with an error nobody caught: show it.
        ReleaseCursor();
        delete set;
        Ui().MessageBox(e.Message(), windowTitle(), TMsgButtons::Ok, TMsgIcon::Error);
        return;
    }
    if (!confirmed) {
        delete set;
        return;
    }
    // The part before joins the new one with "union"; the new last row has none.
    const int last = UnionGrid->RowCount() - 1;
    UnionGrid->SetCells(3, last, QStringLiteral("union"));
    UnionGrid->SetRowCount(last + 2);
    const int row = last + 1;
    UnionGrid->SetCells(0, row, QString());
    UnionGrid->SetCells(1, row, UnionRowName(UnionGrid->RowCount() - 2));
    UnionGrid->SetCells(2, row, QString());
    UnionGrid->SetCells(3, row, QString());
}

void TFrm_Quillary::btn_OpenClick() {
    const int row = UnionGrid->Row();
    const QList<TQuillaryDialog*> sets = UnionSets();
    if (row < 2 || row - 2 >= sets.size()) return; // row 1 is the main statement
    TQuillaryDialog* set = sets[row - 2];
    PrepareNestedRun(*set, pos(), CheckBox2->isChecked(),
                     QStringLiteral("SQL语句生成器--打开联合子句"), false);
    Pan_Union->hide();
    ReleaseCursor();
    set->Execute();
}

void TFrm_Quillary::btn_DeleteClick() {
    const int row = UnionGrid->Row();
    const QList<TQuillaryDialog*> sets = UnionSets();
    if (row < 2 || row - 2 >= sets.size()) return;
    delete sets[row - 2];
    UnionGrid->SetEditorMode(false);
    UnionGrid->DeleteRow(row);
    UnionGrid->SetCells(3, UnionGrid->RowCount() - 1, QString());
}

} // namespace quillary
