// The result page's commands beyond showing rows: sorting by a column
// header (the statement runs again with that order, so only the rows in
// view are read), copying the selected cells and exporting every row as
// CSV.
#include "db/ADOQuery.h"
#include "db/DatabaseError.h"
#include "db/QueryModel.h"
#include "designer/Frm_Quillary.h"
#include "platform/Clipboard.h"
#include "platform/TextFile.h"
#include "platform/UserInteraction.h"
#include "sqltext/Common.h"

#include <QAction>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMap>
#include <QTableView>
#include <QToolButton>

namespace quillary {

namespace {

// One field of a CSV line: quoted when it holds a separator, a quote or a
// line break.
QString CsvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// A cell as one field of a tab-separated line.
QString TabField(QString text) {
    for (QChar& c : text)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    return text;
}

} // namespace

void TFrm_Quillary::ConnectResultPage() {
    QHeaderView* header = DBGrid1->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    connect(header, &QHeaderView::sectionClicked, this, &TFrm_Quillary::SortResultBy);
    auto* copy = new QAction(DBGrid1);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    DBGrid1->addAction(copy);
    connect(copy, &QAction::triggered, this, &TFrm_Quillary::CopyResultCells);
    connect(BtnExport, &QToolButton::clicked, this, &TFrm_Quillary::ExportResultClick);
}

void TFrm_Quillary::SortResultBy(int column) {
    if (!ResQuery->Active() || column < 0) return;
    const QString shown = ResQuery->SQL().join(QLatin1Char('\n'));
    if (shown != m_sortedSql) { // another statement since the last sort
        m_sortBase = shown;
        m_sortColumn = -1;
    }
    const bool descending = column == m_sortColumn && !m_sortDescending;
    QString base = TrimSQLElement(m_sortBase);
    while (base.endsWith(QLatin1Char(';')))
        base = TrimSQLElement(base.chopped(1));
    const QString sql = QStringLiteral("select * from (") + base +
                        QStringLiteral(") quillary_rows order by ") + QString::number(column + 1) +
                        (descending ? QStringLiteral(" desc") : QString());
    ResQuery->Close();
    ResQuery->SQL() = QStringList{sql};
    try {
        ResQuery->Open();
    } catch (const EDatabaseError& e) {
        // The rows as they were, and the reason.
        ResQuery->SQL() = QStringList{m_sortBase};
        try {
            ResQuery->Open();
        } catch (const EDatabaseError&) {
        }
        m_sortedSql.clear();
        Ui().MessageBox(e.Message(), QStringLiteral("提示"));
        return;
    }
    m_sortedSql = sql;
    m_sortColumn = column;
    m_sortDescending = descending;
    DBGrid1->horizontalHeader()->setSortIndicator(column, descending ? Qt::DescendingOrder
                                                                      : Qt::AscendingOrder);
    UpdateFetchedRows();
}

void TFrm_Quillary::CopyResultCells() {
    const QModelIndexList selected = DBGrid1->selectionModel()->selectedIndexes();
    if (selected.isEmpty()) return;
    // The block that holds the selection, row by row; cells outside the
    // selection stay empty.
    QMap<int, QMap<int, QString>> cells;
    int first = selected.first().column(), last = first;
    for (const QModelIndex& index : selected) {
        cells[index.row()][index.column()] = TabField(index.data().toString());
        first = std::min(first, index.column());
        last = std::max(last, index.column());
    }
    QStringList lines;
    for (const QMap<int, QString>& row : std::as_const(cells)) {
        QStringList fields;
        for (int c = first; c <= last; ++c)
            fields << row.value(c);
        lines << fields.join(QLatin1Char('\t'));
    }
    TClipboard::SetAsText(lines.join(QLatin1Char('\n')));
}

void TFrm_Quillary::ExportResultClick() {
    if (!ResQuery->Active()) return;
    QString path = Ui().SaveFileName(this, QStringLiteral("导出"),
                                     QStringLiteral("CSV 文件 (*.csv)"), QString());
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".csv");
    while (DataSource1->canFetchMore({}))
        DataSource1->fetchMore({});
    // UTF-8 with a byte-order mark: spreadsheets then read the names right.
    QString text(QChar(0xFEFF));
    const int columns = DataSource1->columnCount();
    QStringList fields;
    for (int c = 0; c < columns; ++c)
        fields << CsvField(DataSource1->headerData(c, Qt::Horizontal).toString());
    text += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    for (int r = 0; r < DataSource1->rowCount(); ++r) {
        fields.clear();
        for (int c = 0; c < columns; ++c)
            fields << CsvField(DataSource1->index(r, c).data().toString());
        text += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    UpdateFetchedRows();
    QString error;
    if (!WriteTextFile(path, text, &error))
        Ui().MessageBox(QStringLiteral("无法导出到“") + path + QStringLiteral("”：") + error,
                        QStringLiteral("提示"));
}

} // namespace quillary
