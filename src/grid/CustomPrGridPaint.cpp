// Painting: grid lines, the four cell areas (fixed corner, fixed row, fixed
// column, scrollable cells) with their draw states, the focus rectangle and
// the sizing and moving marks. Only the cells on the screen are visited.
#include "grid/CustomPrGrid.h"

#include "grid/PropertyInplaceEdit.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace quillary {

namespace {

void DrawFocusRect(QPainter& canvas, const QRect& r, const QColor& color) {
    if (r.width() < 2 || r.height() < 2) return;
    canvas.save();
    QPen pen(color, 1, Qt::DotLine);
    pen.setCosmetic(true);
    canvas.setPen(pen);
    canvas.setBrush(Qt::NoBrush);
    canvas.drawRect(r.adjusted(0, 0, -1, -1));
    canvas.restore();
}

} // namespace

void TCustomPrGrid::paintEvent(QPaintEvent* e) {
    QPainter painter(viewport());
    m_canvas = &painter;
    m_paintRect = e->rect();
    try {
        Paint();
    } catch (const std::exception& ex) {
        // A failing draw handler must not take the event loop down.
        qWarning("TCustomPrGrid: painting failed: %s", ex.what());
    }
    m_canvas = nullptr;
}

void TCustomPrGrid::Paint() {
    if (!m_canvas) return;
    QPainter& canvas = *m_canvas;
    if (m_paintRect.isEmpty()) m_paintRect = viewport()->rect();
    TGridDrawInfo info;
    CalcDrawInfo(info);
    const QColor color = PaintColor();
    const QColor fixedColor = ColorToQColor(m_fixedColor, palette());

    if (info.Horz.EffectiveLineWidth > 0 || info.Vert.EffectiveLineWidth > 0) {
        QColor lineColor = ColorToQColor(clSilver, palette());
        if (color == lineColor) lineColor = ColorToQColor(clGray, palette());
        const QColor fixedLine = ColorToQColor(clBlack, palette());
        const bool fh = m_options.Contains(goFixedHorzLine);
        const bool fv = m_options.Contains(goFixedVertLine);
        DrawLines(info, fh, fv, 0, 0, 0, 0, info.Horz.FixedBoundary, info.Vert.FixedBoundary,
                  fixedLine, fixedColor);
        DrawLines(info, fh, fv, LeftCol(), 0, info.Horz.FixedBoundary, 0, info.Horz.GridBoundary,
                  info.Vert.FixedBoundary, fixedLine, fixedColor);
        DrawLines(info, fh, fv, 0, TopRow(), 0, info.Vert.FixedBoundary, info.Horz.FixedBoundary,
                  info.Vert.GridBoundary, fixedLine, fixedColor);
        DrawLines(info, m_options.Contains(goHorzLine), m_options.Contains(goVertLine), LeftCol(),
                  TopRow(), info.Horz.FixedBoundary, info.Vert.FixedBoundary,
                  info.Horz.GridBoundary, info.Vert.GridBoundary, lineColor, color);
    }

    const TGridRect sel = GetSelection();
    const bool focused = IsActiveControl();
    const QRect clip = m_paintRect;
    DrawCells(0, 0, 0, 0, info.Horz.FixedBoundary, info.Vert.FixedBoundary, fixedColor,
              TGridDrawState{gdFixed}, info, sel, focused, clip);
    DrawCells(LeftCol(), 0, info.Horz.FixedBoundary, 0, info.Horz.GridBoundary,
              info.Vert.FixedBoundary, fixedColor, TGridDrawState{gdFixed}, info, sel, focused,
              clip);
    DrawCells(0, TopRow(), 0, info.Vert.FixedBoundary, info.Horz.FixedBoundary,
              info.Vert.GridBoundary, fixedColor, TGridDrawState{gdFixed}, info, sel, focused,
              clip);
    DrawCells(LeftCol(), TopRow(), info.Horz.FixedBoundary, info.Vert.FixedBoundary,
              info.Horz.GridBoundary, info.Vert.GridBoundary, color, TGridDrawState{}, info, sel,
              focused, clip);

    if (!m_designing && m_options.Contains(goRowSelect) && m_defaultDrawing && focused) {
        const QRect r = BoxRect(sel.Left, sel.Top, sel.Right, sel.Bottom);
        if (!r.isEmpty()) DrawFocusRect(canvas, r, palette().color(QPalette::HighlightedText));
    }

    // The area not covered by cells.
    if (info.Horz.GridBoundary < info.Horz.GridExtent)
        canvas.fillRect(QRect(info.Horz.GridBoundary, 0,
                              info.Horz.GridExtent - info.Horz.GridBoundary,
                              info.Vert.GridBoundary),
                        color);
    if (info.Vert.GridBoundary < info.Vert.GridExtent)
        canvas.fillRect(QRect(0, info.Vert.GridBoundary, info.Horz.GridExtent,
                              info.Vert.GridExtent - info.Vert.GridBoundary),
                        color);
    DrawOverlays(info);
}

void TCustomPrGrid::DrawLines(const TGridDrawInfo& DrawInfo, bool DoHorz, bool DoVert, int Col,
                              int Row, int StartX, int StartY, int StopX, int StopY,
                              const QColor& OnColor, const QColor& OffColor) {
    if (StartX == StopX || StartY == StopY) return;
    QPainter& canvas = *m_canvas;
    // Lines after each cell of one axis, as bands of the line width. The
    // fixed part ends with the fixed cells, the scrollable part with the
    // last cell that is wholly visible.
    auto drawAxis = [&](const TGridAxisDrawInfo& axis, int cell, bool vertical, bool on) {
        const int lw = axis.EffectiveLineWidth;
        if (lw == 0) return;
        const QColor& pen = on ? OnColor : OffColor;
        const bool fixedPart = cell < axis.FixedCellCount;
        const int lastCell = fixedPart ? axis.FixedCellCount - 1
                                       : std::min(axis.LastFullVisibleCell, axis.GridCellCount - 1);
        int pos = vertical ? StartX : StartY;
        const int stopMajor = (vertical ? StopX : StopY) + lw;
        for (; cell <= lastCell; ++cell) {
            const int extent = (this->*axis.GetExtent)(cell);
            if (extent + lw <= 0) {
                cell = NextCellTakingRoom(axis, cell, lastCell + 1, lw) - 1;
                continue;
            }
            const int line = pos + std::max(0, extent);
            if (line > stopMajor) break;
            if (vertical)
                canvas.fillRect(QRect(line, StartY, lw, StopY - StartY), pen);
            else
                canvas.fillRect(QRect(StartX, line, StopX - StartX, lw), pen);
            pos = line + lw;
        }
    };
    // The lines that are switched on are drawn last, so they win at crossings.
    if (!DoHorz) {
        drawAxis(DrawInfo.Vert, Row, false, DoHorz);
        drawAxis(DrawInfo.Horz, Col, true, DoVert);
    } else {
        drawAxis(DrawInfo.Horz, Col, true, DoVert);
        drawAxis(DrawInfo.Vert, Row, false, DoHorz);
    }
}

void TCustomPrGrid::DrawCells(int ACol, int ARow, int StartX, int StartY, int StopX, int StopY,
                              const QColor& CellColor, TGridDrawState IncludeDrawState,
                              const TGridDrawInfo& DrawInfo, const TGridRect& Sel, bool Focused,
                              const QRect& Clip) {
    QPainter& canvas = *m_canvas;
    const bool fixedVert = m_options.Contains(goFixedVertLine);
    const bool fixedHorz = m_options.Contains(goFixedHorzLine);
    const QColor highlight = ColorToQColor(clHighlight, palette());
    const QColor highlightText = ColorToQColor(clHighlightText, palette());
    const QColor fontColor = ColorToQColor(m_fontColor, palette());
    const QColor light = ColorToQColor(clBtnHighlight, palette());
    const QColor shadow = ColorToQColor(clBtnShadow, palette());
    const QColor focusColor = ColorToQColor(clWindowText, palette());

    int curRow = ARow;
    int top = StartY;
    const int vertLine = DrawInfo.Vert.EffectiveLineWidth;
    const int horzLine = DrawInfo.Horz.EffectiveLineWidth;
    while (top < StopY && curRow < m_rowCount) {
        // Rows and columns that take no room draw nothing and move nothing.
        if (vertLine == 0) {
            curRow = NextCellTakingRoom(DrawInfo.Vert, curRow, m_rowCount, 0);
            if (curRow >= m_rowCount) break;
        }
        const int rowHeight = GetRowHeightsFunc(curRow);
        const int bottom = top + std::max(0, rowHeight);
        int curCol = ACol;
        int left = StartX;
        while (left < StopX && curCol < m_colCount) {
            if (horzLine == 0) {
                curCol = NextCellTakingRoom(DrawInfo.Horz, curCol, m_colCount, 0);
                if (curCol >= m_colCount) break;
            }
            const int right = left + std::max(0, GetColWidthsFunc(curCol));
            const QRect where(QPoint(left, top), QPoint(right - 1, bottom - 1));
            if (right > left && bottom > top && Clip.intersects(where)) {
                TGridDrawState state = IncludeDrawState;
                if (Focused && curRow == Row() && curCol == Col()) state.Include(gdFocused);
                if (Sel.Contains(curCol, curRow)) state.Include(gdSelected);
                const bool editorCovers = state.Contains(gdFocused) &&
                                          m_options.Contains(goEditing) && m_editorMode &&
                                          !m_designing;
                if (!editorCovers) {
                    QColor textColor = fontColor;
                    if (m_defaultDrawing || m_designing) {
                        QColor fill = CellColor;
                        if (state.Contains(gdSelected) &&
                            (!state.Contains(gdFocused) ||
                             !(m_options * TGridOptions{goDrawFocusSelected, goRowSelect})
                                  .Empty())) {
                            fill = highlight;
                            textColor = highlightText;
                        }
                        canvas.fillRect(where, fill);
                    }
                    canvas.save();
                    canvas.setFont(font());
                    canvas.setPen(textColor);
                    DrawCell(curCol, curRow, where, state);
                    canvas.restore();
                    if (m_defaultDrawing && state.Contains(gdFixed) && m_ctl3D &&
                        (fixedVert || fixedHorz)) {
                        // Raised edges: light on the top/left, shadow on the bottom/right.
                        QRect r = where;
                        if (!fixedVert)
                            r.setRight(r.right() + DrawInfo.Horz.EffectiveLineWidth);
                        else if (!fixedHorz)
                            r.setBottom(r.bottom() + DrawInfo.Vert.EffectiveLineWidth);
                        if (fixedVert) {
                            canvas.fillRect(QRect(r.left(), r.top(), 1, r.height()), light);
                            canvas.fillRect(QRect(r.right(), r.top(), 1, r.height()), shadow);
                        }
                        if (fixedHorz) {
                            canvas.fillRect(QRect(r.left(), r.top(), r.width(), 1), light);
                            canvas.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), shadow);
                        }
                    }
                    if (m_defaultDrawing && !m_designing && state.Contains(gdFocused) &&
                        (m_options * TGridOptions{goEditing, goAlwaysShowEditor}) !=
                            TGridOptions{goEditing, goAlwaysShowEditor} &&
                        !m_options.Contains(goRowSelect) && ColumnEditMode(curCol) != emNoEdit)
                        DrawFocusRect(canvas, where,
                                      state.Contains(gdSelected) ? textColor : focusColor);
                }
            }
            left = right + DrawInfo.Horz.EffectiveLineWidth;
            ++curCol;
        }
        top = bottom + DrawInfo.Vert.EffectiveLineWidth;
        ++curRow;
    }
}

void TCustomPrGrid::DrawOverlays(const TGridDrawInfo& DrawInfo) {
    QPainter& canvas = *m_canvas;
    const QColor markColor = ColorToQColor(clBlack, palette());
    if (m_gridState == gsColSizing || m_gridState == gsRowSizing) {
        const int width = std::max(1, m_gridLineWidth);
        if (m_gridState == gsColSizing)
            canvas.fillRect(QRect(m_sizingPos - width / 2, 0, width, DrawInfo.Vert.GridExtent),
                            markColor);
        else
            canvas.fillRect(QRect(0, m_sizingPos - width / 2, DrawInfo.Horz.GridExtent, width),
                            markColor);
    } else if (m_gridState == gsRowMoving || m_gridState == gsColMoving) {
        QPen pen(markColor, 5, Qt::DotLine);
        canvas.save();
        canvas.setPen(pen);
        if (m_gridState == gsRowMoving) {
            const QRect r = CellRect(0, m_movePos);
            if (!r.isEmpty()) {
                const int pos = m_movePos > m_moveIndex ? r.bottom() + 1 : r.top();
                canvas.drawLine(0, pos, DrawInfo.Horz.GridExtent, pos);
            }
        } else {
            const QRect r = CellRect(m_movePos, 0);
            if (!r.isEmpty()) {
                const int pos = m_movePos > m_moveIndex ? r.right() + 1 : r.left();
                canvas.drawLine(pos, 0, pos, DrawInfo.Vert.GridExtent);
            }
        }
        canvas.restore();
    }
}

} // namespace quillary
