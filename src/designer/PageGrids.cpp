// The property grids of pages 2 to 5, the sort and group lists, and the side
// buttons that move rows.
#include "designer/Frm_Quillary.h"
#include "grid/CellValueProps.h"
#include "grid/StringGridEx.h"

#include <QListWidget>
#include <QMenu>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace quillary {

namespace {

struct TColumnSpec {
    const char* Label;
    TPropEditMode Mode;
    QStringList PickList;
    int Width;
};

const TGridOptions kEditingOptions = {goFixedVertLine, goFixedHorzLine,     goVertLine,  goHorzLine,
                                      goRangeSelect,   goDrawFocusSelected, goColSizing, goEditing,
                                      goTabs,          goAlwaysShowEditor};
const TGridOptions kRowSelectOptions = {goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine,
                                        goRangeSelect,   goColSizing,     goRowSelect};

TStringGridEx* MakeGrid(const char* name, int rows, const std::vector<TColumnSpec>& columns,
                        QWidget* page) {
    auto* grid = new TStringGridEx(page);
    grid->setObjectName(QString::fromLatin1(name));
    for (size_t i = 0; i < columns.size(); ++i) {
        const TColumnSpec& c = columns[i];
        if (int(i) < grid->PropValues()->Count())
            grid->ChangePropertyCol(int(i), QString::fromUtf8(c.Label), QString(), c.Mode);
        else
            grid->AddPropertyCol(QString::fromUtf8(c.Label), QString(), c.Mode);
        if (!c.PickList.isEmpty()) grid->PropValues()->Items(int(i))->SetPickList(c.PickList);
    }
    grid->SetRowCount(rows);
    grid->SetFixedTitleRow(true);
    // Every column of a page holds design data: none is a fixed header column.
    grid->SetFixedCols(0);
    grid->SetOptions(kEditingOptions);
    for (size_t i = 0; i < columns.size(); ++i)
        grid->SetColWidths(int(i), columns[i].Width);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grid);
    return grid;
}

QStringList Operators(bool withIs) {
    QStringList ops = {QStringLiteral("="),    QStringLiteral(">"),       QStringLiteral("<"),
                       QStringLiteral(">="),   QStringLiteral("<="),      QStringLiteral("<>"),
                       QStringLiteral("like"), QStringLiteral("not like")};
    if (withIs) ops << QStringLiteral("is");
    ops << QStringLiteral("in") << QStringLiteral("not in");
    if (withIs) ops << QString(); // an operator can be cleared again
    return ops;
}

void MoveListItem(QListWidget* list, bool up) {
    const int row = list->currentRow();
    if (list->count() == 0 || row < 0) return;
    const int target = up ? row - 1 : row + 1;
    if (target < 0 || target >= list->count()) return;
    // Texts and ticks trade places; the moved item stays selected.
    QListWidgetItem* a = list->item(row);
    QListWidgetItem* b = list->item(target);
    const QString text = a->text();
    const QVariant check = a->data(Qt::CheckStateRole);
    a->setText(b->text());
    a->setData(Qt::CheckStateRole, b->data(Qt::CheckStateRole));
    b->setText(text);
    b->setData(Qt::CheckStateRole, check);
    list->setCurrentRow(target);
}

} // namespace

void TFrm_Quillary::CreatePageGrids() {
    const QStringList connectors = {QStringLiteral("and"), QStringLiteral("or")};
    ConditionList = MakeGrid("ConditionList", 9,
                             {{"字段名或表达式", emPickList, {}, 248},
                              {"关系运算符", emPickList, Operators(true), 90},
                              {"表达式", emSimple, {}, 225},
                              {"逻辑运算符", emPickList, connectors, 77}},
                             TS_Condition);
    ConditionListGroup = MakeGrid("ConditionListGroup", 9,
                                  {{"字段名或表达式", emPickList, {}, 248},
                                   {"关系运算符", emPickList, Operators(false), 90},
                                   {"表达式", emSimple, {}, 225},
                                   {"逻辑运算符", emPickList, connectors, 77}},
                                  TS_ConditionGroup);
    ComputeColumnList =
        MakeGrid("ComputeColumnList", 15,
                 {{"表达式", emSimple, {}, 387}, {"别名", emSimple, {}, 126}}, TS_Compute);
    DisplayList = MakeGrid("DisplayList", 2,
                           {{"", emNoEdit, {}, 3},
                            {"字段", emNoEdit, {}, 258},
                            {"别名", emSimple, {}, 102},
                            {"", emNoEdit, {}, 3}},
                           TS_Display);
    for (TStringGridEx* grid : {ConditionList, ConditionListGroup, ComputeColumnList}) {
        // The menu serves the open cell editor too: its commands act at the caret.
        grid->SetPopupMenu(PopupMenu1);
        grid->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(grid, &QWidget::customContextMenuRequested, this,
                [this, grid](const QPoint& at) { PopupMenu1->popup(grid->mapToGlobal(at)); });
    }
}

void TFrm_Quillary::HideDisplayDataColumns() {
    DisplayList->SetColWidths(0, 0);
    DisplayList->SetColWidths(3, 0);
}

TStringGridEx* TFrm_Quillary::PageGrid(int page) const {
    switch (page) {
    case pgCondition:
        return ConditionList;
    case pgConditionGroup:
        return ConditionListGroup;
    case pgCompute:
        return ComputeColumnList;
    case pgDisplay:
        return DisplayList;
    default:
        return nullptr;
    }
}

bool TFrm_Quillary::GridAllowsEditing(TStringGridEx* grid) const {
    return grid && grid->Options().Contains(goEditing);
}

void TFrm_Quillary::ClearPageGrids() {
    auto clear = [](TStringGridEx* grid, std::initializer_list<int> columns) {
        for (int row = 1; row < grid->RowCount(); ++row)
            for (int col : columns)
                grid->SetCells(col, row, QString());
    };
    clear(ComputeColumnList, {0, 1});
    clear(ConditionList, {0, 1, 2, 3});
    clear(ConditionListGroup, {0, 1, 2, 3});
    clear(DisplayList, {1, 2});
    DisplayList->SetRowCount(2);
}

void TFrm_Quillary::Sp_UpDownClick(bool up) {
    TStringGridEx* grid = PageGrid(PageControl1->currentIndex());
    if (!grid) return;
    // The display list only lets its alias column be selected; a move must
    // work whatever column is selected, so the rule is lifted meanwhile.
    TSelectCellEvent rule;
    if (grid == DisplayList) std::swap(rule, DisplayList->OnSelectCell);
    if (up)
        grid->MoveUp();
    else
        grid->MoveDown();
    if (grid == DisplayList) std::swap(rule, DisplayList->OnSelectCell);
}

void TFrm_Quillary::Sp_SelectClick() {
    // On the execute page the button runs the typed statement.
    if (PageControl1->currentIndex() == pgExecute) {
        ExecuteStatement();
        return;
    }
    TStringGridEx* grid = PageGrid(PageControl1->currentIndex());
    if (!grid) return;
    grid->SetOptions(Sp_Select->isChecked() ? kRowSelectOptions : kEditingOptions);
}

void TFrm_Quillary::SpeedButton1Click() {
    MoveListItem(OrderColumn, true);
}
void TFrm_Quillary::SpeedButton2Click() {
    MoveListItem(OrderColumn, false);
}
void TFrm_Quillary::SpeedButton3Click() {
    MoveListItem(GroupColumn, true);
}
void TFrm_Quillary::SpeedButton4Click() {
    MoveListItem(GroupColumn, false);
}

} // namespace quillary
