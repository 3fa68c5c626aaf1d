// The engine's state: counts, extents, options, current cell and selection,
// scrolling, geometry queries, editor placement and row/column moves.
#include "grid/CustomPrGrid.h"

#include "grid/PropertyInplaceEdit.h"

#include <QApplication>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

namespace quillary {

namespace {

// Keeps the cell under `pos` after a move of `from` to `to`.
void MoveAdjust(int& pos, int from, int to) {
    if (pos == from) {
        pos = to;
        return;
    }
    const int lo = std::min(from, to);
    const int hi = std::max(from, to);
    if (pos >= lo && pos <= hi) pos += from > to ? 1 : -1;
}

template <class V> void MoveExtent(std::vector<V>& extents, int from, int to) {
    if (extents.empty()) return;
    const V value = extents[std::size_t(from)];
    if (from < to)
        std::move(extents.begin() + from + 1, extents.begin() + to + 1, extents.begin() + from);
    else
        std::move_backward(extents.begin() + to, extents.begin() + from,
                           extents.begin() + from + 1);
    extents[std::size_t(to)] = value;
}

TGridRect NormalRect(const TGridCoord& a, const TGridCoord& b) {
    return TGridRect{std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X),
                     std::max(a.Y, b.Y)};
}

} // namespace

TCustomPrGrid::TCustomPrGrid(QWidget* parent) : QAbstractScrollArea(parent) {
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    setAttribute(Qt::WA_InputMethodEnabled);
    m_canEditModify = true;
    m_colCount = 5;
    m_rowCount = 5;
    m_fixedCols = 1;
    SetFixedTitleRow(true);
    m_gridLineWidth = 1;
    m_options =
        TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
    m_designOptionsBoost = TGridOptions{goRowSizing, goColSizing};
    m_fixedColor = clBtnFace;
    m_scrollBars = ssBoth;
    m_borderStyle = bsNone;
    m_defaultColWidth = 64;
    m_defaultRowHeight = 24;
    m_defaultDrawing = true;
    m_saveCellExtents = true;
    m_editorMode = false;
    m_color = clWindow;
    m_parentColor = false;
    m_tabStop = true;
    m_propValues = std::make_unique<TCellValueProps>(this);
    resize(m_colCount * m_defaultColWidth, m_rowCount * m_defaultRowHeight);
    InitializeCells();

    m_scrollTimer = new QTimer(this);
    m_scrollTimer->setInterval(ScrollTimerInterval);
    connect(m_scrollTimer, &QTimer::timeout, this, [this] { OnScrollTimer(); });
    horizontalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setTracking(false);
    verticalScrollBar()->setTracking(false);
    UpdateFrame();
    UpdateFocusPolicy();
    SetScrollBars(m_scrollBars);
}

TCustomPrGrid::~TCustomPrGrid() {
    // The editor and its list go first: they call back into the grid.
    delete m_inplaceEdit;
    m_inplaceEdit = nullptr;
    std::unique_ptr<TCellValueProps> props = std::move(m_propValues);
}

// --- counts and extents ----------------------------------------------------

void TCustomPrGrid::CheckExtentsSize(int NewColCount, int NewRowCount) const {
    if ((m_hasColWidths || m_hasTabStops) && NewColCount >= MaxGridExtents)
        InvalidOp(SGridTooLarge);
    if (m_hasRowHeights && NewRowCount >= MaxGridExtents) InvalidOp(SGridTooLarge);
    if (NewColCount < 0 || NewRowCount < 0) InvalidOp(STooManyDeleted);
}

void TCustomPrGrid::SetColCount(int Value) {
    if (m_colCount == Value) return;
    if (Value < 1) Value = 1;
    if (Value == m_colCount) return;
    CheckExtentsSize(Value, m_rowCount);
    if (Value <= m_fixedCols) SetFixedCols(Value - 1);
    ChangeSize(Value, m_rowCount);
    if (m_options.Contains(goRowSelect)) {
        m_anchor.X = m_colCount - 1;
        InvalidateGrid();
    }
}

void TCustomPrGrid::SetRowCount(int Value) {
    if (m_rowCount == Value) return;
    if (Value < 1) Value = 1;
    if (Value != m_rowCount) {
        CheckExtentsSize(m_colCount, Value);
        if (Value <= m_fixedRows) SetFixedRows(Value - 1);
        ChangeSize(m_colCount, Value);
    }
    UpdateProps();
    UpdateGrid();
}

void TCustomPrGrid::ChangeSize(int NewColCount, int NewRowCount) {
    const int oldColCount = m_colCount;
    const int oldRowCount = m_rowCount;
    m_colCount = NewColCount;
    m_rowCount = NewRowCount;
    if (m_fixedCols >= NewColCount) m_fixedCols = NewColCount - 1;
    if (m_fixedRows >= NewRowCount) m_fixedRows = NewRowCount - 1;
    if (m_hasColWidths) m_colWidths.resize(std::size_t(m_colCount), m_defaultColWidth);
    if (m_hasTabStops) m_tabStops.resize(std::size_t(m_colCount), 1);
    if (m_hasRowHeights) m_rowHeights.resize(std::size_t(m_rowCount), m_defaultRowHeight);

    // Bring the current cell, the anchor and the top-left cell back into range.
    const TGridRect oldSel = GetSelection();
    TGridCoord coord = m_current;
    if (coord.Y >= m_rowCount) coord.Y = m_rowCount - 1;
    if (coord.X >= m_colCount) coord.X = m_colCount - 1;
    if (coord != m_current) {
        m_current = coord;
        m_anchor = coord;
        if (m_options.Contains(goRowSelect)) m_anchor.X = m_colCount - 1;
        ClampInView(m_current);
        SelectionMoved(oldSel);
    } else {
        m_anchor.X = std::min(m_anchor.X, m_colCount - 1);
        m_anchor.Y = std::min(m_anchor.Y, m_rowCount - 1);
    }
    if (m_topLeft.X >= m_colCount) m_topLeft.X = std::max(m_fixedCols, m_colCount - 1);
    if (m_topLeft.Y >= m_rowCount) m_topLeft.Y = std::max(m_fixedRows, m_rowCount - 1);
    InvalidateGrid();
    UpdateScrollRange();
    SizeChanged(oldColCount, oldRowCount);
    if (m_inplaceEdit) UpdateEdit();
}

void TCustomPrGrid::SetFixedCols(int Value) {
    if (m_fixedCols == Value) return;
    if (Value < 0) InvalidOp(SIndexOutOfRange);
    if (Value >= m_colCount) InvalidOp(SFixedColTooBig);
    m_fixedCols = Value;
    InitializeCells();
    InvalidateGrid();
}

void TCustomPrGrid::SetFixedRows(int Value) {
    if (m_fixedRows == Value) return;
    if (Value < 0) InvalidOp(SIndexOutOfRange);
    if (Value >= m_rowCount) InvalidOp(SFixedRowTooBig);
    m_fixedRows = Value;
    InitializeCells();
    InvalidateGrid();
}

void TCustomPrGrid::SetFixedTitleRow(bool Value) {
    SetFixedRows(Value ? 1 : 0);
    m_fixedTitleRow = Value;
}

void TCustomPrGrid::InitializeCells() {
    m_topLeft = TGridCoord{m_fixedCols, m_fixedRows};
    m_current = m_topLeft;
    m_anchor = m_current;
    if (m_options.Contains(goRowSelect)) m_anchor.X = m_colCount - 1;
    if (m_scrollTimer) {
        UpdateScrollRange();
        if (m_inplaceEdit) UpdateEdit();
    }
}

void TCustomPrGrid::SetDefaultColWidth(int Value) {
    m_colWidths.clear();
    m_hasColWidths = false;
    m_defaultColWidth = Value;
    ColWidthsChanged();
    InvalidateGrid();
}

void TCustomPrGrid::SetDefaultRowHeight(int Value) {
    m_rowHeights.clear();
    m_hasRowHeights = false;
    m_defaultRowHeight = Value;
    RowHeightsChanged();
    InvalidateGrid();
}

int TCustomPrGrid::ColWidths(int Index) const {
    if (!m_hasColWidths || Index < 0 || Index >= m_colCount) return m_defaultColWidth;
    return m_colWidths[std::size_t(Index)];
}

void TCustomPrGrid::SetColWidths(int Index, int Value) {
    if (Index < 0 || Index >= m_colCount) InvalidOp(SIndexOutOfRange);
    if (!m_hasColWidths) {
        if (m_colCount >= MaxGridExtents) InvalidOp(SGridTooLarge);
        m_colWidths.assign(std::size_t(m_colCount), m_defaultColWidth);
        m_hasColWidths = true;
    }
    if (m_colWidths[std::size_t(Index)] == Value) return;
    m_colWidths[std::size_t(Index)] = Value;
    InvalidateGrid();
    ColWidthsChanged();
}

int TCustomPrGrid::RowHeights(int Index) const {
    if (!m_hasRowHeights || Index < 0 || Index >= m_rowCount) return m_defaultRowHeight;
    return m_rowHeights[std::size_t(Index)];
}

void TCustomPrGrid::SetRowHeights(int Index, int Value) {
    if (Index < 0 || Index >= m_rowCount) InvalidOp(SIndexOutOfRange);
    if (!m_hasRowHeights) {
        if (m_rowCount >= MaxGridExtents) InvalidOp(SGridTooLarge);
        m_rowHeights.assign(std::size_t(m_rowCount), m_defaultRowHeight);
        m_hasRowHeights = true;
    }
    if (m_rowHeights[std::size_t(Index)] == Value) return;
    m_rowHeights[std::size_t(Index)] = Value;
    InvalidateGrid();
    RowHeightsChanged();
}

bool TCustomPrGrid::TabStops(int Index) const {
    if (!m_hasTabStops || Index < 0 || Index >= m_colCount) return true;
    return m_tabStops[std::size_t(Index)] != 0;
}

void TCustomPrGrid::SetTabStops(int Index, bool Value) {
    if (Index < 0 || Index >= m_colCount) InvalidOp(SIndexOutOfRange);
    if (!m_hasTabStops) {
        if (m_colCount >= MaxGridExtents) InvalidOp(SGridTooLarge);
        m_tabStops.assign(std::size_t(m_colCount), 1);
        m_hasTabStops = true;
    }
    m_tabStops[std::size_t(Index)] = Value ? 1 : 0;
}

void TCustomPrGrid::SetGridLineWidth(int Value) {
    Value = std::clamp(Value, 0, MaxGridLineWidth);
    if (m_gridLineWidth == Value) return;
    m_gridLineWidth = Value;
    InvalidateGrid();
    UpdateScrollRange();
    if (m_inplaceEdit) UpdateEdit();
}

// --- options and appearance -------------------------------------------------

void TCustomPrGrid::SetOptions(TGridOptions Value) {
    if (m_options == Value) return;
    // The row-select cursor covers the editor's cell, so the two exclude.
    if (Value.Contains(goRowSelect)) Value.Exclude(goAlwaysShowEditor);
    m_options = Value;
    horizontalScrollBar()->setTracking(Value.Contains(goThumbTracking));
    verticalScrollBar()->setTracking(Value.Contains(goThumbTracking));
    if (!m_editorMode) {
        if (Value.Contains(goAlwaysShowEditor))
            ShowEditor();
        else
            HideEditor();
    }
    if (Value.Contains(goRowSelect)) MoveCurrent(Col(), Row(), true, false);
    if (!Value.Contains(goEditing) || Value.Contains(goRowSelect)) HideEdit();
    InvalidateGrid();
}

void TCustomPrGrid::SetBorderStyle(TBorderStyle Value) {
    if (m_borderStyle == Value) return;
    m_borderStyle = Value;
    UpdateFrame();
}

void TCustomPrGrid::SetCtl3D(bool Value) {
    if (m_ctl3D == Value) return;
    m_ctl3D = Value;
    UpdateFrame();
    InvalidateGrid();
}

void TCustomPrGrid::UpdateFrame() {
    if (m_borderStyle == bsNone) {
        setFrameStyle(QFrame::NoFrame);
    } else {
        setFrameStyle(m_ctl3D ? (QFrame::StyledPanel | QFrame::Sunken)
                              : (QFrame::Box | QFrame::Plain));
        setLineWidth(1);
    }
}

void TCustomPrGrid::SetScrollBars(TScrollStyle Value) {
    m_scrollBars = Value;
    const bool horz = Value == ssHorizontal || Value == ssBoth;
    const bool vert = Value == ssVertical || Value == ssBoth;
    setHorizontalScrollBarPolicy(horz ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(vert ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    UpdateScrollRange();
}

void TCustomPrGrid::SetColor(TColor Value) {
    m_color = Value;
    m_parentColor = false;
    InvalidateGrid();
}

QColor TCustomPrGrid::PaintColor() const {
    if (m_parentColor && parentWidget())
        return parentWidget()->palette().color(parentWidget()->backgroundRole());
    return ColorToQColor(m_color, palette());
}

void TCustomPrGrid::SetParentColor(bool Value) {
    m_parentColor = Value;
    InvalidateGrid();
}

void TCustomPrGrid::SetFixedColor(TColor Value) {
    m_fixedColor = Value;
    InvalidateGrid();
}

void TCustomPrGrid::SetFontColor(TColor Value) {
    m_fontColor = Value;
    InvalidateGrid();
}

void TCustomPrGrid::SetDefaultDrawing(bool Value) {
    m_defaultDrawing = Value;
    InvalidateGrid();
}

void TCustomPrGrid::SetTabStop(bool Value) {
    m_tabStop = Value;
    UpdateFocusPolicy();
}

QMenu* TCustomPrGrid::PopupMenu() const {
    return m_popupMenuGuard ? m_popupMenu : nullptr;
}

void TCustomPrGrid::SetPopupMenu(QMenu* Value) {
    m_popupMenu = Value;
    m_popupMenuGuard = Value;
}

void TCustomPrGrid::UpdateFocusPolicy() {
    setFocusPolicy(m_tabStop ? Qt::StrongFocus : Qt::ClickFocus);
}

void TCustomPrGrid::setVisible(bool visible) {
    m_visibleProperty = visible;
    QAbstractScrollArea::setVisible(visible);
}

void TCustomPrGrid::SetStoredValue(const QString& Name, const QString& Value) {
    if (Value.isEmpty())
        m_storedValues.remove(Name);
    else
        m_storedValues.insert(Name, Value);
}

void TCustomPrGrid::SetDesigning(bool Value) {
    if (m_designing == Value) return;
    m_designing = Value;
    if (Value) HideEdit();
    InvalidateGrid();
}

// --- current cell, selection and scrolling -----------------------------------

void TCustomPrGrid::SetCol(int Value) {
    if (Col() != Value) FocusCell(Value, Row(), true);
}

void TCustomPrGrid::SetRow(int Value) {
    if (Row() != Value) FocusCell(Col(), Value, true);
}

TGridRect TCustomPrGrid::GetSelection() const {
    return NormalRect(m_current, m_anchor);
}

void TCustomPrGrid::SetSelection(const TGridRect& Value) {
    auto inRange = [this](int c, int r) {
        return c >= 0 && r >= 0 && c < m_colCount && r < m_rowCount;
    };
    if (!inRange(Value.Left, Value.Top) || !inRange(Value.Right, Value.Bottom))
        InvalidOp(SIndexOutOfRange);
    const TGridRect oldSel = GetSelection();
    const TGridCoord oldCurrent = m_current;
    m_anchor = TGridCoord{Value.Left, Value.Top};
    m_current = TGridCoord{Value.Right, Value.Bottom};
    SelectionMoved(oldSel);
    if (m_current != oldCurrent && m_inplaceEdit) UpdateEdit();
}

void TCustomPrGrid::SetTopRow(int Value) {
    if (Value < m_fixedRows || Value >= m_rowCount) InvalidOp(SIndexOutOfRange);
    if (m_topLeft.Y != Value) MoveTopLeft(m_topLeft.X, Value);
}

void TCustomPrGrid::SetLeftCol(int Value) {
    if (Value < m_fixedCols || Value >= m_colCount) InvalidOp(SIndexOutOfRange);
    if (m_topLeft.X != Value) MoveTopLeft(Value, m_topLeft.Y);
}

int TCustomPrGrid::VisibleColCount() const {
    TGridDrawInfo info;
    CalcDrawInfo(info);
    return info.Horz.LastFullVisibleCell - LeftCol() + 1;
}

int TCustomPrGrid::VisibleRowCount() const {
    TGridDrawInfo info;
    CalcDrawInfo(info);
    return info.Vert.LastFullVisibleCell - TopRow() + 1;
}

void TCustomPrGrid::MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show) {
    if (ACol < 0 || ARow < 0 || ACol >= m_colCount || ARow >= m_rowCount)
        InvalidOp(SIndexOutOfRange);
    if (!SelectCell(ACol, ARow)) return;
    const TGridRect oldSel = GetSelection();
    const TGridCoord oldCurrent = m_current;
    m_current = TGridCoord{ACol, ARow};
    if (!m_options.Contains(goAlwaysShowEditor)) HideEditor();
    if (MoveAnchor || !m_options.Contains(goRangeSelect)) {
        m_anchor = m_current;
        if (m_options.Contains(goRowSelect)) m_anchor.X = m_colCount - 1;
    }
    if (m_options.Contains(goRowSelect)) m_current.X = m_fixedCols;
    if (Show) ClampInView(m_current);
    SelectionMoved(oldSel);
    InvalidateCell(oldCurrent.X, oldCurrent.Y);
    InvalidateCell(m_current.X, m_current.Y);
}

void TCustomPrGrid::MoveAnchor(const TGridCoord& NewAnchor) {
    if ((m_options * TGridOptions{goRangeSelect, goEditing}) == TGridOptions{goRangeSelect}) {
        const TGridRect oldSel = GetSelection();
        m_anchor = NewAnchor;
        if (m_options.Contains(goRowSelect)) m_anchor.X = m_colCount - 1;
        ClampInView(NewAnchor);
        SelectionMoved(oldSel);
    } else {
        MoveCurrent(NewAnchor.X, NewAnchor.Y, true, true);
    }
}

void TCustomPrGrid::FocusCell(int ACol, int ARow, bool MoveAnchor) {
    MoveCurrent(ACol, ARow, MoveAnchor, true);
    UpdateEdit();
    Click();
}

void TCustomPrGrid::SelectionMoved(const TGridRect& OldSel) {
    const TGridRect newSel = GetSelection();
    if (newSel == OldSel) return;
    InvalidateRect(OldSel);
    InvalidateRect(newSel);
}

void TCustomPrGrid::MoveTopLeft(int ALeft, int ATop) {
    if (ALeft == m_topLeft.X && ATop == m_topLeft.Y) return;
    m_topLeft = TGridCoord{ALeft, ATop};
    UpdateScrollPos();
    InvalidateGrid();
    TopLeftChanged();
}

void TCustomPrGrid::ClampInView(const TGridCoord& Coord) {
    TGridDrawInfo info;
    CalcDrawInfo(info);
    if (Coord.X > info.Horz.LastFullVisibleCell || Coord.Y > info.Vert.LastFullVisibleCell ||
        Coord.X < LeftCol() || Coord.Y < TopRow()) {
        const TGridCoord maxTopLeft = CalcMaxTopLeft(Coord, info);
        TGridCoord topLeft = m_topLeft;
        if (Coord.X < LeftCol())
            topLeft.X = std::max(Coord.X, m_fixedCols);
        else if (Coord.X > info.Horz.LastFullVisibleCell)
            topLeft.X = maxTopLeft.X;
        if (Coord.Y < TopRow())
            topLeft.Y = std::max(Coord.Y, m_fixedRows);
        else if (Coord.Y > info.Vert.LastFullVisibleCell)
            topLeft.Y = maxTopLeft.Y;
        MoveTopLeft(topLeft.X, topLeft.Y);
    }
}

int TCustomPrGrid::NextCellTakingRoom(const TGridAxisDrawInfo& Axis, int From, int To,
                                      int Extra) const {
    const bool own =
        Axis.GetExtent == &TCustomPrGrid::GetRowHeightsFunc ? m_hasRowHeights : m_hasColWidths;
    if (!own) return From < To && (this->*Axis.GetExtent)(From) + Extra > 0 ? From : To;
    for (int i = From; i < To; ++i)
        if ((this->*Axis.GetExtent)(i) + Extra > 0) return i;
    return To;
}

int TCustomPrGrid::PrevCellTakingRoom(const TGridAxisDrawInfo& Axis, int From, int DownTo,
                                      int Extra) const {
    const bool own =
        Axis.GetExtent == &TCustomPrGrid::GetRowHeightsFunc ? m_hasRowHeights : m_hasColWidths;
    if (!own)
        return From >= DownTo && (this->*Axis.GetExtent)(From) + Extra > 0 ? From : DownTo - 1;
    for (int i = From; i >= DownTo; --i)
        if ((this->*Axis.GetExtent)(i) + Extra > 0) return i;
    return DownTo - 1;
}

TGridCoord TCustomPrGrid::CalcMaxTopLeft(const TGridCoord& Coord,
                                         const TGridDrawInfo& DrawInfo) const {
    auto calcMaxCell = [this](const TGridAxisDrawInfo& axis, int start) {
        int result = start;
        int line = axis.GridExtent + axis.EffectiveLineWidth;
        const int fixed = axis.FixedCellCount;
        // Only cells of a positive extent count.
        for (int i = PrevCellTakingRoom(axis, start, fixed, 0); i >= fixed;
             i = PrevCellTakingRoom(axis, i - 1, fixed, 0)) {
            line -= (this->*axis.GetExtent)(i) + axis.EffectiveLineWidth;
            if (line < axis.FixedBoundary) {
                if (result == start && (this->*axis.GetExtent)(start) <= 0) result = i;
                break;
            }
            result = i;
        }
        return std::max(result, fixed);
    };
    return TGridCoord{calcMaxCell(DrawInfo.Horz, Coord.X), calcMaxCell(DrawInfo.Vert, Coord.Y)};
}

void TCustomPrGrid::UpdateScrollRange() {
    if (!m_scrollTimer || m_updatingScrollBars) return;
    m_updatingScrollBars = true;
    TGridDrawInfo info;
    CalcDrawInfo(info);
    const TGridCoord maxTopLeft = CalcMaxTopLeft(TGridCoord{m_colCount - 1, m_rowCount - 1}, info);
    horizontalScrollBar()->setRange(0, std::max(0, maxTopLeft.X - m_fixedCols));
    verticalScrollBar()->setRange(0, std::max(0, maxTopLeft.Y - m_fixedRows));
    horizontalScrollBar()->setPageStep(
        std::max(1, info.Horz.LastFullVisibleCell - m_topLeft.X + 1));
    verticalScrollBar()->setPageStep(std::max(1, info.Vert.LastFullVisibleCell - m_topLeft.Y + 1));
    m_updatingScrollBars = false;
    TGridCoord topLeft = m_topLeft;
    if (topLeft.X > maxTopLeft.X) topLeft.X = std::max(m_fixedCols, maxTopLeft.X);
    if (topLeft.Y > maxTopLeft.Y) topLeft.Y = std::max(m_fixedRows, maxTopLeft.Y);
    if (topLeft != m_topLeft)
        MoveTopLeft(topLeft.X, topLeft.Y);
    else
        UpdateScrollPos();
}

void TCustomPrGrid::UpdateScrollPos() {
    if (!m_scrollTimer) return;
    const bool wasUpdating = m_updatingScrollBars;
    m_updatingScrollBars = true;
    horizontalScrollBar()->setValue(m_topLeft.X - m_fixedCols);
    verticalScrollBar()->setValue(m_topLeft.Y - m_fixedRows);
    m_updatingScrollBars = wasUpdating;
}

void TCustomPrGrid::scrollContentsBy(int, int) {
    if (m_updatingScrollBars) return;
    const int left = std::min(m_fixedCols + horizontalScrollBar()->value(), m_colCount - 1);
    const int top = std::min(m_fixedRows + verticalScrollBar()->value(), m_rowCount - 1);
    MoveTopLeft(left, top);
}

// --- geometry -----------------------------------------------------------------

void TCustomPrGrid::CalcFixedInfo(TGridDrawInfo& DrawInfo) const {
    auto calcFixedAxis = [this](TGridAxisDrawInfo& axis, TGridOptions lineOptions, int fixedCount,
                                int firstCell, int cellCount, TGetExtentsFunc getExtent) {
        axis.EffectiveLineWidth = (lineOptions * m_options).Empty() ? 0 : m_gridLineWidth;
        axis.FixedBoundary = 0;
        for (int i = 0; i < fixedCount && axis.FixedBoundary <= MaxFixedExtent; ++i)
            axis.FixedBoundary += std::max(0, (this->*getExtent)(i) + axis.EffectiveLineWidth);
        axis.FixedCellCount = fixedCount;
        axis.FirstGridCell = firstCell;
        axis.GridCellCount = cellCount;
        axis.GetExtent = getExtent;
    };
    calcFixedAxis(DrawInfo.Horz, TGridOptions{goFixedVertLine, goVertLine}, m_fixedCols, LeftCol(),
                  m_colCount, &TCustomPrGrid::GetColWidthsFunc);
    calcFixedAxis(DrawInfo.Vert, TGridOptions{goFixedHorzLine, goHorzLine}, m_fixedRows, TopRow(),
                  m_rowCount, &TCustomPrGrid::GetRowHeightsFunc);
}

void TCustomPrGrid::CalcDrawInfo(TGridDrawInfo& DrawInfo) const {
    // A hidden grid has no laid-out viewport yet: use its contents rectangle.
    const QSize client = isVisible() ? viewport()->size() : contentsRect().size();
    CalcDrawInfoXY(DrawInfo, client.width(), client.height());
}

void TCustomPrGrid::CalcDrawInfoXY(TGridDrawInfo& DrawInfo, int UseWidth, int UseHeight) const {
    auto calcAxis = [this](TGridAxisDrawInfo& axis, int useExtent) {
        axis.GridExtent = useExtent;
        axis.GridBoundary = axis.FixedBoundary;
        axis.FullVisBoundary = axis.FixedBoundary;
        axis.LastFullVisibleCell = axis.FirstGridCell;
        for (int i = axis.FirstGridCell; i < axis.GridCellCount; ++i) {
            const int step = std::max(0, (this->*axis.GetExtent)(i) + axis.EffectiveLineWidth);
            if (step == 0 && axis.GridBoundary <= axis.GridExtent + axis.EffectiveLineWidth) {
                // A run of cells that take no room is wholly visible.
                i = NextCellTakingRoom(axis, i, axis.GridCellCount, axis.EffectiveLineWidth) - 1;
                axis.LastFullVisibleCell = i;
                axis.FullVisBoundary = axis.GridBoundary;
                continue;
            }
            axis.GridBoundary += step;
            if (axis.GridBoundary > axis.GridExtent + axis.EffectiveLineWidth) {
                axis.GridBoundary = axis.GridExtent;
                break;
            }
            axis.LastFullVisibleCell = i;
            axis.FullVisBoundary = axis.GridBoundary;
        }
    };
    CalcFixedInfo(DrawInfo);
    calcAxis(DrawInfo.Horz, UseWidth);
    calcAxis(DrawInfo.Vert, UseHeight);
}

void TCustomPrGrid::GridRectToScreenRect(TGridRect GridRect, int& left, int& top, int& right,
                                         int& bottom, bool IncludeLine) const {
    left = top = right = bottom = 0;
    if (GridRect.Left > GridRect.Right || GridRect.Top > GridRect.Bottom) return;
    TGridDrawInfo info;
    CalcDrawInfo(info);

    auto linePos = [this](const TGridAxisDrawInfo& axis, int line) {
        int result = 0;
        int start;
        if (line < axis.FixedCellCount) {
            start = 0;
        } else {
            if (line >= axis.FirstGridCell) result = axis.FixedBoundary;
            start = axis.FirstGridCell;
        }
        for (int i = start; i < line; ++i) {
            if (result > axis.GridExtent) return 0;
            i = NextCellTakingRoom(axis, i, line, axis.EffectiveLineWidth);
            if (i >= line) break;
            result += (this->*axis.GetExtent)(i) + axis.EffectiveLineWidth;
            if (result > axis.GridExtent) return 0;
        }
        return result;
    };
    auto calcAxis = [&](const TGridAxisDrawInfo& axis, int rectMin, int rectMax, int& screenMin,
                        int& screenMax) {
        if (rectMin >= axis.FixedCellCount && rectMin < axis.FirstGridCell) {
            if (rectMax < axis.FirstGridCell) return false;
            rectMin = axis.FirstGridCell;
        }
        if (rectMax > axis.LastFullVisibleCell) {
            rectMax = axis.LastFullVisibleCell;
            if (rectMax < axis.GridCellCount - 1) ++rectMax;
            if (linePos(axis, rectMax) == 0) --rectMax;
        }
        screenMin = linePos(axis, rectMin);
        screenMax = linePos(axis, rectMax);
        if (screenMax == 0)
            screenMax = screenMin + std::max(0, (this->*axis.GetExtent)(rectMin));
        else
            screenMax += std::max(0, (this->*axis.GetExtent)(rectMax));
        if (screenMax > axis.GridExtent) screenMax = axis.GridExtent;
        if (IncludeLine) screenMax += axis.EffectiveLineWidth;
        return true;
    };

    if (GridRect.Left > info.Horz.LastFullVisibleCell + 1) return;
    if (GridRect.Top > info.Vert.LastFullVisibleCell + 1) return;
    int l = 0, t = 0, r = 0, b = 0;
    if (!calcAxis(info.Horz, GridRect.Left, GridRect.Right, l, r)) return;
    if (!calcAxis(info.Vert, GridRect.Top, GridRect.Bottom, t, b)) return;
    left = l;
    top = t;
    right = r;
    bottom = b;
}

QRect TCustomPrGrid::BoxRect(int ALeft, int ATop, int ARight, int ABottom) const {
    int l, t, r, b;
    GridRectToScreenRect(TGridRect{ALeft, ATop, ARight, ABottom}, l, t, r, b, false);
    if (r <= l || b <= t) return QRect();
    return QRect(QPoint(l, t), QPoint(r - 1, b - 1));
}

QRect TCustomPrGrid::CellRect(int ACol, int ARow) const {
    return BoxRect(ACol, ARow, ACol, ARow);
}

TGridCoord TCustomPrGrid::CalcCoordFromPoint(int X, int Y, const TGridDrawInfo& DrawInfo) const {
    auto doCalc = [this](const TGridAxisDrawInfo& axis, int n) {
        int start, stop, line;
        if (n < axis.FixedBoundary) {
            start = 0;
            stop = axis.FixedCellCount - 1;
            line = 0;
        } else {
            start = axis.FirstGridCell;
            stop = axis.GridCellCount - 1;
            line = axis.FixedBoundary;
        }
        if (n < 0 || n > MaxFixedExtent) return -1;
        for (int i = start; i <= stop; ++i) {
            // Cells that take no room cannot hold the point.
            i = NextCellTakingRoom(axis, i, stop + 1, axis.EffectiveLineWidth);
            if (i > stop) break;
            line += (this->*axis.GetExtent)(i) + axis.EffectiveLineWidth;
            if (n < line) return i;
        }
        return -1;
    };
    return TGridCoord{doCalc(DrawInfo.Horz, X), doCalc(DrawInfo.Vert, Y)};
}

TGridCoord TCustomPrGrid::MouseCoord(int X, int Y) const {
    TGridDrawInfo info;
    CalcDrawInfo(info);
    TGridCoord result = CalcCoordFromPoint(X, Y, info);
    if (result.X < 0)
        result.Y = -1;
    else if (result.Y < 0)
        result.X = -1;
    return result;
}

void TCustomPrGrid::MouseToCell(int X, int Y, int& ACol, int& ARow) const {
    const TGridCoord coord = MouseCoord(X, Y);
    ACol = coord.X;
    ARow = coord.Y;
}

// --- invalidation ---------------------------------------------------------------

void TCustomPrGrid::InvalidateRect(const TGridRect& ARect) {
    if (!isVisible()) return;
    int l, t, r, b;
    GridRectToScreenRect(ARect, l, t, r, b, true);
    if (r > l && b > t) viewport()->update(QRect(QPoint(l, t), QPoint(r - 1, b - 1)));
}

void TCustomPrGrid::InvalidateCell(int ACol, int ARow) {
    InvalidateRect(TGridRect{ACol, ARow, ACol, ARow});
}

void TCustomPrGrid::InvalidateRow(int ARow) {
    InvalidateRect(TGridRect{0, ARow, m_colCount - 1, ARow});
}

void TCustomPrGrid::InvalidateCol(int ACol) {
    InvalidateRect(TGridRect{ACol, 0, ACol, m_rowCount - 1});
}

void TCustomPrGrid::InvalidateGrid() {
    if (isVisible()) viewport()->update();
}

// --- the editor ---------------------------------------------------------------

TPropertyInplaceEdit* TCustomPrGrid::CreateEditor() {
    return new TPropertyInplaceEdit(this);
}

bool TCustomPrGrid::CanEditShow() {
    return (m_options * TGridOptions{goRowSelect, goEditing}) == TGridOptions{goEditing} &&
           m_editorMode && !m_designing && isVisible() &&
           (m_options.Contains(goAlwaysShowEditor) || IsActiveControl());
}

bool TCustomPrGrid::IsActiveControl() const {
    return FocusInside(QApplication::focusWidget());
}

bool TCustomPrGrid::FocusInside(const QWidget* w) const {
    if (!w) return false;
    if (w == this) return true;
    if (m_inplaceEdit && (w == m_inplaceEdit || m_inplaceEdit->isAncestorOf(w))) return true;
    return isAncestorOf(w);
}

void TCustomPrGrid::UpdateEdit() {
    if (!CanEditShow()) return;
    auto updateEditor = [this] {
        m_inplaceCol = Col();
        m_inplaceRow = Row();
        m_inplaceEdit->UpdateContents();
        m_canEditModify = m_inplaceEdit->MaxLength() != -1;
        m_inplaceEdit->selectAll();
    };
    if (!m_inplaceEdit) {
        // OnCellChange reaches the grid's handler once per change (through
        // the editor's Change), so the editor's own OnChange stays unbound.
        m_inplaceEdit = CreateEditor();
        m_inplaceEdit->SetGrid(this);
        updateEditor();
    } else if (Col() != m_inplaceCol || Row() != m_inplaceRow) {
        HideEdit();
        updateEditor();
    }
    if (CanEditShow()) m_inplaceEdit->Move(CellRect(Col(), Row()));
}

void TCustomPrGrid::UpdateText() {
    if (!m_inplaceEdit) return;
    if (m_inplaceCol != -1 && m_inplaceRow != -1)
        SetEditText(m_inplaceCol, m_inplaceRow, m_inplaceEdit->text());
    m_inplaceEdit->Change();
}

void TCustomPrGrid::HideEdit() {
    if (!m_inplaceEdit) return;
    try {
        UpdateText();
    } catch (...) {
        m_inplaceCol = -1;
        m_inplaceRow = -1;
        m_inplaceEdit->Hide();
        throw;
    }
    m_inplaceCol = -1;
    m_inplaceRow = -1;
    m_inplaceEdit->Hide();
}

void TCustomPrGrid::InvalidateEditor() {
    m_inplaceCol = -1;
    m_inplaceRow = -1;
    UpdateEdit();
}

void TCustomPrGrid::ShowEditor() {
    m_editorMode = true;
    UpdateEdit();
}

void TCustomPrGrid::HideEditor() {
    m_editorMode = false;
    HideEdit();
}

void TCustomPrGrid::SetEditorMode(bool Value) {
    if (!Value) {
        HideEditor();
    } else {
        ShowEditor();
        if (m_inplaceEdit) m_inplaceEdit->Deselect();
    }
}

void TCustomPrGrid::ShowEditorChar(QChar Ch) {
    ShowEditor();
    if (m_inplaceEdit && m_inplaceEdit->isVisible()) m_inplaceEdit->TypeChar(Ch);
}

TPropEditMode TCustomPrGrid::ColumnEditMode(int ACol) const {
    if (!m_propValues || ACol < 0 || ACol >= m_propValues->Count()) return emSimple;
    return m_propValues->GetCellValueProp(ACol)->EditMode();
}

void TCustomPrGrid::EditButtonClick() {
    if (OnEditButtonClick) OnEditButtonClick(this);
}

bool TCustomPrGrid::CanEditAcceptKey(QChar) {
    return true;
}

bool TCustomPrGrid::CanGridAcceptKey(int, Qt::KeyboardModifiers) {
    return true;
}

bool TCustomPrGrid::CanEditModify() {
    return m_canEditModify;
}

QString TCustomPrGrid::GetEditText(int, int) {
    return QString();
}

void TCustomPrGrid::SetEditText(int, int, const QString&) {}

QString TCustomPrGrid::GetEditMask(int, int) {
    return QString();
}

int TCustomPrGrid::GetEditLimit() {
    return 0;
}

bool TCustomPrGrid::SelectCell(int, int) {
    return true;
}

// --- rows and columns -------------------------------------------------------------

void TCustomPrGrid::MoveColumn(int FromIndex, int ToIndex) {
    if (FromIndex < 0 || FromIndex >= m_colCount || ToIndex < 0 || ToIndex >= m_colCount)
        InvalidOp(SIndexOutOfRange);
    if (FromIndex == ToIndex) return;
    if (m_hasColWidths) MoveExtent(m_colWidths, FromIndex, ToIndex);
    if (m_hasTabStops) MoveExtent(m_tabStops, FromIndex, ToIndex);
    MoveAdjust(m_current.X, FromIndex, ToIndex);
    MoveAdjust(m_anchor.X, FromIndex, ToIndex);
    MoveAdjust(m_inplaceCol, FromIndex, ToIndex);
    InvalidateRect(
        TGridRect{std::min(FromIndex, ToIndex), 0, std::max(FromIndex, ToIndex), m_rowCount - 1});
    ColumnMoved(FromIndex, ToIndex);
    if (m_hasColWidths) ColWidthsChanged();
    UpdateEdit();
}

void TCustomPrGrid::MoveRow(int FromIndex, int ToIndex) {
    if (FromIndex < 0 || FromIndex >= m_rowCount || ToIndex < 0 || ToIndex >= m_rowCount)
        InvalidOp(SIndexOutOfRange);
    if (FromIndex == ToIndex) return;
    if (m_hasRowHeights) MoveExtent(m_rowHeights, FromIndex, ToIndex);
    MoveAdjust(m_current.Y, FromIndex, ToIndex);
    MoveAdjust(m_anchor.Y, FromIndex, ToIndex);
    MoveAdjust(m_inplaceRow, FromIndex, ToIndex);
    InvalidateRect(
        TGridRect{0, std::min(FromIndex, ToIndex), m_colCount - 1, std::max(FromIndex, ToIndex)});
    RowMoved(FromIndex, ToIndex);
    if (m_hasRowHeights) RowHeightsChanged();
    UpdateEdit();
}

void TCustomPrGrid::DeleteColumn(int ACol) {
    MoveColumn(ACol, m_colCount - 1);
    SetColCount(m_colCount - 1);
}

void TCustomPrGrid::DeleteRow(int ARow) {
    MoveRow(ARow, m_rowCount - 1);
    SetRowCount(m_rowCount - 1);
}

void TCustomPrGrid::ColumnMoved(int, int) {}

void TCustomPrGrid::RowMoved(int, int) {}

void TCustomPrGrid::SizeChanged(int, int) {}

void TCustomPrGrid::TopLeftChanged() {
    if (m_editorMode && m_inplaceEdit) m_inplaceEdit->UpdateLoc(CellRect(Col(), Row()));
}

void TCustomPrGrid::ColWidthsChanged() {
    UpdateScrollRange();
    UpdateEdit();
}

void TCustomPrGrid::RowHeightsChanged() {
    UpdateScrollRange();
    UpdateEdit();
}

bool TCustomPrGrid::BeginColumnDrag(int&, int&, const QPoint&) {
    return true;
}

bool TCustomPrGrid::BeginRowDrag(int&, int&, const QPoint&) {
    return true;
}

bool TCustomPrGrid::CheckColumnDrag(int&, int&, const QPoint&) {
    return true;
}

bool TCustomPrGrid::CheckRowDrag(int&, int&, const QPoint&) {
    return true;
}

bool TCustomPrGrid::EndColumnDrag(int&, int&, const QPoint&) {
    return true;
}

bool TCustomPrGrid::EndRowDrag(int&, int&, const QPoint&) {
    return true;
}

// --- property columns ---------------------------------------------------------------

void TCustomPrGrid::SetPropValues(const TCellValueProps& Value) {
    m_propValues->Assign(Value);
    UpdateGrid();
}

void TCustomPrGrid::UpdateGrid() {
    if (m_propValues) SetColCount(m_propValues->Count());
    if (OnPropsUpdate) OnPropsUpdate(this);
    InvalidateGrid();
}

void TCustomPrGrid::UpdateProps() {
    if (!m_propValues) return;
    if (m_propValues->Count() > m_colCount) {
        m_propValues->BeginUpdate();
        while (m_propValues->Count() > m_colCount)
            m_propValues->Delete(m_propValues->Count() - 1);
        m_propValues->EndUpdate();
        SetColCount(m_propValues->Count());
    } else if (m_propValues->Count() < m_colCount) {
        // One definition per column: as for the extent arrays, there is a limit.
        if (m_colCount >= MaxGridExtents) InvalidOp(SGridTooLarge);
        m_propValues->BeginUpdate();
        while (m_propValues->Count() < m_colCount)
            m_propValues->Add();
        m_propValues->EndUpdate();
    }
}

} // namespace quillary
