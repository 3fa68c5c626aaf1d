#pragma once
// QueryDesign: the whole visual design as a plain value, without widgets.
// The designer form reads one from its canvas and pages and applies one back;
// SQL generation, the join clause, the designer state text and the rebuild
// from SQL text are functions of it. Grid rows are stored from data row 1 on
// (index 0 is grid row 1), every cell as the grid holds it, blank rows
// included, so that applying a design gives the grids back their row counts.

#include "sqltext/SqlDialect.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace quillary {

// One item of a box's field check list. Item 0 of every box is "*".
struct TDesignField {
    QString Name;
    int FieldType = 0; // TFieldType ordinal of the column
    bool Checked = false;
    bool operator==(const TDesignField&) const = default;
};

// A table, view ('V') or sub-query ('Q') box on the canvas.
struct TDesignBox {
    QString TableName;
    QString Alias;
    char Kind = 'T';
    QString SourceText; // the SELECT text of a view or sub-query
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    QList<TDesignField> Fields; // [0] is "*"

    // The alias when there is one, else the table name: the prefix of every
    // column designation of the box.
    QString GetTableName() const { return Alias.isEmpty() ? TableName : Alias; }
    bool operator==(const TDesignBox&) const = default;
};

// A join between row Row1 of box Table1 and row Row2 of box Table2 (indexes
// into QueryDesign::Boxes). A row of -1 marks a column that is missing.
struct TDesignLink {
    int Table1 = -1;
    int Table2 = -1;
    int Row1 = -1;
    int Row2 = -1;
    QString Field1;
    QString Field2;
    int JoinType = 0; // index into sOuterJoin: 0 inner, 1 left, 2 right, 3 full, 4-7 spellings
    // A further condition of the join, written after the column equality in
    // ON (an outer join keeps it there); empty when none.
    QString Condition;
    bool operator==(const TDesignLink&) const = default;
};

// An item of a check list: its text and its tick.
struct TCheckedItem {
    QString Text;
    bool Checked = false;
    bool operator==(const TCheckedItem&) const = default;
};

// A further statement joined to the main one by a set operator: what the
// union set component holds.
struct TUnionSet {
    QString SQL;
    QStringList SQLSet; // its own designer state text
    bool operator==(const TUnionSet&) const = default;
};

struct QueryDesign {
    // How the data source writes names: every column designation of the
    // design (box name + "." + column) writes the column through it. Table
    // names and aliases are kept as statements write them.
    TSqlDialect Dialect;

    // Canvas, in creation order.
    QList<TDesignBox> Boxes;
    QList<TDesignLink> Links;

    // Order page: candidates and chosen columns (each chosen item begins
    // with the descending marker; a tick means descending).
    QStringList OrderList;
    QList<TCheckedItem> OrderColumn;
    // Group page.
    QStringList GroupList;
    QStringList GroupColumn;
    // Column designations offered in column 0 of the two condition grids.
    QStringList ConditionPickList;

    // Grids, data rows only: 4 cells per condition and display row, 2 per
    // compute row.
    QList<QStringList> ConditionRows;
    QList<QStringList> HavingRows;
    QList<QStringList> ComputeRows;
    QList<QStringList> DisplayRows;

    bool Distinct = false;
    // Row limit (TOP n, LIMIT n OFFSET m); empty when none.
    QString RowLimit;
    QString RowOffset;

    // Union panel: grid rows from row 1 (4 cells: "(", name, ")", operator)
    // and the union sets in creation order.
    QList<QStringList> UnionRows;
    QList<TUnionSet> UnionSets;

    // The box whose GetTableName() equals `name` ignoring case, searching
    // from the last box to the first; -1 when none.
    int FindTable(const QString& name) const;

    bool operator==(const QueryDesign&) const = default;
};

// A column as statements write it: its name through the design's dialect
// ("*" as it is).
QString ColumnText(const QueryDesign& design, const QString& column);
// The designation of `column` of `box`: its GetTableName(), ".", ColumnText.
QString Designation(const QueryDesign& design, const TDesignBox& box, const QString& column);

// Whether both ends of a link name boxes of the design (links of a damaged
// design that do not are passed over).
bool HasBoxes(const QueryDesign& design, const TDesignLink& link);

// Grid rows as QueryDesign keeps them: `row` is the grid row (data from 1),
// `col` the column. Cells beyond the rows or the cells held read as empty.
QString GridCell(const QList<QStringList>& rows, int row, int col);
// The same cell without a copy; an empty text outside the grid.
const QString& GridCellText(const QList<QStringList>& rows, int row, int col);
// Writes one cell, adding rows of `width` empty cells (and cells to the row)
// as needed.
void SetGridCell(QList<QStringList>& rows, int row, int col, const QString& text, int width);
// Grows `rows` to at least `count` data rows of `width` empty cells.
void EnsureGridRows(QList<QStringList>& rows, int count, int width);

// Cells per row of the grids.
inline constexpr int kConditionWidth = 4;
inline constexpr int kComputeWidth = 2;
inline constexpr int kDisplayWidth = 4;
inline constexpr int kUnionWidth = 4;

} // namespace quillary
