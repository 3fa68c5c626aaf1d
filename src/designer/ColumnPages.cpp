// The commands of the column pages: choosing sort and group columns, the
// display list's selection rule, and the line commands of the grid menu.
#include "designer/DropFilter.h"
#include "designer/Frm_Quillary.h"
#include "grid/PropertyInplaceEdit.h"
#include "grid/StringGridEx.h"
#include "query/ColumnPages.h"
#include "sqltext/Common.h"

#include <QAction>
#include <QDropEvent>
#include <QListWidget>
#include <QMenu>
#include <QTabWidget>
#include <QToolButton>

#include <functional>

namespace quillary {

namespace {

// The row of the selected item of a non-empty list, or -1.
int Selected(QListWidget* list) {
    if (list->count() == 0) return -1;
    QListWidgetItem* item = list->currentItem();
    return item && item->isSelected() ? list->row(item) : -1;
}

// Moves the selected item of `list` with `move`. When the item left the
// list, nothing stays selected there (as with a list box whose selected
// item is deleted): another double click or drop moves nothing.
void MoveSelected(QListWidget* list, const std::function<void(int)>& move) {
    const int at = Selected(list);
    if (at < 0) return;
    const int before = list->count();
    move(at);
    if (list->count() < before) {
        list->clearSelection();
        list->setCurrentItem(nullptr);
    }
}

} // namespace

// --- sort and group columns -------------------------------------------------

void TFrm_Quillary::OrderListDblClick() {
    MoveSelected(OrderList, [this](int at) {
        EditColumnLists([at](QueryDesign& lists) { ChooseSortColumn(lists, at); });
    });
}

void TFrm_Quillary::OrderColumnDblClick() {
    MoveSelected(OrderColumn, [this](int at) {
        EditColumnLists([at](QueryDesign& lists) { ReturnSortColumn(lists, at); });
    });
}

bool TFrm_Quillary::OrderListDragOver(QObject* source) const {
    return source == OrderColumn;
}

void TFrm_Quillary::OrderListDragDrop(QObject* source) {
    if (OrderListDragOver(source)) OrderColumnDblClick();
}

bool TFrm_Quillary::OrderColumnDragOver(QObject* source) const {
    return source == OrderList || source == OrderColumn;
}

void TFrm_Quillary::OrderColumnDragDrop(QObject* source) {
    if (source == OrderList) OrderListDblClick();
}

void TFrm_Quillary::GroupListDblClick() {
    MoveSelected(GroupList, [this](int at) {
        EditColumnLists([at](QueryDesign& lists) { ChooseGroupColumn(lists, at); });
    });
}

void TFrm_Quillary::GroupColumnDblClick() {
    MoveSelected(GroupColumn, [this](int at) {
        EditColumnLists([at](QueryDesign& lists) { ReturnGroupColumn(lists, at); });
    });
}

bool TFrm_Quillary::GroupListDragOver(QObject* source) const {
    return source == GroupColumn;
}

void TFrm_Quillary::GroupListDragDrop(QObject* source) {
    if (GroupListDragOver(source)) GroupColumnDblClick();
}

bool TFrm_Quillary::GroupColumnDragOver(QObject* source) const {
    return source == GroupList;
}

void TFrm_Quillary::GroupColumnDragDrop(QObject* source) {
    if (GroupColumnDragOver(source)) GroupListDblClick();
}

// --- the display list and row selection ---------------------------------------

void TFrm_Quillary::DisplayListSelectCell(int col, int, bool& canSelect) {
    canSelect = col == 2; // only the alias is the user's to type
}

void TFrm_Quillary::DisplayListDblClick(TStringGridEx* grid) {
    Sp_Select->setChecked(!Sp_Select->isChecked());
    Sp_SelectClick();
    if (grid == DisplayList && GridAllowsEditing(DisplayList)) {
        TGridRect cell{2, DisplayList->Row(), 2, DisplayList->Row()};
        DisplayList->SetSelection(cell);
    }
}

// --- line commands of the grid menu -------------------------------------------

TStringGridEx* TFrm_Quillary::ActiveGrid() const {
    for (QWidget* w = focusWidget(); w; w = w->parentWidget())
        if (auto* grid = qobject_cast<TStringGridEx*>(w)) return grid;
    return nullptr;
}

namespace {

bool RowIsBlank(const TStringGridEx* grid, int row) {
    for (int col = 0; col < grid->ColCount(); ++col)
        if (!grid->GetCells(col, row).trimmed().isEmpty()) return false;
    return true;
}

void CopyRow(TStringGridEx* grid, int from, int to) {
    for (int col = 0; col < grid->ColCount(); ++col)
        grid->SetCells(col, to, grid->GetCells(col, from));
}

void ClearRow(TStringGridEx* grid, int row) {
    for (int col = 0; col < grid->ColCount(); ++col)
        grid->SetCells(col, row, QString());
}

// Rows after `last` move up by `count`, and the grid loses `count` rows.
void DeleteRows(TStringGridEx* grid, int first, int last) {
    const int count = last - first + 1;
    if (first < 1 || count <= 0 || last >= grid->RowCount()) return;
    grid->SetEditorMode(false);
    for (int row = last + 1; row < grid->RowCount(); ++row)
        CopyRow(grid, row, row - count);
    for (int row = grid->RowCount() - count; row < grid->RowCount(); ++row)
        ClearRow(grid, row);
    grid->SetRowCount(grid->RowCount() - count);
}

} // namespace

void TFrm_Quillary::N_InsUpClick(QObject* sender) {
    TStringGridEx* grid = ActiveGrid();
    if (!grid) return;
    const bool above = sender == N_InsUp;
    const int current = grid->Row();
    const int last = grid->RowCount() - 1;
    grid->SetEditorMode(false);
    // A blank last row is reused: the move below pushes it out.
    if (grid->GetSelection().Top == last || !RowIsBlank(grid, last))
        grid->SetRowCount(grid->RowCount() + 1);
    // With no data row left the current row is the caption row: the new row
    // is the first data row either way.
    const int blank = std::max(1, above ? current : current + 1);
    for (int row = grid->RowCount() - 1; row > blank; --row)
        CopyRow(grid, row - 1, row);
    ClearRow(grid, blank);
    grid->SetRow(blank);
}

void TFrm_Quillary::N_DeleteClick() {
    if (TStringGridEx* grid = ActiveGrid()) DeleteRows(grid, grid->Row(), grid->Row());
}

void TFrm_Quillary::N_DeleteMultiClick() {
    if (TStringGridEx* grid = ActiveGrid()) {
        const TGridRect sel = grid->GetSelection();
        DeleteRows(grid, sel.Top, sel.Bottom);
    }
}

void TFrm_Quillary::N_ClearSingleLineClick() {
    if (TStringGridEx* grid = ActiveGrid()) ClearRow(grid, grid->Row());
}

void TFrm_Quillary::N_ClearMultiLineClick() {
    if (TStringGridEx* grid = ActiveGrid()) {
        const TGridRect sel = grid->GetSelection();
        for (int row = sel.Top; row <= sel.Bottom; ++row)
            ClearRow(grid, row);
    }
}

void TFrm_Quillary::N_CopyClick() {
    if (TPropertyInplaceEdit* editor = ActiveCellEditor()) editor->copy();
}

void TFrm_Quillary::N_CutClick() {
    if (TPropertyInplaceEdit* editor = ActiveCellEditor()) editor->cut();
}

void TFrm_Quillary::N_PasteClick() {
    if (TPropertyInplaceEdit* editor = ActiveCellEditor()) editor->paste();
}

TPropertyInplaceEdit* TFrm_Quillary::ActiveCellEditor() const {
    TStringGridEx* grid = ActiveGrid();
    if (!grid || !grid->EditorMode()) return nullptr;
    TPropertyInplaceEdit* editor = grid->InplaceEditor();
    return editor && editor->isVisible() ? editor : nullptr;
}

bool TFrm_Quillary::SubSelectAtCaret(int& sqlStart, int& sqlEnd) const {
    TPropertyInplaceEdit* editor = ActiveCellEditor();
    if (!editor) return false;
    const QString text = editor->text();
    const int caret = editor->cursorPosition();
    for (int from = 1; from <= text.size();) {
        if (!FindSQLInExp(text, from, sqlStart, sqlEnd)) return false;
        if (caret >= sqlStart && caret <= sqlEnd) return true;
        from = sqlEnd + 2;
    }
    return false;
}

void TFrm_Quillary::PopupMenu1Change() {
    int sqlStart = 0, sqlEnd = 0;
    const bool inside = SubSelectAtCaret(sqlStart, sqlEnd);
    ReForge->setVisible(inside);
    M_Line->setVisible(inside);
}

// --- wiring ---------------------------------------------------------------------

void TFrm_Quillary::ConnectPageHandlers() {
    connect(OrderList, &QListWidget::itemDoubleClicked, this, [this] { OrderListDblClick(); });
    connect(OrderColumn, &QListWidget::itemDoubleClicked, this, [this] { OrderColumnDblClick(); });
    connect(GroupList, &QListWidget::itemDoubleClicked, this, [this] { GroupListDblClick(); });
    connect(GroupColumn, &QListWidget::itemDoubleClicked, this, [this] { GroupColumnDblClick(); });
    // Drags between the lists of a page carry items by the form's rules.
    auto drops = [this](QListWidget* list, bool (TFrm_Quillary::*over)(QObject*) const,
                        void (TFrm_Quillary::*drop)(QObject*)) {
        new TDropFilter(
            list->viewport(), [this, over](QObject* s) { return (this->*over)(s); },
            [this, drop](QObject* s, const QPoint&) { (this->*drop)(s); });
    };
    drops(OrderList, &TFrm_Quillary::OrderListDragOver, &TFrm_Quillary::OrderListDragDrop);
    drops(OrderColumn, &TFrm_Quillary::OrderColumnDragOver, &TFrm_Quillary::OrderColumnDragDrop);
    drops(GroupList, &TFrm_Quillary::GroupListDragOver, &TFrm_Quillary::GroupListDragDrop);
    drops(GroupColumn, &TFrm_Quillary::GroupColumnDragOver, &TFrm_Quillary::GroupColumnDragDrop);

    DisplayList->OnSelectCell = [this](QObject*, int col, int row, bool& canSelect) {
        DisplayListSelectCell(col, row, canSelect);
    };
    for (TStringGridEx* grid : {ConditionList, ConditionListGroup, ComputeColumnList, DisplayList})
        grid->OnDblClick = [this, grid](QObject*) { DisplayListDblClick(grid); };

    connect(N_InsUp, &QAction::triggered, this, [this] { N_InsUpClick(N_InsUp); });
    connect(N_InsDown, &QAction::triggered, this, [this] { N_InsUpClick(N_InsDown); });
    connect(N_DeleteSingle, &QAction::triggered, this, &TFrm_Quillary::N_DeleteClick);
    connect(N_DeleteMulti, &QAction::triggered, this, &TFrm_Quillary::N_DeleteMultiClick);
    connect(N_ClearSingleLine, &QAction::triggered, this, &TFrm_Quillary::N_ClearSingleLineClick);
    connect(N_ClearMultiLine, &QAction::triggered, this, &TFrm_Quillary::N_ClearMultiLineClick);
    connect(N_Copy, &QAction::triggered, this, &TFrm_Quillary::N_CopyClick);
    connect(N_Cut, &QAction::triggered, this, &TFrm_Quillary::N_CutClick);
    connect(N_Paste, &QAction::triggered, this, &TFrm_Quillary::N_PasteClick);
    connect(N_PasteFun, &QAction::triggered, this, &TFrm_Quillary::N_PasteFunClick);
    connect(N_PasteColumn, &QAction::triggered, this, &TFrm_Quillary::N_PasteColumnClick);
    connect(N_PasteSQL, &QAction::triggered, this, &TFrm_Quillary::N_PasteSQLClick);
    // Ctrl+F reaches "粘贴函数" from the grids and their cell editors.
    N_PasteFun->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    for (TStringGridEx* grid : {ConditionList, ConditionListGroup, ComputeColumnList})
        grid->addAction(N_PasteFun);
    connect(PopupMenu1, &QMenu::aboutToShow, this, &TFrm_Quillary::PopupMenu1Change);
}

} // namespace quillary
