#include "designer/AutoLink.h"
#include "designer/CanvasHost.h"
#include "query/Links.h"
#include "designer/QBArea.h"
#include "designer/QBLbx.h"
#include "designer/QBLink.h"
#include "designer/QBTable.h"
#include "designer/QuillaryDialog.h"
#include "query/QueryDesign.h"

#include <QAction>
#include <QMenu>

namespace quillary {

namespace {

// The latest placed box other than `except` that shows `table` of `schema`
// (sub-queries name no table).
int BoxOf(const QList<TQBTable*>& boxes, const TQBTable* except, const QString& schema,
          const QString& table, bool visible) {
    for (qsizetype i = boxes.size() - 1; i >= 0; --i)
        if (boxes[i] != except && boxes[i]->Kind != 'Q' &&
            dialect::NamesTable(boxes[i]->TableName, schema, table, visible))
            return int(i);
    return -1;
}

} // namespace

QList<TQBLink*> LinkByForeignKeys(TQBArea* canvas, TQBTable* box,
                                  const QList<dialect::TForeignKey>& keys) {
    QList<TQBLink*> made;
    const QList<TQBTable*> boxes = canvas->Tables();
    const int placed = int(boxes.indexOf(box));
    if (placed < 0) return made;
    QueryDesign design;
    canvas->ReadDesign(design);
    for (const dialect::TForeignKey& key : keys) {
        // The box already there comes first, as if its column had been
        // dragged onto the new box.
        int other = -1;
        bool placedRefers = false;
        if (dialect::NamesTable(box->TableName, key.RefSchema, key.RefTable, key.RefVisible))
            other = BoxOf(boxes, box, key.Schema, key.Table, key.Visible);
        if (other < 0 && dialect::NamesTable(box->TableName, key.Schema, key.Table, key.Visible)) {
            other = BoxOf(boxes, box, key.RefSchema, key.RefTable, key.RefVisible);
            placedRefers = true;
        }
        if (other < 0 || key.Columns.isEmpty()) continue;
        const QStringList& otherColumns = placedRefers ? key.RefColumns : key.Columns;
        const QStringList& placedColumns = placedRefers ? key.Columns : key.RefColumns;
        // Judged whole first: a key is linked completely or not at all.
        QList<TDesignLink> links = design.Links;
        QList<std::pair<int, int>> rows;
        bool refused = false;
        for (qsizetype i = 0; i < otherColumns.size() && !refused; ++i) {
            const int row1 = boxes[other]->FieldList->IndexOfText(otherColumns[i]);
            const int row2 = box->FieldList->IndexOfText(placedColumns[i]);
            const TLinkVerdict verdict = JudgeNewLink(
                design.Boxes[other], other, design.Boxes[placed], placed, row1, row2, links);
            refused = row1 < 1 || row2 < 1 || verdict.Refused || !verdict.Notices.isEmpty();
            links.append(TDesignLink{other, placed, row1, row2, verdict.Field1, verdict.Field2, 0, {}});
            rows.append({row1, row2});
        }
        if (refused) continue;
        for (const auto& [row1, row2] : rows)
            if (TQBLink* link = canvas->InsertLink(boxes[other], box, row1, row2))
                made.append(link);
        canvas->ReadDesign(design);
    }
    return made;
}

bool AutoLinkOn(const TQBArea* canvas) {
    if (const TQuillaryDialog* dialog = canvas->Host()->Dialog()) return dialog->IsAutoLink;
    const QAction* item = canvas->mnuAutoLink;
    return item && item->isChecked();
}

void AutoLinkPlacedTable(TQBArea* canvas, TQBTable* box) {
    if (!box || !AutoLinkOn(canvas)) return;
    const TQuillaryDialog* dialog = canvas->Host()->Dialog();
    TADOConnection* connection = dialog ? dialog->GetConn() : nullptr;
    const QList<dialect::TForeignKey> keys = dialect::ForeignKeysOf(connection, box->TableName);
    if (!keys.isEmpty()) LinkByForeignKeys(canvas, box, keys);
}

QAction* CreateAutoLinkItem(TQBArea* canvas) {
    auto* item = new QAction(QString::fromUtf8(kAutoLinkCaption), canvas);
    item->setObjectName(QStringLiteral("mnuAutoLink"));
    item->setCheckable(true);
    // The dialog's property is the switch; the tick shows it.
    QObject::connect(canvas->mnu, &QMenu::aboutToShow, item, [canvas, item] {
        if (const TQuillaryDialog* dialog = canvas->Host()->Dialog())
            item->setChecked(dialog->IsAutoLink);
    });
    QObject::connect(item, &QAction::toggled, canvas, [canvas](bool on) {
        if (TQuillaryDialog* dialog = canvas->Host()->Dialog()) dialog->IsAutoLink = on;
    });
    return item;
}

} // namespace quillary
