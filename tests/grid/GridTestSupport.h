#pragma once
// Helpers for the grid tests: a grid shown in an active window (so that it
// can take the keyboard focus), cell positions, and key and mouse input sent
// the way the window system would send it.

#include "grid/PropertyInplaceEdit.h"
#include "grid/StringGridEx.h"

#include "QtPrinters.h"
#include <QPoint>
#include <QStringList>
#include <memory>
#include <ostream>

class QWidget;

namespace quillary {
inline void PrintTo(const TGridCoord& c, std::ostream* os) {
    *os << "(" << c.X << "," << c.Y << ")";
}
inline void PrintTo(const TGridRect& r, std::ostream* os) {
    *os << "[" << r.Left << "," << r.Top << " - " << r.Right << "," << r.Bottom << "]";
}
} // namespace quillary

namespace quillary::test {

// Shows `w` as an active window and gives it the focus.
void ShowActive(QWidget* w);

// A top-level grid of the given size, shown, active and focused.
std::unique_ptr<TStringGridEx> ShownGrid(int cols, int rows, int width = 400, int height = 300);

// Centre of a cell in viewport coordinates.
QPoint CellCenter(const TCustomPrGrid& grid, int col, int row);
// The current cell as (Col, Row).
inline TGridCoord Current(const TCustomPrGrid& grid) {
    return {grid.Col(), grid.Row()};
}
// The point on the line right of a header cell's column, or below a fixed
// cell's row.
QPoint ColLine(const TCustomPrGrid& grid, int col);
QPoint RowLine(const TCustomPrGrid& grid, int row);

// Input as the window system routes it: to the widget holding the focus.
void PressKey(int key, Qt::KeyboardModifiers mods = Qt::NoModifier);
void TypeText(const QString& text);
void ClickCell(TCustomPrGrid& grid, int col, int row, Qt::KeyboardModifiers mods = Qt::NoModifier);
// Press at `from`, move to `to` and release there with the left button.
void Drag(QWidget* w, QPoint from, QPoint to);

// The strings of column `col` in rows first..last.
QStringList ColumnTexts(const TStringGridEx& grid, int col, int first, int last);
// Fills column `col` from row `first` with `texts`.
void FillColumn(TStringGridEx& grid, int col, int first, const QStringList& texts);

} // namespace quillary::test
