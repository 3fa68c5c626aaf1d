#include "query/QueryDesign.h"

namespace quillary {

int QueryDesign::FindTable(const QString& name) const {
    for (qsizetype i = Boxes.size() - 1; i >= 0; --i)
        if (Boxes[i].GetTableName().compare(name, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

QString ColumnText(const QueryDesign& design, const QString& column) {
    return column == QLatin1String("*") ? column : design.Dialect.Name(column);
}

QString Designation(const QueryDesign& design, const TDesignBox& box, const QString& column) {
    return box.GetTableName() + QLatin1Char('.') + ColumnText(design, column);
}

bool HasBoxes(const QueryDesign& design, const TDesignLink& link) {
    const qsizetype n = design.Boxes.size();
    return link.Table1 >= 0 && link.Table1 < n && link.Table2 >= 0 && link.Table2 < n;
}

const QString& GridCellText(const QList<QStringList>& rows, int row, int col) {
    static const QString none;
    if (row < 1 || row > rows.size() || col < 0) return none;
    const QStringList& cells = rows[row - 1];
    return col < cells.size() ? cells[col] : none;
}

QString GridCell(const QList<QStringList>& rows, int row, int col) {
    return GridCellText(rows, row, col);
}

void SetGridCell(QList<QStringList>& rows, int row, int col, const QString& text, int width) {
    if (row < 1 || col < 0) return;
    EnsureGridRows(rows, row, width);
    QStringList& cells = rows[row - 1];
    while (cells.size() <= col)
        cells.append(QString());
    cells[col] = text;
}

void EnsureGridRows(QList<QStringList>& rows, int count, int width) {
    if (rows.size() >= count) return;
    rows.reserve(count);
    const QStringList blank(width, QString());
    while (rows.size() < count)
        rows.append(blank);
}

} // namespace quillary
