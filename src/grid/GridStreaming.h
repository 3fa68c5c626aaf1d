#pragma once
// A TStringGridEx in a form file: its published properties in their fixed
// order (values equal to the default omitted), the property-column
// definitions as a collection, then the column widths and row heights when
// the grid keeps them. Cell contents are never stored.
//
// Loading applies the properties through the grid's setters in stream order,
// so RowCount synchronises the definitions, PropValues then replaces them in
// one step (ColCount := number of items, row 0 := labels), and the widths
// come last. Event handler names and values the widget only keeps (Align,
// PopupMenu, ...) are held in TCustomPrGrid::StoredValues().

#include "grid/FormStream.h"

#include <QByteArray>
#include <QString>
#include <memory>

class QWidget;

namespace quillary {

class TStringGridEx;

inline constexpr char StringGridExClassName[] = "TStringGridEx";

// With an ancestor, only what differs from it is written (keyword "inherited").
TFormObject GridToFormObject(const TStringGridEx& grid, const TStringGridEx* ancestor = nullptr);
QString WriteGridText(const TStringGridEx& grid, const TStringGridEx* ancestor = nullptr);
QByteArray WriteGridBinary(const TStringGridEx& grid, const TStringGridEx* ancestor = nullptr);

// Apply a stored form to an existing grid. Raise EParserError (malformed
// text) or EReadError (unknown property, wrong value, wrong list length).
void LoadGridFromForm(const TFormObject& form, TStringGridEx& grid);
void ReadGridText(const QString& text, TStringGridEx& grid);
void ReadGridBinary(const QByteArray& data, TStringGridEx& grid);
// Either encoding, told apart by the binary signature.
void ReadGrid(const QByteArray& data, TStringGridEx& grid);

// A new grid made from stored text; nothing is left behind on failure.
std::unique_ptr<TStringGridEx> CreateGridFromText(const QString& text, QWidget* parent = nullptr);

} // namespace quillary
