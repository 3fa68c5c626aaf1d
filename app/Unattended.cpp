#include "Unattended.h"

#include "designer/Frm_Quillary.h"
#include "designer/QBArea.h"
#include "designer/QBTable.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTextStream>

namespace quillary {

int TUnattendedUi::MessageBox(const QString& text, const QString& caption, TMsgButtons buttons,
                              TMsgIcon) {
    QTextStream(stderr) << caption << ": " << text << Qt::endl;
    return buttons == TMsgButtons::Ok ? mrOk : buttons == TMsgButtons::YesNo ? mrNo : mrCancel;
}

bool TUnattendedUi::InputQuery(const QString&, const QString&, QString&) {
    return false;
}

QString TUnattendedUi::OpenFileName(QWidget*, const QString&, const QString&, const QString&) {
    return {};
}

QString TUnattendedUi::SaveFileName(QWidget*, const QString&, const QString&, const QString&) {
    return {};
}

QList<TQBTable*> PlaceDemoTables(TFrm_Quillary& form) {
    QList<TQBTable*> placed;
    int x = 10;
    for (const char* table : {"customers", "orders", "order_items"}) {
        const auto found = form.QBTables->findItems(QString::fromLatin1(table), Qt::MatchExactly);
        if (found.isEmpty()) continue;
        form.QBTables->setCurrentItem(found.first());
        if (TQBTable* box = form.Canvas()->InsertTable(x, 10)) {
            x += box->width() + 40;
            placed << box;
        }
    }
    form.Edit2->setText(QStringLiteral("or"));
    return placed;
}

} // namespace quillary
