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

class QWidget;

namespace quillary::test {

// Shows `w` as an active window and gives it the focus.
void ShowActive(QWidget* w);

// A top-level grid of the given size, shown, active and focused.
std::unique_ptr<TStringGridEx> ShownGrid(int cols, int rows, int width = 400, int height = 300);

// Centre of a cell in viewport coordinates.
QPoint CellCenter(const TCustomPrGrid& grid, int col, int row);

// Input as the window system routes it: to the widget holding the focus.
void PressKey(int key, Qt::KeyboardModifiers mods = Qt::NoModifier);
void TypeText(const QString& text);
void ClickCell(TCustomPrGrid& grid, int col, int row, Qt::KeyboardModifiers mods = Qt::NoModifier);

// The strings of column `col` in rows first..last.
QStringList ColumnTexts(const TStringGridEx& grid, int col, int first, int last);
// Fills column `col` from row `first` with `texts`.
void FillColumn(TStringGridEx& grid, int col, int first, const QStringList& texts);

} // namespace quillary::test
