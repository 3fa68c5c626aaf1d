#pragma once
// TCustomPrGrid: the grid engine. A scroll area that paints its own cells and
// keeps the classic grid rules: fixed rows and columns, a current cell and an
// anchor spanning the selection, per-column widths and per-row heights kept
// only once one is set individually, scrolling by whole cells (TopRow and
// LeftCol), keyboard and mouse navigation, sizing and moving rows and columns
// with the mouse, and one in-place editor placed over the current cell. Every
// column is described by a property-column definition (PropValues) whose edit
// mode decides what the editor offers.
//
// Geometry is computed from the top-left cell onwards, so painting and hit
// tests cost the visible cells only, however many rows the grid has.
// Coordinates are those of the viewport (the client area).

#include "grid/CellValueProps.h"
#include "grid/GridTypes.h"

#include <QAbstractScrollArea>
#include <QMap>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <algorithm>
#include <memory>
#include <vector>

class QMenu;
class QPainter;
class QTimer;

namespace quillary {

class TPropertyInplaceEdit;
class TCustomPrGrid;
struct TFormValue;
struct TFormProperty;

using TGetExtentsFunc = int (TCustomPrGrid::*)(int Index) const;

struct TGridAxisDrawInfo {
    int EffectiveLineWidth = 0;
    int FixedBoundary = 0;
    int GridBoundary = 0;
    int GridExtent = 0;
    int LastFullVisibleCell = 0;
    int FullVisBoundary = 0;
    int FixedCellCount = 0;
    int FirstGridCell = 0;
    int GridCellCount = 0;
    TGetExtentsFunc GetExtent = nullptr;
};

struct TGridDrawInfo {
    TGridAxisDrawInfo Horz;
    TGridAxisDrawInfo Vert;
};

// Arrays of per-column or per-row values beyond this many entries are refused.
inline constexpr int MaxGridExtents = 134217726;
// Geometry takes no cell wider or taller than this, and stops adding fixed
// cells beyond the second bound, so that pixel sums stay within an int.
inline constexpr int MaxCellExtent = 1 << 24;
inline constexpr int MaxFixedExtent = 1 << 26;
inline constexpr int MaxGridLineWidth = 1000;

class TCustomPrGrid : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit TCustomPrGrid(QWidget* parent = nullptr);
    ~TCustomPrGrid() override;

    // --- counts and extents -------------------------------------------------
    int ColCount() const { return m_colCount; }
    void SetColCount(int Value);
    int RowCount() const { return m_rowCount; }
    void SetRowCount(int Value);
    int FixedCols() const { return m_fixedCols; }
    void SetFixedCols(int Value);
    int FixedRows() const { return m_fixedRows; }
    void SetFixedRows(int Value);
    // Row 0 is the fixed title row showing the column labels.
    bool FixedTitleRow() const { return m_fixedTitleRow; }
    void SetFixedTitleRow(bool Value);
    int DefaultColWidth() const { return m_defaultColWidth; }
    // Also discards the per-column widths.
    void SetDefaultColWidth(int Value);
    int DefaultRowHeight() const { return m_defaultRowHeight; }
    // Also discards the per-row heights.
    void SetDefaultRowHeight(int Value);
    // DefaultColWidth for a column without a width of its own.
    int ColWidths(int Index) const;
    void SetColWidths(int Index, int Value);
    int RowHeights(int Index) const;
    void SetRowHeights(int Index, int Value);
    bool TabStops(int Index) const;
    void SetTabStops(int Index, bool Value);
    // Whether per-column widths (per-row heights) are kept.
    bool HasColWidths() const { return m_hasColWidths; }
    bool HasRowHeights() const { return m_hasRowHeights; }
    int GridLineWidth() const { return m_gridLineWidth; }
    void SetGridLineWidth(int Value);

    // --- options and appearance ---------------------------------------------
    TGridOptions Options() const { return m_options; }
    void SetOptions(TGridOptions Value);
    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TScrollStyle ScrollBars() const { return m_scrollBars; }
    void SetScrollBars(TScrollStyle Value);
    TColor Color() const { return m_color; }
    void SetColor(TColor Value);
    // The colour painted: the parent's background when ParentColor is set.
    QColor PaintColor() const;
    bool ParentColor() const { return m_parentColor; }
    void SetParentColor(bool Value);
    TColor FixedColor() const { return m_fixedColor; }
    void SetFixedColor(TColor Value);
    TColor FontColor() const { return m_fontColor; }
    void SetFontColor(TColor Value);
    bool Ctl3D() const { return m_ctl3D; }
    void SetCtl3D(bool Value);
    bool DefaultDrawing() const { return m_defaultDrawing; }
    void SetDefaultDrawing(bool Value);
    bool TabStop() const { return m_tabStop; }
    void SetTabStop(bool Value);
    // Shown on a right click on the grid or its editor (not owned).
    QMenu* PopupMenu() const;
    void SetPopupMenu(QMenu* Value);
    // Design mode: sizing is always allowed, no editor, no focus rectangle.
    bool Designing() const { return m_designing; }
    void SetDesigning(bool Value);
    TGridOptions DesignOptionsBoost() const { return m_designOptionsBoost; }
    bool SaveCellExtents() const { return m_saveCellExtents; }
    void SetSaveCellExtents(bool Value) { m_saveCellExtents = Value; }
    // The Visible property: false only after an explicit hide.
    bool VisibleProperty() const { return m_visibleProperty; }
    void setVisible(bool visible) override;

    // Published values kept for the form file without acting on them here
    // (Align, Anchors, Cursor, event handler names, ...), in their stored
    // text form. An empty text removes the entry.
    const QMap<QString, QString>& StoredValues() const { return m_storedValues; }
    QString StoredValue(const QString& Name) const { return m_storedValues.value(Name); }
    void SetStoredValue(const QString& Name, const QString& Value);

    // --- current cell, selection, scrolling ----------------------------------
    int Col() const { return m_current.X; }
    void SetCol(int Value);
    int Row() const { return m_current.Y; }
    void SetRow(int Value);
    // The rectangle spanned by the current cell and the anchor.
    TGridRect GetSelection() const;
    // Anchor := top-left, current cell := bottom-right, without SelectCell.
    void SetSelection(const TGridRect& Value);
    TGridCoord Anchor() const { return m_anchor; }
    int TopRow() const { return m_topLeft.Y; }
    void SetTopRow(int Value);
    int LeftCol() const { return m_topLeft.X; }
    void SetLeftCol(int Value);
    int VisibleColCount() const;
    int VisibleRowCount() const;
    TGridState GridState() const { return m_gridState; }

    // --- geometry -----------------------------------------------------------
    void CalcDrawInfo(TGridDrawInfo& DrawInfo) const;
    void CalcDrawInfoXY(TGridDrawInfo& DrawInfo, int UseWidth, int UseHeight) const;
    void CalcFixedInfo(TGridDrawInfo& DrawInfo) const;
    // An empty rectangle when the cell is not on the screen.
    QRect CellRect(int ACol, int ARow) const;
    QRect BoxRect(int ALeft, int ATop, int ARight, int ABottom) const;
    // -1, -1 outside the cells.
    void MouseToCell(int X, int Y, int& ACol, int& ARow) const;
    TGridCoord MouseCoord(int X, int Y) const;

    // --- painting and the editor --------------------------------------------
    void InvalidateCell(int ACol, int ARow);
    void InvalidateRow(int ARow);
    void InvalidateCol(int ACol);
    void InvalidateGrid();
    void InvalidateRect(const TGridRect& ARect);
    // Forgets the editor's cell and places it again (reloading its contents).
    void InvalidateEditor();
    bool EditorMode() const { return m_editorMode; }
    void SetEditorMode(bool Value);
    void ShowEditor();
    void HideEditor();
    // Shows the editor and types `Ch` into it.
    void ShowEditorChar(QChar Ch);
    TPropertyInplaceEdit* InplaceEditor() const { return m_inplaceEdit; }
    int InplaceCol() const { return m_inplaceCol; }
    int InplaceRow() const { return m_inplaceRow; }
    // The painter while the grid paints (OnDrawCell draws with it), else null.
    QPainter* Canvas() const { return m_canvas; }

    // --- rows and columns ---------------------------------------------------
    void MoveColumn(int FromIndex, int ToIndex);
    void MoveRow(int FromIndex, int ToIndex);
    virtual void DeleteColumn(int ACol);
    virtual void DeleteRow(int ARow);

    // --- streaming of the defined properties ColWidths and RowHeights -------
    // Appends them to `props` while SaveCellExtents is set and the extents
    // are kept (with an ancestor: when they differ from the ancestor's).
    void DefineProperties(std::vector<TFormProperty>& props, const TCustomPrGrid* Ancestor) const;
    TFormValue WriteColWidths() const;
    // The list must hold exactly ColCount integers (EReadError otherwise).
    void ReadColWidths(const TFormValue& Value);
    TFormValue WriteRowHeights() const;
    void ReadRowHeights(const TFormValue& Value);

    // --- property columns ---------------------------------------------------
    TCellValueProps* PropValues() const { return m_propValues.get(); }
    void SetPropValues(const TCellValueProps& Value);
    // ColCount := number of definitions, then OnPropsUpdate, then repaint.
    void UpdateGrid();
    // Brings the number of definitions to ColCount.
    void UpdateProps();
    // The edit mode of column ACol (emSimple when it has no definition).
    TPropEditMode ColumnEditMode(int ACol) const;
    // Fires OnEditButtonClick with the grid as sender.
    void EditButtonClick();

    // --- editing hooks (the editor calls these) -----------------------------
    virtual bool CanEditAcceptKey(QChar Key);
    virtual bool CanGridAcceptKey(int Key, Qt::KeyboardModifiers Shift);
    virtual bool CanEditModify();
    virtual QString GetEditText(int ACol, int ARow);
    virtual void SetEditText(int ACol, int ARow, const QString& Value);
    virtual QString GetEditMask(int ACol, int ARow);
    virtual int GetEditLimit();
    // Keyboard handling of the grid (also reached from the editor).
    virtual void KeyDown(int& Key, Qt::KeyboardModifiers Shift);
    virtual void KeyPress(QChar& Key);
    virtual void KeyUp(int& Key, Qt::KeyboardModifiers Shift);
    virtual void Click();
    virtual void DblClick();
    virtual bool DoMouseWheelDown(Qt::KeyboardModifiers Shift, const QPoint& MousePos);
    virtual bool DoMouseWheelUp(Qt::KeyboardModifiers Shift, const QPoint& MousePos);
    // Adds `Delta` (eighths of a degree) and runs one wheel step per notch.
    void DoMouseWheel(int Delta, Qt::KeyboardModifiers Shift, const QPoint& MousePos);
    // The grid or its editor holds the keyboard focus.
    bool IsActiveControl() const;

    // --- events -------------------------------------------------------------
    TNotifyEvent OnEditButtonClick;
    TNotifyEvent OnCellChange;
    // Fired by UpdateGrid (a TStringGridEx refreshes the labels with it).
    TNotifyEvent OnPropsUpdate;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;

    // Interval of the scroll timer while dragging outside the cells.
    static constexpr int ScrollTimerInterval = 60;

protected:
    // Virtual operations, in the engine's order.
    virtual void CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos,
                                 int& SizingOfs, TGridDrawInfo& FixedInfo);
    virtual TPropertyInplaceEdit* CreateEditor();
    virtual bool CanEditShow();
    virtual void DrawCell(int ACol, int ARow, const QRect& ARect, TGridDrawState AState) = 0;
    virtual bool SelectCell(int ACol, int ARow);

    virtual void MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    virtual void MouseMove(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Shift, int X, int Y);
    virtual void MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    virtual void DoEnter();
    virtual void DoExit();
    virtual void ColumnMoved(int FromIndex, int ToIndex);
    virtual void RowMoved(int FromIndex, int ToIndex);
    virtual void SizeChanged(int OldColCount, int OldRowCount);
    virtual void TopLeftChanged();
    virtual void TimedScroll(TGridScrollDirection Direction);
    virtual void ColWidthsChanged();
    virtual void RowHeightsChanged();
    virtual bool BeginColumnDrag(int& Origin, int& Destination, const QPoint& MousePt);
    virtual bool BeginRowDrag(int& Origin, int& Destination, const QPoint& MousePt);
    virtual bool CheckColumnDrag(int& Origin, int& Destination, const QPoint& MousePt);
    virtual bool CheckRowDrag(int& Origin, int& Destination, const QPoint& MousePt);
    virtual bool EndColumnDrag(int& Origin, int& Destination, const QPoint& MousePt);
    virtual bool EndRowDrag(int& Origin, int& Destination, const QPoint& MousePt);
    // Paints the whole client area on Canvas().
    virtual void Paint();
    // Runs after every size change of the client area.
    virtual void Resize();

    // Qt events.
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void changeEvent(QEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    bool focusNextPrevChild(bool next) override;

    // Places the editor on the current cell when it may show (UpdateEdit).
    void UpdateEdit();
    // Writes the editor text into its cell, then runs the editor's Change.
    void UpdateText();
    void HideEdit();
    void MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show);
    void MoveAnchor(const TGridCoord& NewAnchor);
    void FocusCell(int ACol, int ARow, bool MoveAnchor);
    void MoveTopLeft(int ALeft, int ATop);
    void ClampInView(const TGridCoord& Coord);
    TGridCoord CalcMaxTopLeft(const TGridCoord& Coord, const TGridDrawInfo& DrawInfo) const;
    TGridCoord CalcCoordFromPoint(int X, int Y, const TGridDrawInfo& DrawInfo) const;
    void SelectionMoved(const TGridRect& OldSel);
    void UpdateScrollRange();
    void UpdateScrollPos();
    // Hands the focus from the editor (or the grid) to the next widget outside.
    void FocusOutside(bool next);

private:
    friend class TPropertyInplaceEdit;
    friend class TPopupListbox;

    // Where a navigation key takes the current and the top-left cell.
    struct TKeyMove;
    void MoveByControlKey(int Key, TKeyMove& move) const;
    void MoveByKey(int Key, Qt::KeyboardModifiers Shift, TKeyMove& move);
    // The next cell with a tab stop after `from`, in reading order, round
    // the grid; `from`'s column when no other column stops.
    TGridCoord NextTabStop(TGridCoord from, bool backwards) const;

    int GetColWidthsFunc(int Index) const { return std::min(ColWidths(Index), MaxCellExtent); }
    int GetRowHeightsFunc(int Index) const { return std::min(RowHeights(Index), MaxCellExtent); }
    // Cells whose extent plus Extra is not positive take no room, and the
    // walks over an axis step over runs of them at once: a stored grid may
    // hold two billion rows of height 0. Without extents of their own all
    // cells of an axis share the default, so no walk is needed then.
    // The first such cell in [From, To), else To:
    int NextCellTakingRoom(const TGridAxisDrawInfo& Axis, int From, int To, int Extra) const;
    // The last one in [DownTo, From], else DownTo - 1:
    int PrevCellTakingRoom(const TGridAxisDrawInfo& Axis, int From, int DownTo, int Extra) const;
    void InitializeCells();
    void ChangeSize(int NewColCount, int NewRowCount);
    void CheckExtentsSize(int NewColCount, int NewRowCount) const;
    void GridRectToScreenRect(TGridRect GridRect, int& left, int& top, int& right, int& bottom,
                              bool IncludeLine) const;
    void DrawCells(int ACol, int ARow, int StartX, int StartY, int StopX, int StopY,
                   const QColor& CellColor, TGridDrawState IncludeDrawState,
                   const TGridDrawInfo& DrawInfo, const TGridRect& Sel, bool Focused,
                   const QRect& Clip);
    void DrawLines(const TGridDrawInfo& DrawInfo, bool DoHorz, bool DoVert, int Col, int Row,
                   int StartX, int StartY, int StopX, int StopY, const QColor& OnColor,
                   const QColor& OffColor);
    void DrawOverlays(const TGridDrawInfo& DrawInfo);
    void MoveAndScroll(int Mouse, int CellHit, TGridDrawInfo& DrawInfo, bool Vertical,
                       const QPoint& MousePt);
    void OnScrollTimer();
    void StartScrollTimer();
    void StopScrollTimer();
    void UpdateFocusPolicy();
    void UpdateFrame();
    void UpdateCursor(int X, int Y);
    bool FocusInside(const QWidget* w) const;
    void FocusLeftGrid(Qt::FocusReason reason);

    // Set when a definition change runs UpdateGrid from inside UpdateProps.
    int m_colCount = 5;
    int m_rowCount = 5;
    int m_fixedCols = 1;
    int m_fixedRows = 0;
    bool m_fixedTitleRow = false;
    int m_defaultColWidth = 64;
    int m_defaultRowHeight = 24;
    std::vector<int> m_colWidths;
    bool m_hasColWidths = false;
    std::vector<char> m_tabStops;
    bool m_hasTabStops = false;
    std::vector<int> m_rowHeights;
    bool m_hasRowHeights = false;
    int m_gridLineWidth = 1;
    TGridOptions m_options;
    TGridOptions m_designOptionsBoost{goRowSizing, goColSizing};
    TBorderStyle m_borderStyle = bsNone;
    TScrollStyle m_scrollBars = ssBoth;
    TColor m_color = clWindow;
    bool m_parentColor = false;
    TColor m_fixedColor = clBtnFace;
    TColor m_fontColor = clWindowText;
    bool m_ctl3D = true;
    bool m_defaultDrawing = true;
    bool m_tabStop = true;
    bool m_designing = false;
    bool m_saveCellExtents = true;
    bool m_canEditModify = true;

    TGridCoord m_current;
    TGridCoord m_anchor;
    TGridCoord m_topLeft;
    TGridState m_gridState = gsNormal;
    int m_sizingIndex = -1;
    int m_sizingPos = 0;
    int m_sizingOfs = 0;
    int m_moveIndex = 0;
    int m_movePos = 0;
    QPoint m_hitTest;
    QPoint m_lastMouse;
    QPoint m_pressPoint;

    TPropertyInplaceEdit* m_inplaceEdit = nullptr;
    int m_inplaceCol = -1;
    int m_inplaceRow = -1;
    bool m_editorMode = false;
    std::unique_ptr<TCellValueProps> m_propValues;

    QTimer* m_scrollTimer = nullptr;
    QPainter* m_canvas = nullptr;
    QRect m_paintRect;
    int m_wheelAccumulator = 0;
    bool m_updatingScrollBars = false;
    bool m_inside = false; // focus is in the grid or its editor (for OnEnter/OnExit)
    bool m_visibleProperty = true;
    QMap<QString, QString> m_storedValues;
    QMenu* m_popupMenu = nullptr;
    QPointer<QObject> m_popupMenuGuard; // forgets the menu when it is deleted
};

} // namespace quillary
