#pragma once
// What the canvas needs from the designer around it: the data source, the
// table list and the placement point, the side panels, and the designer's
// lists of column designations that the boxes keep in step with their
// columns. The canvas and its boxes reach the form only through this.

#include "sqltext/SqlDialect.h"

#include <QPoint>
#include <QRect>
#include <QString>
#include <functional>

class QObject;

namespace quillary {

class TFrm_Quillary;
class TQuillaryDialog;
struct QueryDesign;

class TCanvasHost {
public:
    virtual ~TCanvasHost() = default;

    // --- data source -----------------------------------------------------
    virtual int GetDSN() = 0;
    // How the data source writes names (column designations go through it).
    virtual TSqlDialect Dialect() = 0;
    // The component whose working connection the canvas uses; nested
    // designers copy its settings. May be null (no designer around).
    virtual TQuillaryDialog* Dialog() const = 0;
    // Whether the table list shows system tables.
    virtual bool SystemTablesShown() const = 0;

    // --- table list and placement ---------------------------------------
    // The selected entry of the table list; empty when none is selected.
    virtual QString SelectedTable() const = 0;
    virtual bool IsTableList(const QObject* source) const = 0;
    virtual QPoint NextTablePos() const = 0;
    // Moves the placement point on after a box landed at `box`.
    virtual void PlaceNextAfter(const QRect& box) = 0;

    // --- lists of column designations (name.column) ---------------------
    // Runs `edit` over the designer's sort, group and pick lists, held in a
    // design value (its other parts empty), and shows the result: the boxes
    // change the lists by the design's own functions.
    virtual void EditColumnLists(const std::function<void(QueryDesign&)>& edit) = 0;
    // A tick changed: the statement shown on the SQL page is written again.
    virtual void ColumnTickChanged() = 0;

    // --- side panels ----------------------------------------------------
    virtual void OpenToolBox() = 0;
    virtual void OpenTableList() = 0;
    virtual void OpenUnionPanel() = 0;
};

// The designer form as the canvas's host.
class TFormCanvasHost final : public TCanvasHost {
public:
    explicit TFormCanvasHost(TFrm_Quillary* form) : m_form(form) {}

    int GetDSN() override;
    TSqlDialect Dialect() override;
    TQuillaryDialog* Dialog() const override;
    bool SystemTablesShown() const override;
    QString SelectedTable() const override;
    bool IsTableList(const QObject* source) const override;
    QPoint NextTablePos() const override;
    void PlaceNextAfter(const QRect& box) override;
    void EditColumnLists(const std::function<void(QueryDesign&)>& edit) override;
    void ColumnTickChanged() override;
    void OpenToolBox() override;
    void OpenTableList() override;
    void OpenUnionPanel() override;

private:
    TFrm_Quillary* m_form;
};

} // namespace quillary
