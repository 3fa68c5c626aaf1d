// The designer form's side of the canvas: its table list, placement point,
// side panels and the lists of column designations on the order, group and
// condition pages.
#include "designer/CanvasHost.h"
#include "designer/Frm_Quillary.h"
#include "grid/CellValueProps.h"
#include "grid/StringGridEx.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolButton>

namespace quillary {

namespace {

QString Marker() {
    return QString::fromUtf8(kDescendingMarker);
}

// The first item whose text equals `text` ignoring case, as the sort lists
// are searched; -1 when none.
int IndexOf(const QListWidget* list, const QString& text) {
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text().compare(text, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

void RenamePrefix(QListWidget* list, const QString& from, const QString& to, int at = 0) {
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem* item = list->item(i);
        const QString text = item->text();
        if (text.mid(at).startsWith(from))
            item->setText(text.left(at) + to + text.mid(at + from.size()));
    }
}

} // namespace

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

void TFormCanvasHost::AddColumnCandidate(const QString& designation) {
    m_form->AddColumnCandidate(designation);
}

void TFormCanvasHost::RemoveColumnCandidates(const QString& prefix) {
    m_form->RemoveColumnCandidates(prefix);
}

void TFormCanvasHost::RenameColumnPrefix(const QString& oldName, const QString& newName) {
    const QString from = oldName + QLatin1Char('.');
    const QString to = newName + QLatin1Char('.');
    RenamePrefix(m_form->OrderList, from, to);
    RenamePrefix(m_form->GroupList, from, to);
    RenamePrefix(m_form->GroupColumn, from, to);
    RenamePrefix(m_form->OrderColumn, from, to, int(Marker().size()));
    for (TStringGridEx* grid : {m_form->ConditionList, m_form->ConditionListGroup})
        for (QString& entry : *grid->PropValues()->Items(0)->PickList())
            if (entry.startsWith(from)) entry = to + entry.mid(from.size());
}

void TFormCanvasHost::SortCandidateTicked(const QString& designation, bool ticked) {
    QListWidget* candidates = m_form->OrderList;
    QListWidget* chosen = m_form->OrderColumn;
    const QString descending = Marker() + designation;
    if (ticked) {
        if (IndexOf(candidates, designation) < 0 && IndexOf(chosen, descending) < 0)
            candidates->addItem(designation);
        return;
    }
    if (const int i = IndexOf(candidates, designation); i >= 0) delete candidates->takeItem(i);
    if (const int i = IndexOf(chosen, descending); i >= 0) delete chosen->takeItem(i);
}

void TFormCanvasHost::ColumnTickChanged() {
    if (m_form->PageControl1->currentIndex() != TFrm_Quillary::pgSQL) return;
    m_form->Memo1->setPlainText(m_form->GetSQL());
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
