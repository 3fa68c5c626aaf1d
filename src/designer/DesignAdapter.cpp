// The design as a value and back: the form reads a QueryDesign from its
// canvas and pages, hands it to the functions that write the statement, the
// state text and the rebuild, and applies the designs they give back. The
// operations of the form with those names are the adapters: they show the
// messages and switch the pages.
#include "db/ADOQuery.h"
#include "db/DatabaseError.h"
#include "db/QueryModel.h"
#include "designer/BoxColumns.h"
#include "designer/Frm_Quillary.h"
#include "designer/QBArea.h"
#include "designer/QBLink.h"
#include "designer/QBTable.h"
#include "designer/QuillaryDialog.h"
#include "designer/SqlHighlighter.h"
#include "grid/PropertyInplaceEdit.h"
#include "grid/StringGridEx.h"
#include "platform/UserInteraction.h"
#include "query/ColumnPages.h"
#include "query/Generation.h"
#include "query/JoinClause.h"
#include "query/Links.h"
#include "query/Rebuild.h"
#include "query/StateText.h"
#include "sqltext/Common.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolButton>

#include <optional>

namespace quillary {

namespace {

QStringList Texts(const QListWidget* list) {
    QStringList texts;
    texts.reserve(list->count());
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

QList<TCheckedItem> CheckedItems(const QListWidget* list) {
    QList<TCheckedItem> items;
    items.reserve(list->count());
    for (int i = 0; i < list->count(); ++i)
        items.append({list->item(i)->text(), list->item(i)->checkState() == Qt::Checked});
    return items;
}

// The list shows `texts`: items are changed in place, so that a small change
// to a long list stays small and the current row stays where it was.
void SetTexts(QListWidget* list, const QStringList& texts) {
    const int n = int(texts.size());
    while (list->count() > n)
        delete list->takeItem(list->count() - 1);
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text() != texts[i]) list->item(i)->setText(texts[i]);
    if (list->count() < n) list->addItems(texts.mid(list->count()));
}

void SetCheckedItems(QListWidget* list, const QList<TCheckedItem>& items) {
    QStringList texts;
    texts.reserve(items.size());
    for (const TCheckedItem& i : items)
        texts << i.Text;
    SetTexts(list, texts);
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem* item = list->item(i);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        const Qt::CheckState state = items[i].Checked ? Qt::Checked : Qt::Unchecked;
        if (item->data(Qt::CheckStateRole).isNull() || item->checkState() != state)
            item->setCheckState(state);
    }
}

// Data rows (from row 1) with `columns` cells each.
QList<QStringList> GridRows(const TStringGridEx* grid, int columns) {
    QList<QStringList> rows;
    for (int row = 1; row < grid->RowCount(); ++row) {
        QStringList cells;
        for (int col = 0; col < columns; ++col)
            cells << grid->GetCells(col, row);
        rows.append(cells);
    }
    return rows;
}

void SetGridRows(TStringGridEx* grid, const QList<QStringList>& rows, int columns) {
    grid->SetEditorMode(false);
    grid->SetRowCount(std::max(1, int(rows.size()) + 1));
    if (!rows.isEmpty()) grid->SetFixedTitleRow(true);
    for (int row = 1; row < grid->RowCount(); ++row)
        for (int col = 0; col < columns; ++col)
            grid->SetCells(col, row, rows[row - 1].value(col));
}

} // namespace

// --- the design as a value ------------------------------------------------------

QList<TQuillaryDialog*> TFrm_Quillary::UnionSets() const {
    return findChildren<TQuillaryDialog*>(Qt::FindDirectChildrenOnly);
}

void TFrm_Quillary::ReadColumnLists(QueryDesign& design) const {
    design.OrderList = Texts(OrderList);
    design.OrderColumn = CheckedItems(OrderColumn);
    design.GroupList = Texts(GroupList);
    design.GroupColumn = Texts(GroupColumn);
    design.ConditionPickList = *ConditionList->PropValues()->Items(0)->PickList();
}

void TFrm_Quillary::ApplyColumnLists(const QueryDesign& design) {
    SetTexts(OrderList, design.OrderList);
    SetCheckedItems(OrderColumn, design.OrderColumn);
    SetTexts(GroupList, design.GroupList);
    SetTexts(GroupColumn, design.GroupColumn);
    for (TStringGridEx* grid : {ConditionList, ConditionListGroup})
        *grid->PropValues()->Items(0)->PickList() = design.ConditionPickList;
}

void TFrm_Quillary::EditColumnLists(const std::function<void(QueryDesign&)>& edit) {
    QueryDesign lists;
    ReadColumnLists(lists);
    // The group condition page keeps a pick list of its own, which the
    // paste dialog can leave different: then it is edited on its own.
    QStringList* groupPicks = ConditionListGroup->PropValues()->Items(0)->PickList();
    std::optional<QueryDesign> group;
    if (*groupPicks != lists.ConditionPickList) {
        group = lists;
        group->ConditionPickList = *groupPicks;
    }
    edit(lists);
    ApplyColumnLists(lists);
    if (group) {
        edit(*group);
        *groupPicks = group->ConditionPickList;
    }
}

QueryDesign TFrm_Quillary::ReadDesign() const {
    QueryDesign design;
    m_canvas->ReadDesign(design);
    ReadColumnLists(design);
    design.ConditionRows = GridRows(ConditionList, 4);
    design.HavingRows = GridRows(ConditionListGroup, 4);
    design.ComputeRows = GridRows(ComputeColumnList, 2);
    design.DisplayRows = GridRows(DisplayList, 4);
    design.Distinct = CheckBox1->isChecked();
    design.RowLimit = m_rowLimit;
    design.RowOffset = m_rowOffset;
    design.UnionRows = GridRows(UnionGrid, 4);
    for (const TQuillaryDialog* set : UnionSets())
        design.UnionSets.append({set->SQL, set->SQLSet});
    return design;
}

void TFrm_Quillary::ApplyDesign(const QueryDesign& design) {
    for (TQBTable* box : m_canvas->Tables())
        box->_CloseBtn();
    for (TQuillaryDialog* set : UnionSets())
        delete set;
    m_canvas->ApplyDesign(design);
    ApplyPages(design);
    for (const TUnionSet& set : design.UnionSets) {
        auto* component = NewUnionSet();
        component->SQL = set.SQL;
        component->SQLSet = set.SQLSet;
    }
}

void TFrm_Quillary::ApplyPages(const QueryDesign& design) {
    ApplyColumnLists(design);
    SetGridRows(ConditionList, design.ConditionRows, 4);
    SetGridRows(ConditionListGroup, design.HavingRows, 4);
    SetGridRows(ComputeColumnList, design.ComputeRows, 2);
    SetGridRows(DisplayList, design.DisplayRows, 4);
    {
        const QSignalBlocker quiet(CheckBox1); // no statement is written meanwhile
        CheckBox1->setChecked(design.Distinct);
    }
    m_rowLimit = design.RowLimit;
    m_rowOffset = design.RowOffset;
    if (!design.UnionRows.isEmpty()) SetGridRows(UnionGrid, design.UnionRows, 4);
}

TQuillaryDialog* TFrm_Quillary::NewUnionSet() {
    auto* set = new TQuillaryDialog(this);
    set->SetConnection(m_session->Connection());
    set->IsAllowChangeCSN = false;
    set->IsAllowUnion = false;
    set->IsAllowOrderBy = false;
    return set;
}

TDesignHooks TFrm_Quillary::Hooks() {
    TDesignHooks hooks;
    hooks.Message = [](const QString& text, const QString& caption) {
        Ui().MessageBox(text, caption);
    };
    hooks.Confirm = [](const QString& question) {
        return Ui().MessageBox(question, QStringLiteral("提示"), TMsgButtons::YesNo,
                               TMsgIcon::Question) == mrYes;
    };
    hooks.LoadBox = [this](TDesignBox& box) { return LoadBox(box); };
    for (int i = 0; i < QBTables->count(); ++i)
        hooks.Tables << QBTables->item(i)->text();
    hooks.TestRun = [this](const QString& statement) {
        ResQuery->Close();
        ResQuery->SQL() = QStringList{statement};
        try {
            ResQuery->Open();
            // The first rows the result page shows; a result that ends
            // among them lets the database drop the statement at once.
            ResQuery->FetchMore(TADOQueryModel::kBatchSize);
            return true;
        } catch (const EDatabaseError& e) {
            Ui().MessageBox(e.Message(), QString());
            return false;
        }
    };
    return hooks;
}

bool TFrm_Quillary::LoadBox(TDesignBox& box) {
    if (!ReadBoxColumns(m_session->Connection(), GetDSN(), box)) return false;
    const QSize size = TQBTable::SizeFor(box);
    box.Width = size.width();
    box.Height = size.height();
    return true;
}

// --- the statement ------------------------------------------------------------------

int IsValidExpression(int row, const TStringGridEx* grid) {
    return quillary::IsValidExpression(GridRows(grid, 4), row);
}

QString GetExpression(int row, const TStringGridEx* grid) {
    return quillary::GetExpression(GridRows(grid, 4), row);
}

QString TFrm_Quillary::GetJoinClause() {
    return quillary::GetJoinClause(ReadDesign());
}

QStringList TFrm_Quillary::GetCheckedItems(bool bare) {
    return quillary::GetCheckedItems(ReadDesign(), bare);
}

bool TFrm_Quillary::IsMatch() {
    return quillary::IsMatch(ReadDesign());
}

int TFrm_Quillary::IsValidDisplayCol() {
    return quillary::IsValidDisplayCol(ReadDesign(), GetDSN());
}

int TFrm_Quillary::IsLinkList(const QStringList& elements, int kind, int joinType) {
    // The design finds the columns; the canvas draws the link by its rules.
    QueryDesign design = ReadDesign();
    const qsizetype before = design.Links.size();
    const int type = quillary::IsLinkList(design, elements, kind, joinType, {});
    if (type < 0 || design.Links.size() == before) return type;
    const TDesignLink& found = design.Links.last();
    const QList<TQBTable*>& boxes = m_canvas->Tables();
    TQBLink* link =
        m_canvas->InsertLink(boxes[found.Table1], boxes[found.Table2], found.Row1, found.Row2);
    if (!link) return -1;
    link->JoinType = type;
    m_canvas->ReboundLink(link);
    return type;
}

QString TFrm_Quillary::GetSQL() {
    QueryDesign design = ReadDesign();
    return StatementOf(design);
}

QString TFrm_Quillary::StatementOf(QueryDesign& design) {
    // The display list takes up the ticks and computed columns it no longer
    // shows before the statement is written from it.
    if (!quillary::IsMatch(design)) {
        quillary::TS_DisplayEnter(design);
        SetGridRows(DisplayList, design.DisplayRows, 4);
    }
    const TSqlResult result = quillary::GetSQL(design, GetDSN(), Hooks().Confirm);
    if (result.Refused()) {
        Ui().MessageBox(result.Message, result.Caption);
        // Only an alias fault sends the user to the display list; a link
        // fault is told where the user stands.
        if (result.Page >= 0) {
            PageControl1->setCurrentIndex(result.Page);
            DisplayList->setFocus();
        }
        return {};
    }
    return result.SQL;
}

void TFrm_Quillary::TS_SQLEnter() {
    TSqlHighlighter::SetText(Memo1, GetSQL());
    Sp_ApplySQL->hide();
}

void TFrm_Quillary::CheckBox1Click() {
    TS_SQLEnter();
}

void TFrm_Quillary::TS_DisplayEnter() {
    QueryDesign design = ReadDesign();
    if (quillary::IsMatch(design)) return;
    quillary::TS_DisplayEnter(design);
    SetGridRows(DisplayList, design.DisplayRows, 4);
}

void TFrm_Quillary::TS_OrderEnter() {
    QueryDesign design = ReadDesign();
    quillary::TS_OrderEnter(design);
    SetTexts(OrderList, design.OrderList);
    SetCheckedItems(OrderColumn, design.OrderColumn);
}

// --- the state text ---------------------------------------------------------------------

QStringList TFrm_Quillary::GetSQLSet() {
    QString sql;
    return GetSQLSet(sql);
}

QStringList TFrm_Quillary::GetSQLSet(QString& sql) {
    QueryDesign design = ReadDesign();
    sql = StatementOf(design);
    return quillary::GetSQLSet(design, sql, GetDSN());
}

void TFrm_Quillary::SetSQLSet() {
    if (m_dialog->SQLSet.isEmpty()) return;
    QueryDesign design = ReadDesign();
    quillary::SetSQLSet(design, m_dialog->SQLSet, GetDSN(), Hooks());
    ApplyDesign(design);
    AutoArrange();
    TSqlHighlighter::SetText(Memo1, GetSQL());
}

// --- the rebuild ----------------------------------------------------------------------

bool TFrm_Quillary::Forge(const QString& text) {
    {
        const TForgeResult result = quillary::Forge(text, GetDSN(), ReadDesign(), Hooks());
        if (!result.Ok) return false;
        if (!result.Rebuilt) return true;
        // The test run's rows stay on the result page through the reset:
        // they are not read a second time.
        ClearDesign();
        ApplyDesign(result.Design);
    } // the rebuilt design and its statement go before the page's statement is written
    AutoArrange();
    TSqlHighlighter::SetText(Memo1, GetSQL());
    return true;
}

void TFrm_Quillary::RestoreDesign() {
    if (!m_dialog->SQLSet.isEmpty()) {
        SetSQLSet();
        m_dialog->SavedSQL = Memo1->toPlainText();
    } else if (!TrimSQLElement(m_dialog->SQL).isEmpty()) {
        Forge(m_dialog->SQL);
        m_dialog->SavedSQL = Memo1->toPlainText();
    }
}

void TFrm_Quillary::Sp_ApplySQLClick() {
    if (!m_session->Connected()) return;
    const int revision = Memo1->document()->revision();
    if (!Forge(Memo1->toPlainText())) return;
    // A rebuilt design has put its statement into the memo already.
    if (Memo1->document()->revision() == revision) TSqlHighlighter::SetText(Memo1, GetSQL());
    Sp_ApplySQL->hide();
}

void TFrm_Quillary::Memo1Change() {
    Sp_ApplySQL->show();
}

void TFrm_Quillary::ReForgeClick() {
    int sqlStart = 0, sqlEnd = 0;
    if (!SubSelectAtCaret(sqlStart, sqlEnd)) return;
    TPropertyInplaceEdit* editor = ActiveCellEditor();
    const QString text = editor->text();
    TQuillaryDialog nested;
    nested.IsAllowChangeCSN = false;
    nested.IsAllowUnion = true;
    nested.SetConnection(m_session->Connection());
    nested.SQL = text.mid(sqlStart - 1, sqlEnd - sqlStart + 1);
    nested.Caption = QStringLiteral("SQL语句生成器--重建子查询");
    nested.Execute();
    // The text is replaced whether or not the nested designer was confirmed.
    if (ActiveCellEditor() == editor)
        editor->setText(text.left(sqlStart - 1) + TrimExp(nested.SQL) + text.mid(sqlEnd));
}

} // namespace quillary
