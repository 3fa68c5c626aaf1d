// The engine's keyboard, mouse, wheel and focus handling: navigation, range
// selection, the scroll timer while dragging outside the cells, sizing and
// moving rows and columns with the mouse.
#include "grid/CustomPrGrid.h"

#include "grid/PropertyInplaceEdit.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>

namespace quillary {

namespace {

constexpr int WheelDelta = 120;

Qt::KeyboardModifiers ShiftState(Qt::KeyboardModifiers mods) {
    return mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
}

bool IsTypingChar(QChar ch, Qt::KeyboardModifiers mods) {
    // Ctrl or Alt alone make commands; together they may be AltGr.
    const bool ctrl = mods.testFlag(Qt::ControlModifier);
    const bool alt = mods.testFlag(Qt::AltModifier);
    if (ctrl != alt) return false;
    return ch == QLatin1Char('\b') || (ch.unicode() >= 32 && ch.unicode() != 127);
}

} // namespace

// --- keyboard -------------------------------------------------------------------

bool TCustomPrGrid::event(QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        const bool tab = k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab;
        if (tab && !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) &&
            m_options.Contains(goTabs)) {
            keyPressEvent(k);
            return true;
        }
    }
    return QAbstractScrollArea::event(e);
}

bool TCustomPrGrid::focusNextPrevChild(bool next) {
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void TCustomPrGrid::FocusOutside(bool next) {
    // Walk the focus chain past the grid and its children.
    QWidget* w = next ? nextInFocusChain() : previousInFocusChain();
    while (w && w != this) {
        const bool candidate = !FocusInside(w) && (w->focusPolicy() & Qt::TabFocus) &&
                               w->isVisible() && w->isEnabled() && w->window() == window();
        if (candidate) {
            w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return;
        }
        w = next ? w->nextInFocusChain() : w->previousInFocusChain();
    }
}

void TCustomPrGrid::keyPressEvent(QKeyEvent* e) {
    int key = e->key();
    Qt::KeyboardModifiers mods = ShiftState(e->modifiers());
    if (key == Qt::Key_Backtab) {
        key = Qt::Key_Tab;
        mods |= Qt::ShiftModifier;
    }
    KeyDown(key, mods);
    const QString text = e->text();
    if (!text.isEmpty()) {
        QChar ch = text.at(0);
        if (m_options.Contains(goEditing) && IsTypingChar(ch, mods)) {
            ShowEditorChar(ch);
        } else {
            KeyPress(ch);
        }
    }
    e->accept();
}

void TCustomPrGrid::keyReleaseEvent(QKeyEvent* e) {
    int key = e->key();
    KeyUp(key, ShiftState(e->modifiers()));
    e->accept();
}

void TCustomPrGrid::inputMethodEvent(QInputMethodEvent* e) {
    // Text composed by an input method is typing too: open the editor for it.
    if (m_options.Contains(goEditing) && !e->commitString().isEmpty()) {
        ShowEditor();
        if (m_inplaceEdit && m_inplaceEdit->isVisible()) {
            QCoreApplication::sendEvent(m_inplaceEdit, e);
            return;
        }
    }
    QAbstractScrollArea::inputMethodEvent(e);
}

void TCustomPrGrid::KeyUp(int& Key, Qt::KeyboardModifiers Shift) {
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

struct TCustomPrGrid::TKeyMove {
    TGridCoord Current;
    TGridCoord TopLeft;
    int PageWidth = 1;  // fully visible columns
    int PageHeight = 1; // fully visible rows
    int LastVisibleRow = 0;
    bool RowSelect = false;
    bool MoveAnchor = true; // false: the selection grows to the new cell
};

// With Ctrl: the view scrolls by a row or a page of columns; Page Up/Down
// go to the first or last visible row, Home and End to the grid's corners.
void TCustomPrGrid::MoveByControlKey(int Key, TKeyMove& move) const {
    switch (Key) {
    case Qt::Key_Up:
        --move.TopLeft.Y;
        break;
    case Qt::Key_Down:
        ++move.TopLeft.Y;
        break;
    case Qt::Key_Left:
        if (!move.RowSelect) {
            move.Current.X -= move.PageWidth;
            move.TopLeft.X -= move.PageWidth;
        }
        break;
    case Qt::Key_Right:
        if (!move.RowSelect) {
            move.Current.X += move.PageWidth;
            move.TopLeft.X += move.PageWidth;
        }
        break;
    case Qt::Key_PageUp:
        move.Current.Y = TopRow();
        break;
    case Qt::Key_PageDown:
        move.Current.Y = move.LastVisibleRow;
        break;
    case Qt::Key_Home:
        move.Current = TGridCoord{m_fixedCols, m_fixedRows};
        break;
    case Qt::Key_End:
        move.Current = TGridCoord{m_colCount - 1, m_rowCount - 1};
        break;
    default:
        break;
    }
}

// Without Ctrl: the current cell moves by a cell or a page; with whole
// rows selected, left and right scroll instead; Tab goes to the next tab
// stop; F2 opens the editor.
void TCustomPrGrid::MoveByKey(int Key, Qt::KeyboardModifiers Shift, TKeyMove& move) {
    int& column = move.RowSelect ? move.TopLeft.X : move.Current.X;
    switch (Key) {
    case Qt::Key_Up:
        --move.Current.Y;
        break;
    case Qt::Key_Down:
        ++move.Current.Y;
        break;
    case Qt::Key_Left:
        --column;
        break;
    case Qt::Key_Right:
        ++column;
        break;
    case Qt::Key_PageDown:
        move.Current.Y += move.PageHeight;
        move.TopLeft.Y += move.PageHeight;
        break;
    case Qt::Key_PageUp:
        move.Current.Y -= move.PageHeight;
        move.TopLeft.Y -= move.PageHeight;
        break;
    case Qt::Key_Home:
        column = m_fixedCols;
        break;
    case Qt::Key_End:
        column = m_colCount - 1;
        break;
    case Qt::Key_Tab:
        if (!Shift.testFlag(Qt::AltModifier)) {
            move.Current = NextTabStop(move.Current, Shift.testFlag(Qt::ShiftModifier));
            // Tabbing moves the cell, it never extends the selection.
            move.MoveAnchor = true;
        }
        break;
    case Qt::Key_F2:
        SetEditorMode(true);
        break;
    default:
        break;
    }
}

TGridCoord TCustomPrGrid::NextTabStop(TGridCoord from, bool backwards) const {
    TGridCoord next = from;
    do {
        if (backwards) {
            if (--next.X < m_fixedCols) {
                next.X = m_colCount - 1;
                if (--next.Y < m_fixedRows) next.Y = m_rowCount - 1;
            }
        } else if (++next.X >= m_colCount) {
            next.X = m_fixedCols;
            if (++next.Y >= m_rowCount) next.Y = m_fixedRows;
        }
    } while (!TabStops(next.X) && next.X != from.X);
    return next;
}

void TCustomPrGrid::KeyDown(int& Key, Qt::KeyboardModifiers Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
    if (!CanGridAcceptKey(Key, Shift)) Key = 0;
    TGridDrawInfo info;
    CalcDrawInfo(info);
    TKeyMove move;
    move.Current = m_current;
    move.TopLeft = m_topLeft;
    move.PageWidth = std::max(1, info.Horz.LastFullVisibleCell - LeftCol());
    move.PageHeight = std::max(1, info.Vert.LastFullVisibleCell - TopRow());
    move.LastVisibleRow = info.Vert.LastFullVisibleCell;
    move.RowSelect = m_options.Contains(goRowSelect);
    move.MoveAnchor = !Shift.testFlag(Qt::ShiftModifier);
    if (Shift.testFlag(Qt::ControlModifier))
        MoveByControlKey(Key, move);
    else
        MoveByKey(Key, Shift, move);

    const TGridCoord maxTopLeft = CalcMaxTopLeft(TGridCoord{m_colCount - 1, m_rowCount - 1}, info);
    TGridCoord topLeft = move.TopLeft;
    topLeft.X = std::clamp(topLeft.X, m_fixedCols, std::max(m_fixedCols, maxTopLeft.X));
    topLeft.Y = std::clamp(topLeft.Y, m_fixedRows, std::max(m_fixedRows, maxTopLeft.Y));
    if (topLeft != m_topLeft) MoveTopLeft(topLeft.X, topLeft.Y);
    TGridCoord current = move.Current;
    current.X = std::clamp(current.X, m_fixedCols, m_colCount - 1);
    current.Y = std::clamp(current.Y, m_fixedRows, m_rowCount - 1);
    if (current != m_current) FocusCell(current.X, current.Y, move.MoveAnchor);
}

void TCustomPrGrid::KeyPress(QChar& Key) {
    if (OnKeyPress) OnKeyPress(this, Key);
    if (!m_options.Contains(goAlwaysShowEditor) && Key == QLatin1Char('\r')) {
        if (m_editorMode)
            HideEditor();
        else
            ShowEditor();
        Key = QChar();
    }
}

void TCustomPrGrid::Click() {
    if (OnClick) OnClick(this);
}

void TCustomPrGrid::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

// --- mouse ------------------------------------------------------------------------

void TCustomPrGrid::mousePressEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    m_lastMouse = p;
    m_hitTest = p;
    m_pressPoint = p;
    MouseDown(e->button(), ShiftState(e->modifiers()), p.x(), p.y());
    // A press on the editor shortly after this one counts as a double click.
    if (e->button() == Qt::LeftButton && m_inplaceEdit)
        m_inplaceEdit->NoteGridPress(e->timestamp());
    e->accept();
}

void TCustomPrGrid::mouseDoubleClickEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    m_lastMouse = p;
    // The press of this second click has already been handled.
    if (e->button() == Qt::LeftButton) DblClick();
    e->accept();
}

void TCustomPrGrid::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    m_lastMouse = p;
    m_hitTest = p;
    MouseMove(e->buttons(), ShiftState(e->modifiers()), p.x(), p.y());
    e->accept();
}

void TCustomPrGrid::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    m_lastMouse = p;
    MouseUp(e->button(), ShiftState(e->modifiers()), p.x(), p.y());
    e->accept();
}

void TCustomPrGrid::MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
    HideEdit();
    if (!m_designing && isEnabled() && focusPolicy() != Qt::NoFocus && !IsActiveControl())
        setFocus(Qt::MouseFocusReason);
    if (Button == Qt::LeftButton) {
        TGridDrawInfo info;
        CalcDrawInfo(info);
        CalcSizingState(X, Y, m_gridState, m_sizingIndex, m_sizingPos, m_sizingOfs, info);
        if (m_gridState != gsNormal) {
            viewport()->update();
        } else {
            const TGridCoord hit = CalcCoordFromPoint(X, Y, info);
            if (hit.X >= m_fixedCols && hit.Y >= m_fixedRows) {
                if (m_options.Contains(goEditing)) {
                    if (hit == m_current) {
                        ShowEditor();
                    } else {
                        MoveCurrent(hit.X, hit.Y, true, true);
                        UpdateEdit();
                    }
                    Click();
                } else {
                    m_gridState = gsSelecting;
                    StartScrollTimer();
                    if (Shift.testFlag(Qt::ShiftModifier))
                        MoveAnchor(hit);
                    else
                        MoveCurrent(hit.X, hit.Y, true, true);
                }
            } else if (m_options.Contains(goRowMoving) && hit.X >= 0 && hit.X < m_fixedCols &&
                       hit.Y >= m_fixedRows) {
                m_moveIndex = hit.Y;
                m_movePos = m_moveIndex;
                if (BeginRowDrag(m_moveIndex, m_movePos, QPoint(X, Y))) {
                    m_gridState = gsRowMoving;
                    viewport()->update();
                    StartScrollTimer();
                }
            } else if (m_options.Contains(goColMoving) && hit.Y >= 0 && hit.Y < m_fixedRows &&
                       hit.X >= m_fixedCols) {
                m_moveIndex = hit.X;
                m_movePos = m_moveIndex;
                if (BeginColumnDrag(m_moveIndex, m_movePos, QPoint(X, Y))) {
                    m_gridState = gsColMoving;
                    viewport()->update();
                    StartScrollTimer();
                }
            }
        }
    }
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TCustomPrGrid::MouseMove(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Shift, int X, int Y) {
    TGridDrawInfo info;
    CalcDrawInfo(info);
    switch (m_gridState) {
    case gsSelecting: {
        const TGridCoord hit = CalcCoordFromPoint(X, Y, info);
        if (hit.X >= m_fixedCols && hit.Y >= m_fixedRows && hit.X < m_colCount &&
            hit.Y < m_rowCount && hit.X <= info.Horz.LastFullVisibleCell + 1 &&
            hit.Y <= info.Vert.LastFullVisibleCell + 1 && hit != m_anchor)
            MoveAnchor(hit);
        break;
    }
    case gsColMoving: {
        const TGridCoord hit = CalcCoordFromPoint(X, Y, info);
        MoveAndScroll(X, hit.X, info, false, QPoint(X, Y));
        break;
    }
    case gsRowMoving: {
        const TGridCoord hit = CalcCoordFromPoint(X, Y, info);
        MoveAndScroll(Y, hit.Y, info, true, QPoint(X, Y));
        break;
    }
    case gsRowSizing:
    case gsColSizing:
        m_sizingPos = (m_gridState == gsRowSizing ? Y : X) + m_sizingOfs;
        viewport()->update();
        break;
    case gsNormal:
        UpdateCursor(X, Y);
        break;
    }
    if (OnMouseMove) OnMouseMove(this, Buttons, Shift, X, Y);
}

void TCustomPrGrid::MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
    const TGridState state = Button == Qt::LeftButton ? m_gridState : gsNormal;
    auto resizeLine = [this](const TGridAxisDrawInfo& axis) {
        int result = axis.FixedBoundary;
        for (int i = axis.FirstGridCell; i < m_sizingIndex; ++i) {
            i = NextCellTakingRoom(axis, i, m_sizingIndex, axis.EffectiveLineWidth);
            if (i >= m_sizingIndex) break;
            result += (this->*axis.GetExtent)(i) + axis.EffectiveLineWidth;
        }
        return m_sizingPos - result;
    };
    try {
        switch (state) {
        case gsSelecting:
            // A click that scrolled a half-visible cell into view must not
            // then extend the selection to the cell now under the pointer.
            if (QPoint(X, Y) != m_pressPoint) MouseMove(Qt::NoButton, Shift, X, Y);
            StopScrollTimer();
            m_gridState = gsNormal;
            UpdateEdit();
            Click();
            break;
        case gsRowSizing:
        case gsColSizing: {
            TGridDrawInfo info;
            CalcDrawInfo(info);
            m_gridState = gsNormal;
            viewport()->update();
            if (state == gsColSizing) {
                const int newSize = resizeLine(info.Horz);
                if (newSize > 1 && m_sizingIndex >= 0 && m_sizingIndex < m_colCount)
                    SetColWidths(m_sizingIndex, newSize);
            } else {
                const int newSize = resizeLine(info.Vert);
                if (newSize > 1 && m_sizingIndex >= 0 && m_sizingIndex < m_rowCount)
                    SetRowHeights(m_sizingIndex, newSize);
            }
            break;
        }
        case gsColMoving:
            StopScrollTimer();
            m_gridState = gsNormal;
            viewport()->update();
            if (EndColumnDrag(m_moveIndex, m_movePos, QPoint(X, Y)) && m_moveIndex != m_movePos)
                MoveColumn(m_moveIndex, m_movePos);
            UpdateEdit();
            break;
        case gsRowMoving:
            StopScrollTimer();
            m_gridState = gsNormal;
            viewport()->update();
            if (EndRowDrag(m_moveIndex, m_movePos, QPoint(X, Y)) && m_moveIndex != m_movePos)
                MoveRow(m_moveIndex, m_movePos);
            UpdateEdit();
            break;
        case gsNormal:
            UpdateEdit();
            break;
        }
        if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
    } catch (...) {
        m_gridState = gsNormal;
        StopScrollTimer();
        throw;
    }
    // Another button let go during a left-button drag does not end the drag.
    if (Button == Qt::LeftButton) m_gridState = gsNormal;
}

void TCustomPrGrid::MoveAndScroll(int Mouse, int CellHit, TGridDrawInfo& DrawInfo, bool Vertical,
                                  const QPoint& MousePt) {
    TGridAxisDrawInfo& axis = Vertical ? DrawInfo.Vert : DrawInfo.Horz;
    if (CellHit == m_movePos) return;
    if (m_movePos == axis.FixedCellCount && Mouse < axis.FixedBoundary) return;
    if (m_movePos == axis.GridCellCount - 1 && Mouse > axis.GridBoundary) return;
    if (Mouse < axis.FixedBoundary) {
        if (m_movePos > axis.FixedCellCount) {
            if (Vertical && TopRow() > m_fixedRows)
                MoveTopLeft(LeftCol(), TopRow() - 1);
            else if (!Vertical && LeftCol() > m_fixedCols)
                MoveTopLeft(LeftCol() - 1, TopRow());
            CalcDrawInfo(DrawInfo);
        }
        CellHit = axis.FirstGridCell;
    } else if (Mouse >= axis.FullVisBoundary) {
        if (m_movePos == axis.LastFullVisibleCell && m_movePos < axis.GridCellCount - 1) {
            const TGridCoord maxTopLeft =
                CalcMaxTopLeft(TGridCoord{m_colCount - 1, m_rowCount - 1}, DrawInfo);
            if (Vertical && TopRow() < maxTopLeft.Y)
                MoveTopLeft(LeftCol(), TopRow() + 1);
            else if (!Vertical && LeftCol() < maxTopLeft.X)
                MoveTopLeft(LeftCol() + 1, TopRow());
            CalcDrawInfo(DrawInfo);
        }
        CellHit = axis.LastFullVisibleCell;
    } else if (CellHit < 0) {
        CellHit = m_movePos;
    }
    CellHit = std::clamp(CellHit, axis.FixedCellCount, axis.GridCellCount - 1);
    const bool accepted = Vertical ? CheckRowDrag(m_moveIndex, CellHit, MousePt)
                                   : CheckColumnDrag(m_moveIndex, CellHit, MousePt);
    if (accepted) m_movePos = CellHit;
    viewport()->update();
}

void TCustomPrGrid::CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos,
                                    int& SizingOfs, TGridDrawInfo& FixedInfo) {
    State = gsNormal;
    Index = -1;
    TGridOptions options = m_options;
    if (m_designing) options = options + m_designOptionsBoost;
    if ((options * TGridOptions{goColSizing, goRowSizing}).Empty()) return;

    auto calcAxisState = [&](const TGridAxisDrawInfo& axis, int pos, TGridState newState) {
        int line = axis.FixedBoundary;
        int range = axis.EffectiveLineWidth;
        int back = 0;
        if (range < 7) {
            range = 7;
            back = (range - axis.EffectiveLineWidth) >> 1;
        }
        for (int i = axis.FirstGridCell; i < axis.GridCellCount; ++i) {
            const int lineBefore = line;
            line += std::max(0, (this->*axis.GetExtent)(i));
            if (line > axis.GridBoundary) break;
            if (pos >= line - back && pos <= line - back + range) {
                State = newState;
                SizingPos = line;
                SizingOfs = line - pos;
                Index = i;
                return;
            }
            line += axis.EffectiveLineWidth;
            // Further cells that take no room would repeat this test.
            if (line == lineBefore) i = NextCellTakingRoom(axis, i + 1, axis.GridCellCount, 0) - 1;
        }
        if (axis.GridBoundary == axis.GridExtent && pos >= axis.GridExtent - back &&
            pos <= axis.GridExtent) {
            State = newState;
            SizingPos = axis.GridExtent;
            SizingOfs = axis.GridExtent - pos;
            Index = axis.LastFullVisibleCell + 1;
        }
    };

    if (X > FixedInfo.Horz.FixedBoundary && options.Contains(goColSizing)) {
        if (Y >= FixedInfo.Vert.FixedBoundary) return;
        calcAxisState(FixedInfo.Horz, X, gsColSizing);
    } else if (Y > FixedInfo.Vert.FixedBoundary && options.Contains(goRowSizing)) {
        if (X >= FixedInfo.Horz.FixedBoundary) return;
        calcAxisState(FixedInfo.Vert, Y, gsRowSizing);
    }
}

void TCustomPrGrid::UpdateCursor(int X, int Y) {
    TGridDrawInfo info;
    CalcDrawInfo(info);
    TGridState state;
    int index, pos, ofs;
    CalcSizingState(X, Y, state, index, pos, ofs, info);
    if (state == gsColSizing)
        viewport()->setCursor(Qt::SplitHCursor);
    else if (state == gsRowSizing)
        viewport()->setCursor(Qt::SplitVCursor);
    else
        viewport()->unsetCursor();
}

// --- the scroll timer ---------------------------------------------------------------

void TCustomPrGrid::StartScrollTimer() {
    m_scrollTimer->start();
}

void TCustomPrGrid::StopScrollTimer() {
    m_scrollTimer->stop();
}

void TCustomPrGrid::OnScrollTimer() {
    if (m_gridState != gsSelecting && m_gridState != gsRowMoving && m_gridState != gsColMoving) {
        StopScrollTimer();
        return;
    }
    const QPoint point = m_lastMouse;
    TGridDrawInfo info;
    CalcDrawInfo(info);
    const TGridCoord hit = CalcCoordFromPoint(point.x(), point.y(), info);
    switch (m_gridState) {
    case gsColMoving:
        MoveAndScroll(point.x(), hit.X, info, false, point);
        break;
    case gsRowMoving:
        MoveAndScroll(point.y(), hit.Y, info, true, point);
        break;
    case gsSelecting: {
        TGridScrollDirection direction;
        if (point.x() < info.Horz.FixedBoundary)
            direction.Include(sdLeft);
        else if (point.x() > info.Horz.FullVisBoundary)
            direction.Include(sdRight);
        if (point.y() < info.Vert.FixedBoundary)
            direction.Include(sdUp);
        else if (point.y() > info.Vert.FullVisBoundary)
            direction.Include(sdDown);
        if (!direction.Empty()) TimedScroll(direction);
        break;
    }
    default:
        break;
    }
}

void TCustomPrGrid::TimedScroll(TGridScrollDirection Direction) {
    TGridCoord newAnchor = m_anchor;
    if (Direction.Contains(sdLeft) && m_anchor.X > m_fixedCols) --newAnchor.X;
    if (Direction.Contains(sdRight) && m_anchor.X < m_colCount - 1) ++newAnchor.X;
    if (Direction.Contains(sdUp) && m_anchor.Y > m_fixedRows) --newAnchor.Y;
    if (Direction.Contains(sdDown) && m_anchor.Y < m_rowCount - 1) ++newAnchor.Y;
    if (newAnchor != m_anchor) MoveAnchor(newAnchor);
}

// --- wheel --------------------------------------------------------------------------

void TCustomPrGrid::wheelEvent(QWheelEvent* e) {
    DoMouseWheel(e->angleDelta().y(), ShiftState(e->modifiers()), e->position().toPoint());
    e->accept();
}

void TCustomPrGrid::DoMouseWheel(int Delta, Qt::KeyboardModifiers Shift, const QPoint& MousePos) {
    m_wheelAccumulator += Delta;
    while (std::abs(m_wheelAccumulator) >= WheelDelta) {
        if (m_wheelAccumulator < 0) {
            m_wheelAccumulator += WheelDelta;
            DoMouseWheelDown(Shift, MousePos);
        } else {
            m_wheelAccumulator -= WheelDelta;
            DoMouseWheelUp(Shift, MousePos);
        }
    }
}

bool TCustomPrGrid::DoMouseWheelDown(Qt::KeyboardModifiers Shift, const QPoint& MousePos) {
    bool handled = false;
    if (OnMouseWheelDown) OnMouseWheelDown(this, Shift, MousePos, handled);
    if (!handled) {
        if (Row() < m_rowCount - 1) SetRow(Row() + 1);
        handled = true;
    }
    return handled;
}

bool TCustomPrGrid::DoMouseWheelUp(Qt::KeyboardModifiers Shift, const QPoint& MousePos) {
    bool handled = false;
    if (OnMouseWheelUp) OnMouseWheelUp(this, Shift, MousePos, handled);
    if (!handled) {
        if (Row() > m_fixedRows) SetRow(Row() - 1);
        handled = true;
    }
    return handled;
}

// --- focus and size -------------------------------------------------------------------

void TCustomPrGrid::focusInEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusInEvent(e);
    if (!m_inside) {
        m_inside = true;
        DoEnter();
    }
    if (m_inplaceEdit && m_inplaceEdit->HandingFocusBack()) return;
    InvalidateRect(GetSelection());
    UpdateEdit();
}

void TCustomPrGrid::focusOutEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusOutEvent(e);
    InvalidateRect(GetSelection());
    const Qt::FocusReason reason = e->reason();
    if (m_inplaceEdit && QApplication::focusWidget() != m_inplaceEdit &&
        reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
        m_inplaceEdit->Hide();
    FocusLeftGrid(reason);
}

void TCustomPrGrid::FocusLeftGrid(Qt::FocusReason reason) {
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason) return;
    if (!m_inside || FocusInside(QApplication::focusWidget())) return;
    m_inside = false;
    DoExit();
}

void TCustomPrGrid::DoEnter() {
    if (OnEnter) OnEnter(this);
}

void TCustomPrGrid::DoExit() {
    if (!m_options.Contains(goAlwaysShowEditor)) HideEditor();
    if (OnExit) OnExit(this);
}

void TCustomPrGrid::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    UpdateScrollRange();
    if (m_inplaceEdit) UpdateEdit();
    Resize();
}

void TCustomPrGrid::Resize() {}

void TCustomPrGrid::showEvent(QShowEvent* e) {
    QAbstractScrollArea::showEvent(e);
    UpdateScrollRange();
    UpdateEdit();
}

void TCustomPrGrid::contextMenuEvent(QContextMenuEvent* e) {
    if (PopupMenu() && !m_designing) {
        PopupMenu()->popup(e->globalPos());
        e->accept();
        return;
    }
    QAbstractScrollArea::contextMenuEvent(e);
}

void TCustomPrGrid::changeEvent(QEvent* e) {
    QAbstractScrollArea::changeEvent(e);
    if (e->type() == QEvent::FontChange || e->type() == QEvent::PaletteChange) {
        InvalidateGrid();
        if (m_inplaceEdit) m_inplaceEdit->setFont(font());
    } else if (e->type() == QEvent::EnabledChange && !isEnabled()) {
        HideEdit();
    }
}

} // namespace quillary
