#pragma once
// TStringGridEx: the property grid. Cells hold a string and an object
// reference each, stored sparsely (a row takes memory only once written);
// rows and columns can be viewed as string lists; row 0 shows the labels of
// the property-column definitions; selected rows move up and down as a block.
//
// Typical use:
//     auto* grid = new TStringGridEx(parent);
//     grid->SetRowCount(9);
//     grid->AddPropertyCol("关系运算符", "=", emPickList);
//     *grid->PropValues()->Items(2)->PickList() << "=" << "<>" << "like";
//     grid->OnCellChange = [](QObject*) { ... };
//     grid->SetCells(2, 1, "=");

#include "grid/CustomPrGrid.h"
#include "grid/SparseList.h"

#include <memory>

namespace quillary {

class TStringPrGridStrings;

class TStringGridEx : public TCustomPrGrid {
    Q_OBJECT

public:
    explicit TStringGridEx(QWidget* parent = nullptr);
    ~TStringGridEx() override;

    // --- cells ------------------------------------------------------------------
    // Empty for a cell (or row) never written; reading creates nothing.
    QString GetCells(int ACol, int ARow) const;
    // Stores the text (creating the row on demand) and repaints the cell.
    void SetCells(int ACol, int ARow, const QString& Value);
    QObject* GetObjects(int ACol, int ARow) const;
    void SetObjects(int ACol, int ARow, QObject* Value);
    // Cached string-list views of one row or column.
    TStringPrGridStrings* Rows(int ARow);
    void SetRows(int ARow, const TStrings& Value);
    void SetRows(int ARow, const QStringList& Value);
    TStringPrGridStrings* Cols(int ACol);
    void SetCols(int ACol, const TStrings& Value);
    void SetCols(int ACol, const QStringList& Value);

    // The row's cell list, created (and registered) when absent.
    TStringSparseList* EnsureDataRow(int ARow);
    // The cached view of column Index (IsCol) or row Index.
    TStringPrGridStrings* EnsureColRow(int Index, bool IsCol);
    // Repaints the cell (or notes it during a batch) and reloads the editor
    // when it stands on the cell.
    void Update(int ACol, int ARow);
    // Batches repaints: one repaint of the whole grid when the batch ends.
    void SetUpdateState(bool Updating);
    // While disabled, writes into the current cell do not reload the editor.
    void DisableEditUpdate();
    void EnableEditUpdate();
    int EditUpdateCount() const { return m_editUpdate; }

    // Rows that own a cell list, and the storage itself (for tests and tools).
    int DataRowCount() const;
    bool HasDataRow(int ARow) const;
    const TSparseList<TStringSparseList>& RowStore() const { return *m_data; }

    // --- property columns ---------------------------------------------------------
    // Appends a column with a definition of these values.
    void AddPropertyCol(const QString& ALabel, const QString& AValue, TPropEditMode AEditMode);
    // Changes definition Index and reloads the editor with it.
    void ChangePropertyCol(int Index, const QString& ALabel, const QString& AValue,
                           TPropEditMode AEditMode);
    // Removes definition Index (never column 0 or the last column); cells
    // stay under their column numbers.
    void DeletePropertyCol(int Index);
    // Writes every definition's label into row 0.
    void UpdateNames(QObject* Sender);

    // Columns 0 and 1 share the client width.
    bool ClientAutoFit() const { return m_clientAutoFit; }
    void SetClientAutoFit(bool Value);
    const QString& TitleNameColumn() const { return m_titleNameColumn; }
    void SetTitleNameColumn(const QString& Value);
    const QString& TitleValueColumn() const { return m_titleValueColumn; }
    void SetTitleValueColumn(const QString& Value);

    // --- moving selected rows ------------------------------------------------------
    void MoveUp();
    void MoveDown();
    // Moves the selected rows as a block so that it starts at ToRow. Only the
    // strings move; objects stay with their row numbers.
    void MoveSelectedRow(int ToRow);

    // --- editing hooks --------------------------------------------------------------
    QString GetEditMask(int ACol, int ARow) override;
    QString GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const QString& Value) override;
    void DeleteColumn(int ACol) override;
    void DeleteRow(int ARow) override;

    // --- events -----------------------------------------------------------------------
    TMovedEvent OnColumnMoved;
    TDrawCellEvent OnDrawCell;
    TGetEditEvent OnGetEditMask;
    TGetEditEvent OnGetEditText;
    TMovedEvent OnRowMoved;
    TSelectCellEvent OnSelectCell;
    TSetEditEvent OnSetEditText;
    TNotifyEvent OnTopLeftChanged;

protected:
    void Paint() override;
    void DrawCell(int ACol, int ARow, const QRect& ARect, TGridDrawState AState) override;
    bool SelectCell(int ACol, int ARow) override;
    void ColumnMoved(int FromIndex, int ToIndex) override;
    void RowMoved(int FromIndex, int ToIndex) override;
    void TopLeftChanged() override;
    void Resize() override;

private:
    void Initialize();
    void ApplyClientAutoFit();

    std::unique_ptr<TSparseList<TStringSparseList>> m_data;
    std::unique_ptr<TSparseList<TStringPrGridStrings>> m_rows;
    std::unique_ptr<TSparseList<TStringPrGridStrings>> m_cols;
    bool m_updating = false;
    bool m_needsUpdating = false;
    qint32 m_editUpdate = 0;
    bool m_clientAutoFit = false;
    QString m_titleNameColumn;
    QString m_titleValueColumn;
};

} // namespace quillary
