#pragma once
// TQuillaryDialog on a form built in Qt Designer. The dialog is not a widget,
// so forms carry this small stand-in: it owns a TQuillaryDialog and publishes
// its properties for the designer's property editor and for uic. At design
// time it shows the palette bitmap; at run time it stays hidden.
//
//     auto* builder = ui->QuillaryDialog1->Dialog();
//     if (builder->Execute()) query.SQL() = builder->GetSQLS();

// QuillaryDialog.h needs the form class complete (its QPointer).
#include "designer/Frm_Quillary.h"
#include "designer/QuillaryDialog.h"

#include <QWidget>

namespace quillary {

class TQuillaryDialogStandIn : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool IsCreateView READ IsCreateView WRITE setIsCreateView)
    Q_PROPERTY(bool IsAllowUnion READ IsAllowUnion WRITE setIsAllowUnion)
    Q_PROPERTY(bool IsAllowOrderBy READ IsAllowOrderBy WRITE setIsAllowOrderBy)
    Q_PROPERTY(bool IsAllowChangeCSN READ IsAllowChangeCSN WRITE setIsAllowChangeCSN)
    Q_PROPERTY(bool Connected READ Connected STORED false)
    Q_PROPERTY(QString CSN READ CSN STORED false)
    Q_PROPERTY(QString ConnectionString READ ConnectionString WRITE setConnectionString)
    Q_PROPERTY(QString SQL READ SQL WRITE setSQL)
    Q_PROPERTY(QStringList SQLSet READ SQLSet WRITE setSQLSet)
    Q_PROPERTY(int Form_Left READ Form_Left WRITE setForm_Left)
    Q_PROPERTY(int Form_Top READ Form_Top WRITE setForm_Top)
    Q_PROPERTY(int Form_Width READ Form_Width WRITE setForm_Width)
    Q_PROPERTY(int Form_Height READ Form_Height WRITE setForm_Height)
    Q_PROPERTY(bool SystemTable READ SystemTable WRITE setSystemTable)
    Q_PROPERTY(QString Version READ Version WRITE setVersion)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(bool IsAutoLink READ IsAutoLink WRITE setIsAutoLink)
    Q_PROPERTY(bool IsConfirmChanges READ IsConfirmChanges WRITE setIsConfirmChanges)
    Q_PROPERTY(bool IsAutoArrange READ IsAutoArrange WRITE setIsAutoArrange)
    Q_PROPERTY(bool IsFilterTables READ IsFilterTables WRITE setIsFilterTables)
    Q_PROPERTY(bool IsDatabaseFunctions READ IsDatabaseFunctions WRITE setIsDatabaseFunctions)

public:
    explicit TQuillaryDialogStandIn(QWidget* parent = nullptr);

    TQuillaryDialog* Dialog() { return m_dialog; }
    // The designer plugin shows the stand-in; forms at run time do not.
    void SetDesignTime(bool designTime);
    bool DesignTime() const { return m_designTime; }
    QSize sizeHint() const override { return {28, 28}; }
    // Outside the designer the stand-in never shows.
    void setVisible(bool visible) override { QWidget::setVisible(visible && m_designTime); }

    bool IsCreateView() const { return m_dialog->IsCreateView; }
    void setIsCreateView(bool v) { m_dialog->IsCreateView = v; }
    bool IsAllowUnion() const { return m_dialog->IsAllowUnion; }
    void setIsAllowUnion(bool v) { m_dialog->IsAllowUnion = v; }
    bool IsAllowOrderBy() const { return m_dialog->IsAllowOrderBy; }
    void setIsAllowOrderBy(bool v) { m_dialog->IsAllowOrderBy = v; }
    bool IsAutoLink() const { return m_dialog->IsAutoLink; }
    void setIsAutoLink(bool v) { m_dialog->IsAutoLink = v; }
    bool IsConfirmChanges() const { return m_dialog->IsConfirmChanges; }
    void setIsConfirmChanges(bool v) { m_dialog->IsConfirmChanges = v; }
    bool IsAutoArrange() const { return m_dialog->IsAutoArrange; }
    void setIsAutoArrange(bool v) { m_dialog->IsAutoArrange = v; }
    bool IsFilterTables() const { return m_dialog->IsFilterTables; }
    void setIsFilterTables(bool v) { m_dialog->IsFilterTables = v; }
    bool IsDatabaseFunctions() const { return m_dialog->IsDatabaseFunctions; }
    void setIsDatabaseFunctions(bool v) { m_dialog->IsDatabaseFunctions = v; }
    bool IsAllowChangeCSN() const { return m_dialog->IsAllowChangeCSN; }
    void setIsAllowChangeCSN(bool v) { m_dialog->IsAllowChangeCSN = v; }
    bool Connected() const { return m_dialog->GetConnected(); }
    QString CSN() const { return m_dialog->GetCSN(); }
    QString ConnectionString() const { return m_dialog->ConnectionString(); }
    void setConnectionString(const QString& v) { m_dialog->SetConnectionString(v); }
    QString SQL() const { return m_dialog->SQL; }
    void setSQL(const QString& v) { m_dialog->SQL = v; }
    QStringList SQLSet() const { return m_dialog->SQLSet; }
    void setSQLSet(const QStringList& v) { m_dialog->FSetSQL(v); }
    int Form_Left() const { return m_dialog->Form_Left; }
    void setForm_Left(int v) { m_dialog->Form_Left = v; }
    int Form_Top() const { return m_dialog->Form_Top; }
    void setForm_Top(int v) { m_dialog->Form_Top = v; }
    int Form_Width() const { return m_dialog->Form_Width; }
    void setForm_Width(int v) { m_dialog->Form_Width = v; }
    int Form_Height() const { return m_dialog->Form_Height; }
    void setForm_Height(int v) { m_dialog->Form_Height = v; }
    bool SystemTable() const { return m_dialog->SystemTable; }
    void setSystemTable(bool v) { m_dialog->SystemTable = v; }
    QString Version() const { return m_dialog->Version; }
    void setVersion(const QString& v) { m_dialog->Version = v; }
    QString Caption() const { return m_dialog->Caption; }
    void setCaption(const QString& v) { m_dialog->Caption = v; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TQuillaryDialog* m_dialog;
    bool m_designTime = false;
};

} // namespace quillary
