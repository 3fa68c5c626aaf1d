// The designer form's side of the canvas: its table list, placement point,
// side panels and the lists of column designations on the order, group and
// condition pages.
#include "designer/CanvasHost.h"
#include "designer/Frm_Quillary.h"
#include "designer/SqlHighlighter.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolButton>

namespace quillary {

int TFormCanvasHost::GetDSN() {
    return m_form->GetDSN();
}

TSqlDialect TFormCanvasHost::Dialect() {
    return m_form->Dialect();
}

TQuillaryDialog* TFormCanvasHost::Dialog() const {
    return m_form->Dialog();
}

bool TFormCanvasHost::SystemTablesShown() const {
    return m_form->CheckBox2->isChecked();
}

QString TFormCanvasHost::SelectedTable() const {
    const QListWidgetItem* item = m_form->QBTables->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

bool TFormCanvasHost::IsTableList(const QObject* source) const {
    return source && source == m_form->QBTables;
}

QPoint TFormCanvasHost::NextTablePos() const {
    return m_form->NextTablePos();
}

void TFormCanvasHost::PlaceNextAfter(const QRect& box) {
    m_form->PlaceNextAfter(box);
}

void TFormCanvasHost::EditColumnLists(const std::function<void(QueryDesign&)>& edit) {
    m_form->EditColumnLists(edit);
}

void TFormCanvasHost::ColumnTickChanged() {
    if (m_form->PageControl1->currentIndex() != TFrm_Quillary::pgSQL) return;
    TSqlHighlighter::SetText(m_form->Memo1, m_form->GetSQL());
    m_form->Sp_ApplySQL->hide();
}

void TFormCanvasHost::OpenToolBox() {
    m_form->tb_ToolBox->setChecked(true);
    m_form->tb_ToolBoxClick();
}

void TFormCanvasHost::OpenTableList() {
    m_form->Tb_Tablist->setChecked(true);
    m_form->Tb_TablistClick();
}

void TFormCanvasHost::OpenUnionPanel() {
    m_form->ShowUnionPanel();
}

} // namespace quillary
