#include "grid/StringGridEx.h"

#include "grid/PropertyInplaceEdit.h"
#include "grid/StringPrGridStrings.h"

#include <QPainter>
#include <algorithm>
#include <climits>

namespace quillary {

namespace {

constexpr int LargeQuantumRows = 256;
constexpr int LargeQuantumCols = 512;

} // namespace

TStringGridEx::TStringGridEx(QWidget* parent) : TCustomPrGrid(parent) {
    m_clientAutoFit = false;
    SetColCount(2);
    SetRowCount(8);
    SetDefaultColWidth(80);
    SetDefaultRowHeight(17);
    SetParentColor(false);
    SetTabStop(true);
    OnPropsUpdate = [this](QObject* sender) { UpdateNames(sender); };
    resize(ColCount() * 80, RowCount() * 17);
    Initialize();
}

TStringGridEx::~TStringGridEx() {
    OnPropsUpdate = nullptr;
    if (m_data) {
        m_data->ForAll([](int, TStringSparseList* row) {
            delete row;
            return 0;
        });
    }
    for (auto* cache : {m_rows.get(), m_cols.get()}) {
        if (!cache) continue;
        cache->ForAll([](int, TStringPrGridStrings* view) {
            delete view;
            return 0;
        });
    }
}

void TStringGridEx::Initialize() {
    const TSPAQuantum rowQuantum =
        RowCount() > LargeQuantumRows ? TSPAQuantum::SPALarge : TSPAQuantum::SPASmall;
    const TSPAQuantum colQuantum =
        ColCount() > LargeQuantumCols ? TSPAQuantum::SPALarge : TSPAQuantum::SPASmall;
    if (!m_data) m_data = std::make_unique<TSparseList<TStringSparseList>>(rowQuantum);
    if (!m_rows) m_rows = std::make_unique<TSparseList<TStringPrGridStrings>>(rowQuantum);
    if (!m_cols) m_cols = std::make_unique<TSparseList<TStringPrGridStrings>>(colQuantum);
}

// --- cells --------------------------------------------------------------------------

QString TStringGridEx::GetCells(int ACol, int ARow) const {
    if (ACol < 0 || ARow < 0 || !m_data) return QString();
    const TStringSparseList* row = m_data->Get(ARow);
    return row ? row->Get(ACol) : QString();
}

void TStringGridEx::SetCells(int ACol, int ARow, const QString& Value) {
    if (ACol < 0 || ARow < 0) InvalidOp(SIndexOutOfRange);
    EnsureDataRow(ARow)->Put(ACol, Value);
    EnsureColRow(ACol, true);
    EnsureColRow(ARow, false);
    Update(ACol, ARow);
}

QObject* TStringGridEx::GetObjects(int ACol, int ARow) const {
    if (ACol < 0 || ARow < 0 || !m_data) return nullptr;
    const TStringSparseList* row = m_data->Get(ARow);
    return row ? row->GetObject(ACol) : nullptr;
}

void TStringGridEx::SetObjects(int ACol, int ARow, QObject* Value) {
    if (ACol < 0 || ARow < 0) InvalidOp(SIndexOutOfRange);
    EnsureDataRow(ARow)->PutObject(ACol, Value);
    EnsureColRow(ACol, true);
    EnsureColRow(ARow, false);
    Update(ACol, ARow);
}

TStringPrGridStrings* TStringGridEx::Rows(int ARow) {
    if (ARow < 0) InvalidOp(SIndexOutOfRange);
    return EnsureColRow(ARow, false);
}

void TStringGridEx::SetRows(int ARow, const TStrings& Value) {
    Rows(ARow)->Assign(Value);
}

void TStringGridEx::SetRows(int ARow, const QStringList& Value) {
    Rows(ARow)->Assign(Value);
}

TStringPrGridStrings* TStringGridEx::Cols(int ACol) {
    if (ACol < 0) InvalidOp(SIndexOutOfRange);
    return EnsureColRow(ACol, true);
}

void TStringGridEx::SetCols(int ACol, const TStrings& Value) {
    Cols(ACol)->Assign(Value);
}

void TStringGridEx::SetCols(int ACol, const QStringList& Value) {
    Cols(ACol)->Assign(Value);
}

TStringSparseList* TStringGridEx::EnsureDataRow(int ARow) {
    TStringSparseList* row = m_data->Get(ARow);
    if (!row) {
        const TSPAQuantum quantum =
            ColCount() > LargeQuantumCols ? TSPAQuantum::SPALarge : TSPAQuantum::SPASmall;
        row = new TStringSparseList(quantum);
        m_data->Put(ARow, row);
    }
    return row;
}

TStringPrGridStrings* TStringGridEx::EnsureColRow(int Index, bool IsCol) {
    TSparseList<TStringPrGridStrings>& cache = IsCol ? *m_cols : *m_rows;
    TStringPrGridStrings* view = cache.Get(Index);
    if (!view) {
        // Column views count from -1 downwards, row views from 1 upwards.
        const int viewIndex = IsCol ? -Index - 1 : Index + 1;
        view = new TStringPrGridStrings(this, viewIndex);
        cache.Put(Index, view);
    }
    return view;
}

void TStringGridEx::Update(int ACol, int ARow) {
    if (m_updating)
        m_needsUpdating = true;
    else
        InvalidateCell(ACol, ARow);
    if (ACol == Col() && ARow == Row() && m_editUpdate == 0) InvalidateEditor();
}

void TStringGridEx::SetUpdateState(bool Updating) {
    m_updating = Updating;
    if (!Updating && m_needsUpdating) {
        InvalidateGrid();
        m_needsUpdating = false;
    }
}

void TStringGridEx::DisableEditUpdate() {
    ++m_editUpdate;
}

void TStringGridEx::EnableEditUpdate() {
    --m_editUpdate;
}

int TStringGridEx::DataRowCount() const {
    int n = 0;
    m_data->ForAll([&n](int, TStringSparseList*) {
        ++n;
        return 0;
    });
    return n;
}

bool TStringGridEx::HasDataRow(int ARow) const {
    return ARow >= 0 && m_data->Get(ARow) != nullptr;
}

// --- property columns ------------------------------------------------------------------

void TStringGridEx::AddPropertyCol(const QString& ALabel, const QString& AValue,
                                   TPropEditMode AEditMode) {
    PropValues()->Add();
    TCellValueProp* prop = PropValues()->GetCellValueProp(ColCount() - 1);
    prop->SetEditMode(AEditMode);
    prop->SetPropertyLabel(ALabel);
    prop->SetPropertyValue(AValue);
    UpdateProps();
}

void TStringGridEx::ChangePropertyCol(int Index, const QString& ALabel, const QString& AValue,
                                      TPropEditMode AEditMode) {
    TCellValueProp* prop = PropValues()->GetCellValueProp(Index);
    prop->SetPropertyLabel(ALabel);
    prop->SetEditMode(AEditMode);
    prop->SetPropertyValue(AValue);
    InvalidateEditor();
}

void TStringGridEx::DeletePropertyCol(int Index) {
    if (Index == 0 || ColCount() <= 1) return;
    if (Index < 0 || Index >= PropValues()->Count()) ListIndexError(Index);
    HideEditor();
    PropValues()->Delete(Index);
    UpdateNames(this);
    ShowEditor();
}

void TStringGridEx::UpdateNames(QObject*) {
    TCellValueProps* props = PropValues();
    if (!props) return;
    for (int i = 0; i < props->Count(); ++i)
        SetCells(i, 0, props->GetCellValueProp(i)->PropertyLabel());
}

void TStringGridEx::SetTitleNameColumn(const QString& Value) {
    m_titleNameColumn = Value;
    SetCells(0, 0, Value);
    if (PropValues()->Count() > 0) PropValues()->GetCellValueProp(0)->SetPropertyLabel(Value);
    UpdateNames(this);
}

void TStringGridEx::SetTitleValueColumn(const QString& Value) {
    m_titleValueColumn = Value;
    SetCells(1, 0, FixedTitleRow() ? Value : QString());
    if (PropValues()->Count() > 0) PropValues()->GetCellValueProp(0)->SetPropertyValue(Value);
}

// --- painting ------------------------------------------------------------------------------

void TStringGridEx::SetClientAutoFit(bool Value) {
    m_clientAutoFit = Value;
    ApplyClientAutoFit();
    InvalidateGrid();
}

void TStringGridEx::ApplyClientAutoFit() {
    if (!m_clientAutoFit) return;
    const int clientWidth = isVisible() ? viewport()->width() : contentsRect().width();
    const int half = clientWidth / 2 - 1;
    for (int i = 0; i < std::min(2, ColCount()); ++i)
        if (ColWidths(i) != half || !HasColWidths()) SetColWidths(i, half);
}

void TStringGridEx::Paint() {
    ApplyClientAutoFit();
    TCustomPrGrid::Paint();
}

void TStringGridEx::Resize() {
    TCustomPrGrid::Resize();
    ApplyClientAutoFit();
    InvalidateGrid();
}

void TStringGridEx::DrawCell(int ACol, int ARow, const QRect& ARect, TGridDrawState AState) {
    QPainter* canvas = Canvas();
    if (DefaultDrawing() && canvas) {
        canvas->save();
        canvas->setClipRect(ARect, Qt::IntersectClip);
        const QRect textRect(ARect.left() + 2, ARect.top() + 2, SHRT_MAX, SHRT_MAX);
        canvas->drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         GetCells(ACol, ARow));
        canvas->restore();
    }
    if (OnDrawCell) {
        if (layoutDirection() == Qt::RightToLeft) {
            // Handlers draw in left-to-right terms: mirror the cell.
            const int w = viewport()->width();
            QRect mirrored(w - ARect.right() - 1, ARect.top(), ARect.width(), ARect.height());
            OnDrawCell(this, ACol, ARow, mirrored, AState);
        } else {
            OnDrawCell(this, ACol, ARow, ARect, AState);
        }
    }
}

// --- hooks -----------------------------------------------------------------------------------

bool TStringGridEx::SelectCell(int ACol, int ARow) {
    bool canSelect = true;
    if (OnSelectCell) OnSelectCell(this, ACol, ARow, canSelect);
    return canSelect;
}

QString TStringGridEx::GetEditMask(int ACol, int ARow) {
    QString value;
    if (OnGetEditMask) OnGetEditMask(this, ACol, ARow, value);
    return value;
}

QString TStringGridEx::GetEditText(int ACol, int ARow) {
    QString value = GetCells(ACol, ARow);
    if (OnGetEditText) OnGetEditText(this, ACol, ARow, value);
    return value;
}

void TStringGridEx::SetEditText(int ACol, int ARow, const QString& Value) {
    DisableEditUpdate();
    try {
        if (Value != GetCells(ACol, ARow)) SetCells(ACol, ARow, Value);
    } catch (...) {
        EnableEditUpdate();
        throw;
    }
    EnableEditUpdate();
    if (OnSetEditText) OnSetEditText(this, ACol, ARow, Value);
}

void TStringGridEx::ColumnMoved(int FromIndex, int ToIndex) {
    m_data->ForAll([FromIndex, ToIndex](int, TStringSparseList* row) {
        row->Move(FromIndex, ToIndex);
        return 0;
    });
    InvalidateGrid();
    if (OnColumnMoved) OnColumnMoved(this, FromIndex, ToIndex);
}

void TStringGridEx::RowMoved(int FromIndex, int ToIndex) {
    m_data->Move(FromIndex, ToIndex);
    InvalidateGrid();
    if (OnRowMoved) OnRowMoved(this, FromIndex, ToIndex);
}

void TStringGridEx::TopLeftChanged() {
    TCustomPrGrid::TopLeftChanged();
    if (OnTopLeftChanged) OnTopLeftChanged(this);
}

void TStringGridEx::DeleteColumn(int ACol) {
    const int last = ColCount() - 1;
    TCustomPrGrid::DeleteColumn(ACol);
    if (ColCount() == last) {
        // The deleted column's cells, now past the end, must not come back
        // when the grid grows again.
        m_data->ForAll([last](int, TStringSparseList* row) {
            row->PutObject(last, nullptr);
            row->Put(last, QString());
            return 0;
        });
    }
}

void TStringGridEx::DeleteRow(int ARow) {
    const int last = RowCount() - 1;
    TCustomPrGrid::DeleteRow(ARow);
    if (RowCount() == last) {
        if (TStringSparseList* row = m_data->Get(last)) row->Clear();
    }
}

// --- moving selected rows ----------------------------------------------------------------------

void TStringGridEx::MoveUp() {
    MoveSelectedRow(GetSelection().Top - 1);
}

void TStringGridEx::MoveDown() {
    MoveSelectedRow(GetSelection().Top + 1);
}

void TStringGridEx::MoveSelectedRow(int ToRow) {
    const TGridRect s = GetSelection();
    const int n = s.Bottom - s.Top + 1;
    if (ToRow < FixedRows() || ToRow > RowCount() - 1 || ToRow == s.Top) return;
    // The block must stay inside the grid.
    if (ToRow + n - 1 > RowCount() - 1) return;
    const int cols = ColCount();
    if (ToRow < s.Top && s.Top <= ToRow + n - 1) {
        // Up with overlap: the block lands at ToRow, the rows it passes follow it.
        QStringList copy;
        copy.reserve((s.Bottom - ToRow + 1) * cols);
        for (int r = ToRow; r <= s.Bottom; ++r)
            for (int c = 0; c < cols; ++c)
                copy.append(GetCells(c, r));
        for (int r = ToRow; r <= ToRow + n - 1; ++r)
            for (int c = 0; c < cols; ++c)
                SetCells(c, r, copy.at(((s.Top - ToRow) + (r - ToRow)) * cols + c));
        for (int r = ToRow + n; r <= s.Bottom; ++r)
            for (int c = 0; c < cols; ++c)
                SetCells(c, r, copy.at((r - (ToRow + n)) * cols + c));
    } else if (s.Top < ToRow && ToRow <= s.Bottom) {
        // Down with overlap: the rows below the block move above it.
        QStringList copy;
        const int last = ToRow + n - 1;
        copy.reserve((last - s.Top + 1) * cols);
        for (int r = s.Top; r <= last; ++r)
            for (int c = 0; c < cols; ++c)
                copy.append(GetCells(c, r));
        for (int r = ToRow; r <= last; ++r)
            for (int c = 0; c < cols; ++c)
                SetCells(c, r, copy.at((r - ToRow) * cols + c));
        for (int r = s.Top; r < ToRow; ++r)
            for (int c = 0; c < cols; ++c)
                SetCells(c, r, copy.at((n + (r - s.Top)) * cols + c));
    } else {
        // No overlap: the block and the equally tall block at ToRow trade places.
        for (int r = s.Top; r <= s.Bottom; ++r) {
            const int other = ToRow + (r - s.Top);
            for (int c = 0; c < cols; ++c) {
                const QString a = GetCells(c, r);
                const QString b = GetCells(c, other);
                SetCells(c, r, b);
                SetCells(c, other, a);
            }
        }
    }
    SetSelection(TGridRect{s.Left, ToRow, s.Right, ToRow + n - 1});
    ClampInView(TGridCoord{Col(), Row()});
}

} // namespace quillary
