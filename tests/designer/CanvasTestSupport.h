#pragma once
// The canvas of a designer window on a copy of the sample database, with
// helpers to place boxes and to play the mouse on them.
#include "DesignerTestSupport.h"

#include "db/FieldType.h"
#include "designer/QBArea.h"
#include "designer/QBLink.h"
#include "designer/QBTable.h"
#include "query/QueryDesign.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>

namespace quillary::test {

class CanvasFixture : public DesignerFormTest {
protected:
    // The sample database declares foreign keys: these tests make their
    // links themselves, so placing a table links nothing by itself.
    void Open(bool connect = true, bool autoLink = false) {
        dialog.IsAutoLink = autoLink;
        DesignerFormTest::Open(SampleCsn(), connect);
        form->resize(1000, 700);
        QApplication::processEvents();
    }
    TQBArea* canvas() const { return form->Canvas(); }

    // A box built from values: columns "*" then `columns` (name, field type).
    TQBTable* Box(const QString& name, const QRect& geometry,
                  const QList<std::pair<QString, TFieldType>>& columns) {
        QueryDesign design;
        TDesignBox box;
        box.TableName = name;
        box.Left = geometry.left();
        box.Top = geometry.top();
        box.Width = geometry.width();
        box.Height = geometry.height();
        box.Fields.append({QStringLiteral("*"), 0, false});
        for (const auto& [column, type] : columns)
            box.Fields.append({column, int(type), false});
        design.Boxes.append(box);
        canvas()->ApplyDesign(design);
        return canvas()->Tables().last();
    }

    // A mouse event sent to `widget` at `at` (its own coordinates).
    static void Mouse(QWidget* widget, QEvent::Type type, const QPoint& at,
                      Qt::MouseButton button = Qt::LeftButton,
                      Qt::MouseButtons held = Qt::LeftButton) {
        QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }

    // Drags row `from` of one box's list onto row `to` of another's, with
    // the mouse.
    static void DragColumn(TQBTable* source, int from, TQBTable* target, int to) {
        QWidget* sv = source->FieldList->viewport();
        const QPoint start =
            source->FieldList->visualItemRect(source->FieldList->item(from)).center();
        const QPoint end = target->FieldList->visualItemRect(target->FieldList->item(to)).center();
        const QPoint endInSource =
            sv->mapFromGlobal(target->FieldList->viewport()->mapToGlobal(end));
        Mouse(sv, QEvent::MouseButtonPress, start);
        Mouse(sv, QEvent::MouseMove, start + QPoint(0, 2));
        Mouse(sv, QEvent::MouseMove, endInSource);
        Mouse(sv, QEvent::MouseButtonRelease, endInSource, Qt::LeftButton, Qt::NoButton);
    }
};

} // namespace quillary::test
